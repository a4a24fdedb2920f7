#pragma once

#include "components/skin/ISkinObject.h"

namespace korvex {

// What the form gives for a name its skin does not have: an invisible object
// with every interface, keeping what is written to it, so that the program
// never meets a null object whatever skin is loaded.
class SkinStandIn : public ISkinObject, public ISkinCommon, public ISkinSlider, public ISkinText, public ISkinWaveform
{
public:
    explicit SkinStandIn(const QString &name) : m_name(name) {}

    QString name() const override { return m_name; }
    ISkinCommon *commonInterface() override { return this; }
    ISkinSlider *sliderInterface() override { return this; }
    ISkinText *textInterface() override { return this; }
    ISkinWaveform *waveformInterface() override { return this; }

    QRect rect() const override { return m_rect; }
    void setRect(const QRect &rect) override { m_rect = rect; }
    void redraw() override {}

    int rangeEnd() const override { return m_rangeEnd; }
    void setRangeEnd(int value) override { m_rangeEnd = value; }
    int thumbSize() const override { return m_thumbSize; }
    void setThumbSize(int value) override { m_thumbSize = value; }
    int position() const override { return m_position; }
    void setPosition(int value) override { m_position = value; }

    void setText(const QString &text) override { m_text = text; }
    QString text() const override { return m_text; }

    // nothing to show it on
    void setLevels(const QList<quint8> &, const QList<quint8> &, int) override {}
    void setBands(const QList<SkinWaveBand> &) override {}
    void setPlayFraction(double) override {}

private:
    QString m_name;
    QRect m_rect;
    int m_rangeEnd = 0;
    int m_thumbSize = 0;
    int m_position = 0;
    QString m_text;
};

} // namespace korvex
