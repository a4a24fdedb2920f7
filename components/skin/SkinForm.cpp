#include "components/skin/SkinForm.h"

#include "components/skin/SkinBar.h"
#include "components/skin/SkinBundle.h"
#include "components/skin/SkinButton.h"
#include "components/skin/SkinSlider.h"
#include "components/skin/SkinStandIn.h"
#include "components/skin/SkinText.h"
#include "components/skin/SkinWaveform.h"

#include <QPainter>

namespace korvex {

SkinForm::SkinForm(const SkinFormSpec &def, SkinBundle &bundle, QWidget *parent)
    : QWidget(parent), m_name(def.name), m_background(def.background), m_bundle(bundle)
{
    setObjectName(def.name);
    for (const SkinObjectSpec &objectSpec : def.objects) {
        SkinObjectWidget *object = createObject(objectSpec);
        connect(object, &SkinObjectWidget::skinClick, this, &SkinForm::skinClick);
        connect(object, &SkinObjectWidget::skinMouseDown, this, &SkinForm::skinMouseDown);
        connect(object, &SkinObjectWidget::skinMouseUp, this, &SkinForm::skinMouseUp);
        connect(object, &SkinObjectWidget::skinScrollTrack, this, &SkinForm::skinScrollTrack);
        m_objects.append(object);
    }
}

SkinForm::~SkinForm() = default;

SkinObjectWidget *SkinForm::createObject(const SkinObjectSpec &def)
{
    const SkinStyle style = m_bundle.description().style(def.style);
    switch (def.kind) {
    case SkinKind::Button:
        return new SkinButton(def, style, m_bundle, this);
    case SkinKind::Slider:
        return new SkinSlider(def, style, m_bundle, this);
    case SkinKind::Bar:
        return new SkinBar(def, style, m_bundle, this);
    case SkinKind::Waveform:
        return new SkinWaveform(def, style, m_bundle, this);
    case SkinKind::Text:
    case SkinKind::Label:
        break;
    }
    return new SkinText(def, style, m_bundle, this);
}

ISkinObject *SkinForm::findObject(const QString &name) const
{
    for (SkinObjectWidget *object : m_objects) {
        if (object->name() == name)
            return object;
    }
    return nullptr;
}

ISkinObject *SkinForm::object(const QString &name)
{
    if (ISkinObject *found = findObject(name))
        return found;
    auto &standIn = m_standIns[name];
    if (!standIn) {
        qWarning("Korvex: the skin form \"%s\" has no object \"%s\"; it stays hidden.", qUtf8Printable(m_name),
                 qUtf8Printable(name));
        standIn = std::make_shared<SkinStandIn>(name);
    }
    return standIn.get();
}

QStringList SkinForm::objectNames() const
{
    QStringList names;
    for (SkinObjectWidget *object : m_objects)
        names.append(object->name());
    return names;
}

void SkinForm::paintEvent(QPaintEvent *)
{
    QPainter painter(this);
    const QPixmap background = m_bundle.picture(m_background, size(), devicePixelRatioF());
    if (background.isNull())
        painter.fillRect(rect(), palette().window());
    else
        painter.drawPixmap(0, 0, background);
}

} // namespace korvex
