#include "joblist/SilenceFinder.h"

#include "components/IAudioFile2.h"
#include "joblist/Scale.h"

#include <algorithm>
#include <cmath>

namespace korvex {

namespace {

constexpr int WindowsPerSecond = 100;
// About a second and a half of 44.1 kHz audio per read: short enough for the
// window to stay lively between blocks, long enough that reads cost little.
constexpr qint64 BlockFrames = 65536;

// Closes the reader on every way out of a scan.
class ReaderScope
{
public:
    explicit ReaderScope(IAudioFile2 &reader) : m_reader(reader) {}
    ~ReaderScope()
    {
        try {
            if (m_reader.isOpen())
                m_reader.close();
        } catch (...) {
        }
    }
    ReaderScope(const ReaderScope &) = delete;
    ReaderScope &operator=(const ReaderScope &) = delete;

private:
    IAudioFile2 &m_reader;
};

} // namespace

LevelGate::LevelGate(int sampleRate, int channels, const SilenceSettings &settings)
    : m_channels(qMax(channels, 1))
    , m_windowFrames(qMax<qint64>((sampleRate + WindowsPerSecond / 2) / WindowsPerSecond, 1))
{
    const SilenceSettings kept = Clamped(settings);
    const double windowMs = 1000.0 / WindowsPerSecond;
    m_silentWindowsToSplit = qMax<qint64>(qint64(std::ceil(kept.MinLength / windowMs)), 1);
    const double threshold = std::pow(10.0, kept.Threshold / 20.0);
    m_thresholdSquare = threshold * threshold;
}

void LevelGate::feed(const float *samples, qint64 frames)
{
    while (frames > 0) {
        const qint64 take = qMin(frames, m_windowFrames - m_windowFill);
        const float *end = samples + take * m_channels;
        double sum = 0;
        for (const float *sample = samples; sample != end; ++sample)
            sum += double(*sample) * *sample;
        m_windowSum += sum;
        m_windowFill += take;
        samples = end;
        frames -= take;
        if (m_windowFill == m_windowFrames)
            closeWindow();
    }
}

void LevelGate::closeWindow()
{
    const qint64 windowEnd = m_windowStart + m_windowFill;
    const bool sound = m_windowSum / double(m_windowFill * m_channels) >= m_thresholdSquare;
    if (sound) {
        if (!m_inStretch) {
            m_inStretch = true;
            m_stretchBegin = m_windowStart;
        }
        m_lastSoundEnd = windowEnd;
        m_silentRun = 0;
    } else if (m_inStretch && ++m_silentRun >= m_silentWindowsToSplit) {
        m_stretches.append({m_stretchBegin, m_lastSoundEnd});
        m_inStretch = false;
    }
    m_windowStart = windowEnd;
    m_windowFill = 0;
    m_windowSum = 0;
}

QList<SoundStretch> LevelGate::finish()
{
    if (m_windowFill > 0)
        closeWindow();
    if (m_inStretch) {
        m_stretches.append({m_stretchBegin, m_lastSoundEnd});
        m_inStretch = false;
    }
    return m_stretches;
}

QList<qint64> CutsBetween(const QList<SoundStretch> &stretches, double offset)
{
    QList<qint64> cuts;
    for (qsizetype k = 1; k < stretches.size(); ++k) {
        const qint64 pauseBegin = stretches.at(k - 1).end;
        const qint64 pauseEnd = qMax(stretches.at(k).begin, pauseBegin);
        cuts.append(pauseBegin + qint64(std::llround(offset * double(pauseEnd - pauseBegin))));
    }
    return cuts;
}

QList<Segment> PiecesFromStretches(const QList<SoundStretch> &stretches, int sampleRate, qint64 lengthFrames,
                                   const SilenceSettings &settings)
{
    QList<Segment> pieces;
    if (sampleRate <= 0 || stretches.isEmpty())
        return pieces;
    const SilenceSettings kept = Clamped(settings);
    const qint64 trimFrames = FrameAtMs(kept.Trim, sampleRate);
    const auto ms = [sampleRate](qint64 frame) { return Scale64(frame, 1000, sampleRate); };
    const QList<qint64> cuts = CutsBetween(stretches, kept.Offset);
    for (qsizetype k = 0; k < stretches.size(); ++k) {
        qint64 begin = k == 0 ? 0 : cuts.at(k - 1);
        qint64 end = k == stretches.size() - 1 ? lengthFrames : cuts.at(k);
        if (trimFrames > 0) {
            begin = qMax(begin, stretches.at(k).begin - trimFrames);
            end = qMin(end, stretches.at(k).end + trimFrames);
        }
        const Segment piece{ms(begin), ms(end)};
        if (piece.End > piece.Begin)
            pieces.append(piece);
    }
    return pieces;
}

std::optional<QList<Segment>> SilenceFinder::find(const QString &path, const SilenceSettings &settings,
                                                  const Progress &progress)
{
    const ReaderScope closing(m_reader);
    if (m_reader.isOpen())
        m_reader.close();
    m_reader.openForRead(path, 0, 1);
    const int rate = m_reader.sampleRate();
    const int channels = m_reader.channelCount();
    const qint64 total = m_reader.length();
    LevelGate gate(rate, channels, settings);
    qint64 done = 0;
    for (;;) {
        const SampleArray block = m_reader.readBlock(BlockFrames);
        if (block.isEmpty())
            break;
        const qint64 frames = block.frameCount(channels);
        gate.feed(block.data(), frames);
        done += frames;
        if (progress && !progress(done, total))
            return std::nullopt;
    }
    return PiecesFromStretches(gate.finish(), rate, total, settings);
}

} // namespace korvex
