#include "components/skin/SkinObjectWidget.h"

#include <QKeyEvent>
#include <QLinearGradient>
#include <QMouseEvent>
#include <QPainter>
#include <QPainterPath>

namespace korvex {

SkinObjectWidget::SkinObjectWidget(const SkinObjectSpec &def, const SkinStyle &style, SkinBundle &bundle,
                                   QWidget *parent)
    : QWidget(parent), m_spec(def), m_style(style), m_bundle(bundle)
{
    setObjectName(def.name);
    setGeometry(def.rect);
    setFont(style.font);
    if (!def.tooltip.isEmpty())
        setToolTip(def.tooltip);
}

QString SkinObjectWidget::spokenName() const
{
    if (!m_spec.label.isEmpty())
        return m_spec.label;
    if (!m_spec.tooltip.isEmpty())
        return m_spec.tooltip;
    return m_spec.name;
}

const SkinLook &SkinObjectWidget::look() const
{
    if (m_pressed)
        return m_style.pressed;
    return m_hovered ? m_style.hover : m_style.normal;
}

void SkinObjectWidget::mousePressEvent(QMouseEvent *event)
{
    const QPoint at = event->position().toPoint();
    if (event->button() == Qt::LeftButton) {
        m_pressed = true;
        update();
    }
    Q_EMIT skinMouseDown(this, event->button(), at.x(), at.y());
}

void SkinObjectWidget::mouseReleaseEvent(QMouseEvent *event)
{
    const QPoint at = event->position().toPoint();
    const bool wasPressed = m_pressed && event->button() == Qt::LeftButton;
    if (event->button() == Qt::LeftButton) {
        m_pressed = false;
        update();
    }
    Q_EMIT skinMouseUp(this, event->button(), at.x(), at.y());
    // A click is a press and a release of the left button both on the
    // object; sliding off before letting go cancels it, as users expect.
    if (wasPressed && QWidget::rect().contains(at))
        Q_EMIT skinClick(this);
}

void SkinObjectWidget::enterEvent(QEnterEvent *)
{
    m_hovered = true;
    update();
}

void SkinObjectWidget::leaveEvent(QEvent *)
{
    m_hovered = false;
    update();
}

void SkinObjectWidget::focusInEvent(QFocusEvent *event)
{
    QWidget::focusInEvent(event);
    update();
}

void SkinObjectWidget::focusOutEvent(QFocusEvent *event)
{
    QWidget::focusOutEvent(event);
    update();
}

// The window's keys are shortcuts, which Qt tries before the focused widget
// sees the key; accepting the override hands the key to the object instead.
bool SkinObjectWidget::event(QEvent *event)
{
    if (event->type() == QEvent::ShortcutOverride && takesKey(*static_cast<QKeyEvent *>(event))) {
        event->accept();
        return true;
    }
    return QWidget::event(event);
}

void SkinObjectWidget::paintFocusMark(QPainter &painter) const
{
    if (!hasFocus())
        return;
    const QRectF box = QRectF(QWidget::rect()).adjusted(1, 1, -1, -1);
    const qreal radius = std::min<qreal>(m_style.radius, std::min(box.width(), box.height()) / 2);
    painter.save();
    painter.setRenderHint(QPainter::Antialiasing);
    painter.setBrush(Qt::NoBrush);
    painter.setPen(QPen(m_style.focus, 2));
    painter.drawRoundedRect(box, radius, radius);
    painter.restore();
}

void SkinObjectWidget::paintBox(QPainter &painter, const QRectF &box, const SkinLook &colours) const
{
    if (box.width() <= 0 || box.height() <= 0)
        return;
    const qreal radius = std::min<qreal>(m_style.radius, std::min(box.width(), box.height()) / 2);
    QPainterPath path;
    path.addRoundedRect(box.adjusted(0.5, 0.5, -0.5, -0.5), radius, radius);
    if (colours.fill2.isValid()) {
        QLinearGradient gradient(box.topLeft(), box.bottomLeft());
        gradient.setColorAt(0, colours.fill);
        gradient.setColorAt(1, colours.fill2);
        painter.fillPath(path, gradient);
    } else {
        painter.fillPath(path, colours.fill);
    }
    if (colours.border.alpha() > 0) {
        painter.setPen(QPen(colours.border, 1));
        painter.drawPath(path);
    }
}

} // namespace korvex
