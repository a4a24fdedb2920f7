#pragma once

#include <QList>

namespace korvex {

// A block of audio as it crosses the component boundary: interleaved 32-bit
// float samples, indexed from 1 like the safe arrays the callers were written
// for. upperBound() is the sample count (frames × channels); an empty array
// has upper bound 0, which readers use to say "nothing more".
class SampleArray
{
public:
    SampleArray() = default;
    explicit SampleArray(qsizetype sampleCount) : m_samples(sampleCount, 0.0f) {}
    explicit SampleArray(QList<float> samples) : m_samples(std::move(samples)) {}

    qsizetype upperBound() const noexcept { return m_samples.size(); }
    bool isEmpty() const noexcept { return m_samples.isEmpty(); }
    qsizetype frameCount(int channels) const noexcept
    {
        return channels > 0 ? m_samples.size() / channels : 0;
    }

    // 1-based access, as the arrays' users count.
    float &at1(qsizetype index) { return m_samples[index - 1]; }
    float at1(qsizetype index) const { return m_samples.at(index - 1); }

    float *data() { return m_samples.data(); }
    const float *data() const { return m_samples.constData(); }
    QList<float> &samples() noexcept { return m_samples; }
    const QList<float> &samples() const noexcept { return m_samples; }

private:
    QList<float> m_samples;
};

} // namespace korvex
