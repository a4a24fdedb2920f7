#include "components/skin/SkinBar.h"

#include <QLinearGradient>
#include <QPainter>
#include <QPainterPath>

namespace korvex {

void SkinBar::paintEvent(QPaintEvent *)
{
    if (width() <= 0 || height() <= 0)
        return;
    QPainter painter(this);
    painter.setRenderHint(QPainter::Antialiasing);
    const SkinLook &colours = style().normal;
    const QRectF box = QWidget::rect();
    const qreal radius = std::min<qreal>(style().radius, std::min(box.width(), box.height()) / 2);
    QPainterPath path;
    path.addRoundedRect(box, radius, radius);
    // the gradient runs left to right over the bar as it grows
    QLinearGradient gradient(box.topLeft(), box.topRight());
    gradient.setColorAt(0, colours.fill);
    gradient.setColorAt(1, colours.fill2.isValid() ? colours.fill2 : colours.fill);
    painter.fillPath(path, gradient);
    if (!text().isEmpty()) {
        painter.setPen(colours.text);
        painter.drawText(box, Qt::AlignCenter, text());
    }
}

} // namespace korvex
