#pragma once

#include "components/skin/ISkinObject.h"
#include "components/skin/SkinDescription.h"

#include <QHash>
#include <QWidget>

#include <memory>

namespace korvex {

class SkinBundle;
class SkinObjectWidget;
class SkinStandIn;

// One skin form applied to a window: the painted background and the skin
// objects as child widgets at their rectangles.
class SkinForm : public QWidget
{
    Q_OBJECT
public:
    SkinForm(const SkinFormSpec &def, SkinBundle &bundle, QWidget *parent);
    ~SkinForm() override;

    const QString &formName() const { return m_name; }
    // The object of that name, or nullptr when the skin has none.
    ISkinObject *findObject(const QString &name) const;
    // The object of that name; for a name the skin lacks, a hidden stand-in
    // (made once, with a warning on standard error).
    ISkinObject *object(const QString &name);
    QStringList objectNames() const;

Q_SIGNALS:
    void skinClick(korvex::ISkinObject *object);
    void skinMouseDown(korvex::ISkinObject *object, Qt::MouseButton button, int x, int y);
    void skinMouseUp(korvex::ISkinObject *object, Qt::MouseButton button, int x, int y);
    void skinScrollTrack(korvex::ISkinObject *object, int position);

protected:
    void paintEvent(QPaintEvent *event) override;

private:
    SkinObjectWidget *createObject(const SkinObjectSpec &def);

    QString m_name;
    QString m_background;
    SkinBundle &m_bundle;
    QList<SkinObjectWidget *> m_objects;  // children, in the order of the skin
    QHash<QString, std::shared_ptr<SkinStandIn>> m_standIns;
};

} // namespace korvex
