#pragma once

#include "components/skin/ISkinObject.h"
#include "components/skin/SkinDescription.h"

#include <QWidget>

class QKeyEvent;

namespace korvex {

class SkinBundle;

// The base of every visible skin object: a child widget of the skin form at
// the object's rectangle. It reports presses, releases and clicks with
// itself as the source; the form gathers these into the control's events.
class SkinObjectWidget : public QWidget, public ISkinObject, public ISkinCommon
{
    Q_OBJECT
public:
    SkinObjectWidget(const SkinObjectSpec &def, const SkinStyle &style, SkinBundle &bundle, QWidget *parent);

    QString name() const override { return m_spec.name; }
    ISkinCommon *commonInterface() override { return this; }

    QRect rect() const override { return geometry(); }
    void setRect(const QRect &rect) override { setGeometry(rect); }
    void redraw() override { update(); }

    SkinKind kind() const { return m_spec.kind; }
    // What a screen reader calls the object: its caption, else the words of
    // the skin's tooltip, else its name.
    virtual QString spokenName() const;
    // What it does, as the tooltip says it (with its key, where it has one).
    virtual QString spokenDescription() const { return toolTip(); }

Q_SIGNALS:
    void skinClick(korvex::ISkinObject *object);
    void skinMouseDown(korvex::ISkinObject *object, Qt::MouseButton button, int x, int y);
    void skinMouseUp(korvex::ISkinObject *object, Qt::MouseButton button, int x, int y);
    void skinScrollTrack(korvex::ISkinObject *object, int position);

protected:
    const SkinObjectSpec &def() const { return m_spec; }
    const SkinStyle &style() const { return m_style; }
    SkinBundle &bundle() const { return m_bundle; }
    bool isHovered() const { return m_hovered; }
    bool isPressed() const { return m_pressed; }
    // The colours for the current hover and press state.
    const SkinLook &look() const;

    void mousePressEvent(QMouseEvent *event) override;
    void mouseReleaseEvent(QMouseEvent *event) override;
    void enterEvent(QEnterEvent *event) override;
    void leaveEvent(QEvent *event) override;
    void focusInEvent(QFocusEvent *event) override;
    void focusOutEvent(QFocusEvent *event) override;

    // The rounded box of the object in the given colours.
    void paintBox(QPainter &painter, const QRectF &box, const SkinLook &colours) const;
    // A ring in the style's focus colour while the object has the keyboard
    // focus, so a keyboard user sees where Return lands.
    void paintFocusMark(QPainter &painter) const;
    // Key presses the object takes itself rather than leave to the window's
    // keys, when it has the focus.
    virtual bool takesKey(const QKeyEvent &) const { return false; }
    bool event(QEvent *event) override;

private:
    SkinObjectSpec m_spec;
    SkinStyle m_style;
    SkinBundle &m_bundle;
    bool m_hovered = false;
    bool m_pressed = false;
};

} // namespace korvex
