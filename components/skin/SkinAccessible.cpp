#include "components/skin/SkinAccessible.h"

#include "components/skin/SkinButton.h"
#include "components/skin/SkinSlider.h"

#include <QAccessibleWidget>
#include <QPointer>
#include <QTimer>

namespace korvex {

namespace {

QAccessible::Role roleOf(SkinKind kind)
{
    switch (kind) {
    case SkinKind::Button:
        return QAccessible::Button;
    case SkinKind::Slider:
        return QAccessible::Slider;
    case SkinKind::Waveform:
        return QAccessible::Graphic;
    case SkinKind::Text:
    case SkinKind::Label:
    case SkinKind::Bar:
        break;
    }
    return QAccessible::StaticText;
}

class SkinObjectAccessible : public QAccessibleWidget
{
public:
    explicit SkinObjectAccessible(SkinObjectWidget *object) : QAccessibleWidget(object, roleOf(object->kind())) {}

    QString text(QAccessible::Text kind) const override
    {
        // a name given in code wins over the skin's words
        const QString given = kind == QAccessible::Name ? widget()->accessibleName()
                                                        : widget()->accessibleDescription();
        if (!given.isEmpty())
            return given;
        switch (kind) {
        case QAccessible::Name:
            return skinObject()->spokenName();
        case QAccessible::Description:
            return skinObject()->spokenDescription();
        default:
            return QAccessibleWidget::text(kind);
        }
    }

protected:
    SkinObjectWidget *skinObject() const { return static_cast<SkinObjectWidget *>(widget()); }
};

class SkinButtonAccessible : public SkinObjectAccessible
{
public:
    using SkinObjectAccessible::SkinObjectAccessible;

    QStringList actionNames() const override
    {
        return QStringList(pressAction()) + SkinObjectAccessible::actionNames();
    }

    // The tool's call returns before the command runs: a command may open a
    // modal dialog, and the tool waits for the answer to its call.
    void doAction(const QString &actionName) override
    {
        if (actionName != pressAction()) {
            SkinObjectAccessible::doAction(actionName);
            return;
        }
        QPointer<SkinButton> button = static_cast<SkinButton *>(widget());
        QTimer::singleShot(0, button, [button] {
            if (button && button->isEnabled())
                button->press();
        });
    }
};

class SkinSliderAccessible : public SkinObjectAccessible, public QAccessibleValueInterface
{
public:
    using SkinObjectAccessible::SkinObjectAccessible;

    void *interface_cast(QAccessible::InterfaceType type) override
    {
        if (type == QAccessible::ValueInterface)
            return static_cast<QAccessibleValueInterface *>(this);
        return SkinObjectAccessible::interface_cast(type);
    }

    QVariant currentValue() const override { return slider()->position(); }
    void setCurrentValue(const QVariant &value) override { slider()->moveTo(value.toInt()); }
    QVariant maximumValue() const override { return std::max(0, slider()->maxPosition()); }
    QVariant minimumValue() const override { return 0; }
    QVariant minimumStepSize() const override { return slider()->singleStep(); }

private:
    SkinSlider *slider() const { return static_cast<SkinSlider *>(widget()); }
};

QAccessibleInterface *skinAccessibleFactory(const QString &, QObject *object)
{
    auto *skinObject = qobject_cast<SkinObjectWidget *>(object);
    if (!skinObject)
        return nullptr;
    if (qobject_cast<SkinButton *>(object))
        return new SkinButtonAccessible(skinObject);
    if (qobject_cast<SkinSlider *>(object))
        return new SkinSliderAccessible(skinObject);
    return new SkinObjectAccessible(skinObject);
}

} // namespace

void InstallSkinAccessibility()
{
    static const bool installed = [] {
        QAccessible::installFactory(skinAccessibleFactory);
        return true;
    }();
    Q_UNUSED(installed);
}

} // namespace korvex
