#include "components/skin/SkinButton.h"

#include "components/skin/SkinBundle.h"

#include <QKeyEvent>
#include <QPainter>

namespace korvex {

SkinButton::SkinButton(const SkinObjectSpec &def, const SkinStyle &style, SkinBundle &bundle, QWidget *parent)
    : SkinObjectWidget(def, style, bundle, parent)
{
    setCursor(Qt::PointingHandCursor);
    // Tab, not a click, moves the focus: the mouse user's keys stay where they were
    setFocusPolicy(Qt::TabFocus);
    if (toolTip().isEmpty() && !def.label.isEmpty())
        setToolTip(def.label);
}

void SkinButton::press()
{
    Q_EMIT skinClick(this);
}

bool SkinButton::takesKey(const QKeyEvent &event) const
{
    if (event.modifiers() & ~Qt::KeypadModifier)
        return false;
    return event.key() == Qt::Key_Return || event.key() == Qt::Key_Enter || event.key() == Qt::Key_Space;
}

void SkinButton::keyPressEvent(QKeyEvent *event)
{
    if (!takesKey(*event)) {
        SkinObjectWidget::keyPressEvent(event);
        return;
    }
    event->accept();
    // a held key presses once
    if (!event->isAutoRepeat())
        press();
}

SkinLayout SkinButton::layout() const
{
    if (def().label.isEmpty())
        return SkinLayout::IconOnly;
    return def().layout.value_or(style().layout);
}

void SkinButton::paintEvent(QPaintEvent *)
{
    QPainter painter(this);
    painter.setRenderHint(QPainter::Antialiasing);
    const SkinLook &colours = look();
    const QRectF box = QWidget::rect();
    paintBox(painter, box, colours);

    const int iconSide = style().iconSize;
    const QColor tint = colours.icon.isValid() ? colours.icon : colours.text;
    const QPixmap icon = bundle().picture(def().icon, QSize(iconSide, iconSide), devicePixelRatioF(), tint);
    const QFontMetrics metrics(font());
    const QString &label = def().label;
    // the face sinks a pixel while pressed
    const int sink = isPressed() ? 1 : 0;
    painter.setPen(colours.text);

    switch (layout()) {
    case SkinLayout::IconOnly: {
        const QPoint at((width() - iconSide) / 2, (height() - iconSide) / 2 + sink);
        painter.drawPixmap(at, icon);
        break;
    }
    case SkinLayout::IconTop: {
        const int gap = 4;
        const int total = iconSide + gap + metrics.height();
        const int top = (height() - total) / 2 + sink;
        painter.drawPixmap(QPoint((width() - iconSide) / 2, top), icon);
        painter.drawText(QRect(0, top + iconSide + gap, width(), metrics.height()), Qt::AlignCenter, label);
        break;
    }
    case SkinLayout::IconLeft: {
        const int gap = icon.isNull() ? 0 : 7;
        const int shown = icon.isNull() ? 0 : iconSide;
        const int total = shown + gap + metrics.horizontalAdvance(label);
        const int left = std::max(4, (width() - total) / 2);
        if (!icon.isNull())
            painter.drawPixmap(QPoint(left, (height() - iconSide) / 2 + sink), icon);
        painter.drawText(QRect(left + shown + gap, sink, width() - left - shown - gap, height()),
                         Qt::AlignLeft | Qt::AlignVCenter, label);
        break;
    }
    }
    paintFocusMark(painter);
}

} // namespace korvex
