#pragma once

#include "components/skin/SkinObjectWidget.h"

namespace korvex {

// A horizontal slider. Positions run from 0 to range end − thumb size; the
// thumb is drawn at a fixed size and its centre travels the groove. Pressing
// anywhere on the slider takes the thumb there and drags it, reporting every
// new position with skinScrollTrack. Tab reaches it; with the focus the arrow
// keys, Page Up/Down, Home and End move the thumb, each move reported as a
// short drag (mouse down, scroll track, mouse up) so it seeks as a drag does.
class SkinSlider : public SkinObjectWidget, public ISkinSlider
{
    Q_OBJECT
public:
    SkinSlider(const SkinObjectSpec &def, const SkinStyle &style, SkinBundle &bundle, QWidget *parent);

    ISkinSlider *sliderInterface() override { return this; }
    int rangeEnd() const override { return m_rangeEnd; }
    void setRangeEnd(int value) override { m_rangeEnd = value; }
    int thumbSize() const override { return m_thumbSize; }
    void setThumbSize(int value) override { m_thumbSize = value; }
    int position() const override { return m_position; }
    void setPosition(int value) override { m_position = value; }

    // Moves the thumb to `position` (kept within the range) as a drag there
    // would; used by the keys and by assistive tools.
    void moveTo(int position);
    // How far an arrow key moves the thumb: a hundredth of the range.
    int singleStep() const;
    int pageStep() const;

protected:
    void keyPressEvent(QKeyEvent *event) override;
    bool takesKey(const QKeyEvent &event) const override;
    void paintEvent(QPaintEvent *event) override;
    void mousePressEvent(QMouseEvent *event) override;
    void mouseMoveEvent(QMouseEvent *event) override;
    void mouseReleaseEvent(QMouseEvent *event) override;

private:
    qreal thumbCentre() const;
    int positionAt(qreal centre) const;
    void dragTo(qreal x);

    int m_rangeEnd = 0;
    int m_thumbSize = 0;
    int m_position = 0;
    bool m_dragging = false;
    qreal m_grabOffset = 0;  // where on the thumb the press landed
};

} // namespace korvex
