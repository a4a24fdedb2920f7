#pragma once

#include "components/skin/SkinObjectWidget.h"

namespace korvex {

// The sound of the selected file drawn across the object, scaled to its
// loudest part: the peak level as
// a light, mirrored shape, the RMS level darker inside it, confirmed segments
// as tinted bands, the pending segment outlined and the play position as a
// line (a pending segment over the whole file is not outlined: nothing is
// marked yet). Columns not yet computed stay empty, so the picture grows as the scan
// goes on. Colours: fill the peak, fill2 the RMS, border the pending outline
// and the play line, text the bands (drawn translucent).
class SkinWaveform : public SkinObjectWidget, public ISkinWaveform
{
    Q_OBJECT
public:
    using SkinObjectWidget::SkinObjectWidget;

    ISkinWaveform *waveformInterface() override { return this; }
    void setLevels(const QList<quint8> &peak, const QList<quint8> &rms, int filled) override;
    void setBands(const QList<SkinWaveBand> &bands) override;
    void setPlayFraction(double fraction) override;
    const QList<SkinWaveBand> &bands() const { return m_bands; }

protected:
    void paintEvent(QPaintEvent *event) override;

private:
    void paintLevels(QPainter &painter, const QList<quint8> &levels, const QColor &colour) const;
    QRectF bandRect(const SkinWaveBand &segment, qreal top, qreal bandHeight) const;

    // The loudest peak so far is drawn at full height, but never one below
    // this (about -18 dBFS).
    static constexpr int QuietestFullHeight = 32;

    QList<quint8> m_peak;
    QList<quint8> m_rms;
    int m_filled = 0;
    int m_loudest = QuietestFullHeight;
    QList<SkinWaveBand> m_bands;
    double m_play = 0;
};

} // namespace korvex
