#pragma once

#include "joblist/SegmentPlan.h"
#include "settings/SilenceSettings.h"

#include <QList>

#include <functional>
#include <optional>

namespace korvex {

class IAudioFile2;

// A stretch of sound in frames of the source: [begin, end).
struct SoundStretch
{
    qint64 begin = 0;
    qint64 end = 0;
    bool operator==(const SoundStretch &) const = default;
};

// Sorts 10 ms windows of audio into sound and silence and collects the
// stretches of sound between silences of at least the minimum length. A
// shorter pause stays inside its stretch; silence before the first and after
// the last sound belongs to no stretch.
class LevelGate
{
public:
    LevelGate(int sampleRate, int channels, const SilenceSettings &settings);

    // Interleaved samples, in order from the start of the file.
    void feed(const float *samples, qint64 frames);
    // Closes the last window and the last stretch.
    QList<SoundStretch> finish();

private:
    void closeWindow();

    int m_channels;
    qint64 m_windowFrames;
    qint64 m_silentWindowsToSplit;
    double m_thresholdSquare;     // mean square level at the threshold

    qint64 m_windowStart = 0;     // frame where the open window began
    qint64 m_windowFill = 0;      // frames in the open window
    double m_windowSum = 0;       // sum of squares of the open window
    bool m_inStretch = false;
    qint64 m_stretchBegin = 0;
    qint64 m_lastSoundEnd = 0;    // end of the latest window of sound
    qint64 m_silentRun = 0;       // silent windows since then
    QList<SoundStretch> m_stretches;
};

// The pieces of a file of `lengthFrames` frames cut between its stretches of
// sound, in milliseconds: each cut lies inside the pause between two
// stretches at settings.Offset (0 where the pause begins, 1 where it ends), the
// first piece begins at 0 and the last ends at the file's end. With
// settings.Trim above 0 a piece keeps at most that much of the pause (or of
// the file's leading and trailing silence) at either edge. Two stretches are
// never joined: they were cut apart by a pause of at least the minimum length.
QList<Segment> PiecesFromStretches(const QList<SoundStretch> &stretches, int sampleRate, qint64 lengthFrames,
                                   const SilenceSettings &settings);

// The cut points inside the pauses between stretches, in frames, at `offset`.
QList<qint64> CutsBetween(const QList<SoundStretch> &stretches, double offset);

// Scans a file through a reading component for its pieces of sound.
class SilenceFinder
{
public:
    // Called after every block; returning false stops the scan.
    using Progress = std::function<bool(qint64 doneFrames, qint64 totalFrames)>;

    explicit SilenceFinder(IAudioFile2 &reader) : m_reader(reader) {}

    // The pieces of the file as PiecesFromStretches cuts them. Empty for a
    // file without sound; nullopt when progress stopped the scan. The reader
    // is closed afterwards, also when a read throws (KorvexError).
    std::optional<QList<Segment>> find(const QString &path, const SilenceSettings &settings,
                                       const Progress &progress = {});

private:
    IAudioFile2 &m_reader;
};

} // namespace korvex
