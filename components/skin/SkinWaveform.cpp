#include "components/skin/SkinWaveform.h"

#include <QPainter>
#include <QPainterPath>

#include <algorithm>

namespace korvex {

void SkinWaveform::setLevels(const QList<quint8> &peak, const QList<quint8> &rms, int filled)
{
    m_peak = peak;
    m_rms = rms;
    m_filled = std::clamp(filled, 0, int(std::min(peak.size(), rms.size())));
    // Quiet recordings fill the height too; a file of mere hiss is not blown
    // up to look like sound.
    m_loudest = QuietestFullHeight;
    for (int column = 0; column < m_filled; ++column)
        m_loudest = std::max<int>(m_loudest, m_peak[column]);
}

void SkinWaveform::setBands(const QList<SkinWaveBand> &bands)
{
    m_bands = bands;
}

void SkinWaveform::setPlayFraction(double fraction)
{
    m_play = std::clamp(fraction, 0.0, 1.0);
}

// One mirrored shape around the middle line, one point per pixel column.
void SkinWaveform::paintLevels(QPainter &painter, const QList<quint8> &levels, const QColor &colour) const
{
    const int columns = int(levels.size());
    if (columns == 0 || m_filled == 0 || width() <= 0)
        return;
    const qreal middle = height() / 2.0;
    const qreal scale = (height() / 2.0 - 0.5) / m_loudest;
    const int drawnWidth = int(qint64(width()) * m_filled / columns);
    QPainterPath shape;
    QList<QPointF> lower;
    for (int x = 0; x <= drawnWidth && x < width(); ++x) {
        // the loudest column under this pixel
        const int first = int(qint64(x) * columns / width());
        const int last = std::max(first, int(qint64(x + 1) * columns / width()) - 1);
        int value = 0;
        for (int column = first; column <= last && column < m_filled; ++column)
            value = std::max<int>(value, levels[column]);
        const qreal half = std::max<qreal>(value * scale, 0.5);
        const QPointF upper(x, middle - half);
        if (x == 0)
            shape.moveTo(upper);
        else
            shape.lineTo(upper);
        lower.prepend(QPointF(x, middle + half));
    }
    for (const QPointF &point : lower)
        shape.lineTo(point);
    shape.closeSubpath();
    painter.fillPath(shape, colour);
}

void SkinWaveform::paintEvent(QPaintEvent *)
{
    QPainter painter(this);
    const SkinLook &colours = style().normal;
    const qreal w = width();
    QColor tint = colours.text;
    tint.setAlphaF(0.2);
    for (const SkinWaveBand &segment : m_bands) {
        if (!segment.pending)
            painter.fillRect(bandRect(segment, 0, height()), tint);
    }
    paintLevels(painter, m_peak, colours.fill);
    paintLevels(painter, m_rms, colours.fill2.isValid() ? colours.fill2 : colours.fill.darker(140));
    // a strip along the foot says "segment" where the wave covers the tint
    for (const SkinWaveBand &segment : m_bands) {
        if (!segment.pending)
            painter.fillRect(bandRect(segment, height() - 3, 3), colours.text);
    }
    painter.setRenderHint(QPainter::Antialiasing);
    for (const SkinWaveBand &segment : m_bands) {
        // a pending segment over the whole file is what "nothing marked" looks like
        if (!segment.pending || (segment.begin <= 0 && segment.end >= 1))
            continue;
        painter.setPen(QPen(colours.border, 1.5, Qt::DashLine));
        painter.setBrush(Qt::NoBrush);
        painter.drawRect(bandRect(segment, 0, height()).adjusted(0.75, 0.75, -0.75, -0.75));
    }
    // without a wave the slider's thumb says it all
    if (m_filled == 0)
        return;
    const qreal x = m_play * (w - 1) + 0.5;
    painter.setPen(QPen(colours.border, 1.5));
    painter.drawLine(QPointF(x, 0), QPointF(x, height()));
}

QRectF SkinWaveform::bandRect(const SkinWaveBand &segment, qreal top, qreal bandHeight) const
{
    const qreal w = width();
    return QRectF(segment.begin * w, top, std::max((segment.end - segment.begin) * w, 1.0), bandHeight);
}

} // namespace korvex
