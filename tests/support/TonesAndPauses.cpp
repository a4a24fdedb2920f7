#include "support/TonesAndPauses.h"

#include "support/AudioFixtures.h"

#include <QRandomGenerator>

#include <cmath>
#include <numbers>

namespace korvex::test {

void writeTonesOverFloor(const QString &path, double seconds, const QList<ToneAt> &tones, double floorDb,
                         int sampleRate, bool spoken)
{
    const qint64 frames = qint64(std::llround(seconds * sampleRate));
    // uniform noise of peak a has an RMS of a / sqrt(3)
    const double floorPeak = floorDb < -150 ? 0.0 : std::pow(10.0, floorDb / 20.0) * std::sqrt(3.0);
    QRandomGenerator noise(11);
    QList<float> samples(frames * 2);
    for (qint64 frame = 0; frame < frames; ++frame) {
        const double t = double(frame) / sampleRate;
        bool inTone = false;
        for (const ToneAt &tone : tones)
            inTone = inTone || (t >= tone.begin && t < tone.end);
        const double level = spoken ? 0.5 * (0.2 + 0.8 * std::abs(std::sin(std::numbers::pi * 2.3 * t))
                                                 * (0.6 + 0.4 * std::sin(2 * std::numbers::pi * 0.31 * t)))
                                    : 0.5;
        for (int channel = 0; channel < 2; ++channel) {
            const double value = inTone ? level * std::sin(2 * std::numbers::pi * 440.0 * t)
                                        : floorPeak * (2 * noise.generateDouble() - 1);
            samples[frame * 2 + channel] = float(value);
        }
    }
    writeAudioSamples(path, sampleRate, 2, samples);
}

QList<ToneAt> fiveTonesWithPauses(double offset)
{
    QList<ToneAt> tones;
    for (int k = 0; k < 5; ++k)
        tones.append({offset + 5.0 * k, offset + 5.0 * k + 3.0});
    return tones;
}

} // namespace korvex::test
