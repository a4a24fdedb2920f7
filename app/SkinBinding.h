#pragma once

#include "components/skin/ISkinObject.h"

#include <QHash>
#include <QObject>
#include <QString>

#include <memory>

namespace korvex {

class SkinFace;
class SkinStandIn;
class TSkin;

// Ties the core's SkinFace to the real skin objects of the main window. The
// core writes state into SkinFace and asks for redraws; each redraw is
// forwarded here to the bound object. The user's drags on a slider go the
// other way: the dragged position is written into SkinFace before the event
// is reported there.
class SkinBinding : public QObject
{
    Q_OBJECT
public:
    enum class Kind { Slider, Text };

    SkinBinding(TSkin &skin, QWidget *window, SkinFace &face);
    ~SkinBinding() override;

    // Looks the object up in the window's form and holds its common and kind
    // interfaces for the rest of the run, copying its state into SkinFace. A
    // missing object, or one without the kind interface, is replaced by a
    // hidden stand-in so that later writes always land somewhere.
    void BindSkinObject(const QString &name, Kind kind);
    bool isBound(const QString &name) const { return m_bound.contains(name); }
    ISkinObject *bound(const QString &name) const;

private:
    struct Bound
    {
        ISkinObject *object = nullptr;
        ISkinCommon *common = nullptr;
        ISkinSlider *slider = nullptr;
        ISkinText *text = nullptr;
    };

    void forwardRedraw(const QString &name);
    void relayMouseDown(ISkinObject *object, Qt::MouseButton button, int x, int y);
    void relayMouseUp(ISkinObject *object, Qt::MouseButton button, int x, int y);
    void relayScrollTrack(ISkinObject *object, int position);
    // Takes a slider's current position into SkinFace.
    void takePosition(ISkinObject *object);

    TSkin &m_skin;
    QWidget *m_window;
    SkinFace &m_face;
    QHash<QString, Bound> m_bound;
    QHash<QString, std::shared_ptr<SkinStandIn>> m_standIns;
};

} // namespace korvex
