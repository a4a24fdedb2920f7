#include "support/TonesAndPauses.h"

#include "support/AudioFixtures.h"
#include "support/ExternalTools.h"

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

QString writeDayLongFile(const QString &path, qint64 toneFrame)
{
    const qint64 rate = 22050;
    const qint64 total = qint64(30) * 3600 * rate;
    const qint64 toneFrames = rate / 2;
    const QString silence = QStringLiteral("anullsrc=r=22050:cl=mono:nb_samples=16384");
    const ToolResult made = RunTool(
        QStringLiteral("ffmpeg"),
        {"-v", "error", "-f", "lavfi", "-i", silence, "-f", "lavfi", "-i",
         "sine=f=440:r=22050:samples_per_frame=16384", "-f", "lavfi", "-i", silence, "-filter_complex",
         QStringLiteral("[0]atrim=end_sample=%1[a];[1]atrim=end_sample=%2,volume=4[b];[2]atrim=end_sample=%3[c];"
                        "[a][b][c]concat=n=3:v=0:a=1")
             .arg(toneFrame)
             .arg(toneFrames)
             .arg(total - toneFrame - toneFrames),
         "-c:a", "flac", "-compression_level", "0", "-y", path});
    return made.exitCode == 0 ? path : QString();
}

} // namespace korvex::test
