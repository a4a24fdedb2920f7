#pragma once

#include <QHash>
#include <QObject>
#include <QRect>
#include <QString>

namespace korvex {

// The skin objects the core writes to, by the names the skin gives them.
namespace skin_object {
inline const QString Slider = QStringLiteral("pb");
inline const QString PositionCaption = QStringLiteral("timecaption");
inline const QString TotalText = QStringLiteral("tataltime");
inline const QString PathText = QStringLiteral("nm");
inline const QString PercentText = QStringLiteral("pbpos");
inline const QString Bar = QStringLiteral("convertpb");
// Beyond the six of old: which piece of a split is converted ("piece 3 of
// 25") and a thin bar of the whole split by audio time.
inline const QString RunPieceText = QStringLiteral("runpiece");
inline const QString RunBar = QStringLiteral("runbar");
} // namespace skin_object

// The core's side of the skin objects that commands and runs write to: the
// slider "pb", the texts "timecaption", "tataltime", "nm", "pbpos" and the bar
// "convertpb". The core changes an object's state and asks for a redraw, as
// it would through the skin's common, slider and text interfaces; the window
// forwards each redraw to the real skin object and reports the user's slider
// drags back with setPosition(). Tests read the state directly.
struct SkinObjectState
{
    QRect rect;
    int rangeEnd = 0;
    int thumbSize = 0;
    int position = 0;
    QString text;
};

class SkinFace : public QObject
{
    Q_OBJECT
public:
    using QObject::QObject;

    bool has(const QString &name) const { return m_objects.contains(name); }
    const SkinObjectState state(const QString &name) const { return m_objects.value(name); }

    // common interface
    QRect rect(const QString &name) const { return m_objects.value(name).rect; }
    void setRect(const QString &name, const QRect &rect) { m_objects[name].rect = rect; }
    void redraw(const QString &name) { Q_EMIT redrawRequested(name); }

    // slider interface; the largest position is rangeEnd − thumbSize
    int rangeEnd(const QString &name) const { return m_objects.value(name).rangeEnd; }
    void setRangeEnd(const QString &name, int value) { m_objects[name].rangeEnd = value; }
    int thumbSize(const QString &name) const { return m_objects.value(name).thumbSize; }
    void setThumbSize(const QString &name, int value) { m_objects[name].thumbSize = value; }
    int position(const QString &name) const { return m_objects.value(name).position; }
    void setPosition(const QString &name, int value) { m_objects[name].position = value; }
    int maxPosition(const QString &name) const { return rangeEnd(name) - thumbSize(name); }

    // text interface
    QString text(const QString &name) const { return m_objects.value(name).text; }
    void setText(const QString &name, const QString &text) { m_objects[name].text = text; }

    // The window reports the user's actions on an object here, after it has
    // taken a dragged slider's position into the object's state.
    void reportMouseDown(const QString &name, int button, int x, int y) { Q_EMIT OnMouseDown(name, button, x, y); }
    void reportMouseUp(const QString &name, int button, int x, int y) { Q_EMIT OnMouseUp(name, button, x, y); }
    void reportScrollTrack(const QString &name, int position) { Q_EMIT OnScrollTrack(name, position); }

Q_SIGNALS:
    void redrawRequested(const QString &name);
    // button is a Qt::MouseButton value; x and y are relative to the object
    void OnMouseDown(const QString &name, int button, int x, int y);
    void OnMouseUp(const QString &name, int button, int x, int y);
    void OnScrollTrack(const QString &name, int position);

private:
    QHash<QString, SkinObjectState> m_objects;
};

} // namespace korvex
