#include "components/skin/SkinSlider.h"

#include <QKeyEvent>
#include <QMouseEvent>
#include <QPainter>
#include <QPainterPath>

#include <cmath>

namespace korvex {

SkinSlider::SkinSlider(const SkinObjectSpec &def, const SkinStyle &style, SkinBundle &bundle, QWidget *parent)
    : SkinObjectWidget(def, style, bundle, parent)
{
    setCursor(Qt::PointingHandCursor);
    setFocusPolicy(Qt::TabFocus);
}

int SkinSlider::singleStep() const
{
    return std::max(1, maxPosition() / 100);
}

int SkinSlider::pageStep() const
{
    return std::max(1, maxPosition() / 10);
}

void SkinSlider::moveTo(int position)
{
    const int target = std::clamp(position, 0, std::max(0, maxPosition()));
    const int x = int(std::lround(thumbCentre()));
    const int y = height() / 2;
    Q_EMIT skinMouseDown(this, Qt::LeftButton, x, y);
    if (target != m_position) {
        m_position = target;
        update();
        Q_EMIT skinScrollTrack(this, target);
    }
    Q_EMIT skinMouseUp(this, Qt::LeftButton, int(std::lround(thumbCentre())), y);
}

bool SkinSlider::takesKey(const QKeyEvent &event) const
{
    if (event.modifiers() & ~Qt::KeypadModifier)
        return false;
    switch (event.key()) {
    case Qt::Key_Left:
    case Qt::Key_Right:
    case Qt::Key_Up:
    case Qt::Key_Down:
    case Qt::Key_PageUp:
    case Qt::Key_PageDown:
    case Qt::Key_Home:
    case Qt::Key_End:
        return true;
    default:
        return false;
    }
}

void SkinSlider::keyPressEvent(QKeyEvent *event)
{
    if (!takesKey(*event)) {
        SkinObjectWidget::keyPressEvent(event);
        return;
    }
    event->accept();
    switch (event->key()) {
    case Qt::Key_Left:
    case Qt::Key_Down:
        moveTo(m_position - singleStep());
        break;
    case Qt::Key_Right:
    case Qt::Key_Up:
        moveTo(m_position + singleStep());
        break;
    case Qt::Key_PageDown:
        moveTo(m_position - pageStep());
        break;
    case Qt::Key_PageUp:
        moveTo(m_position + pageStep());
        break;
    case Qt::Key_Home:
        moveTo(0);
        break;
    default:
        moveTo(maxPosition());
        break;
    }
}

qreal SkinSlider::thumbCentre() const
{
    const qreal half = style().thumbWidth / 2.0;
    const qreal travel = width() - 2 * half;
    const int largest = maxPosition();
    if (largest <= 0 || travel <= 0)
        return half;
    const qreal fraction = std::clamp(static_cast<qreal>(m_position) / largest, 0.0, 1.0);
    return half + fraction * travel;
}

int SkinSlider::positionAt(qreal centre) const
{
    const qreal half = style().thumbWidth / 2.0;
    const qreal travel = width() - 2 * half;
    const int largest = maxPosition();
    if (largest <= 0 || travel <= 0)
        return 0;
    const qreal fraction = std::clamp((centre - half) / travel, 0.0, 1.0);
    return static_cast<int>(std::lround(fraction * largest));
}

void SkinSlider::dragTo(qreal x)
{
    const int position = positionAt(x - m_grabOffset);
    if (position == m_position)
        return;
    m_position = position;
    update();
    Q_EMIT skinScrollTrack(this, position);
}

void SkinSlider::mousePressEvent(QMouseEvent *event)
{
    SkinObjectWidget::mousePressEvent(event);
    if (event->button() != Qt::LeftButton)
        return;
    m_dragging = true;
    const qreal x = event->position().x();
    const qreal offset = x - thumbCentre();
    // a press on the thumb keeps the thumb where it was under the pointer;
    // a press on the groove brings the thumb to the pointer
    m_grabOffset = std::abs(offset) <= style().thumbWidth / 2.0 ? offset : 0;
    dragTo(x);
}

void SkinSlider::mouseMoveEvent(QMouseEvent *event)
{
    if (m_dragging)
        dragTo(event->position().x());
}

void SkinSlider::mouseReleaseEvent(QMouseEvent *event)
{
    if (event->button() == Qt::LeftButton)
        m_dragging = false;
    SkinObjectWidget::mouseReleaseEvent(event);
}

void SkinSlider::paintEvent(QPaintEvent *)
{
    QPainter painter(this);
    painter.setRenderHint(QPainter::Antialiasing);
    const SkinLook &colours = look();
    const qreal half = style().thumbWidth / 2.0;
    const qreal trackHeight = style().trackHeight;
    const qreal midY = height() / 2.0;
    const QRectF groove(half, midY - trackHeight / 2, width() - 2 * half, trackHeight);
    const qreal radius = std::min<qreal>(style().radius, trackHeight / 2);

    QPainterPath groovePath;
    groovePath.addRoundedRect(groove, radius, radius);
    painter.fillPath(groovePath, colours.fill);

    const qreal centre = thumbCentre();
    QPainterPath playedPath;
    playedPath.addRoundedRect(QRectF(groove.left(), groove.top(), centre - groove.left(), trackHeight), radius,
                              radius);
    painter.fillPath(playedPath, colours.fill2.isValid() ? colours.fill2 : colours.border);

    // the thumb: a ring in the border colour around a face in the text colour
    const qreal thumbRadius = std::min(half, height() / 2.0) - 1;
    painter.setPen(QPen(colours.border, isHovered() || isPressed() ? 3 : 2));
    painter.setBrush(colours.text);
    painter.drawEllipse(QPointF(centre, midY), thumbRadius, thumbRadius);
    paintFocusMark(painter);
}

} // namespace korvex
