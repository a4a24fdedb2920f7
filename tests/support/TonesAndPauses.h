#pragma once

#include <QList>
#include <QString>

namespace korvex::test {

// A stretch of tone, in seconds from the start of the file.
struct ToneAt
{
    double begin = 0;
    double end = 0;
};

// Writes a stereo file of `seconds` (codec by extension, as writeAudioFile)
// holding a 440 Hz tone at -6 dBFS in each stretch, over a noise floor of
// floorDb dBFS everywhere else; floorDb below -150 gives digital silence.
// With `spoken`, each tone rises and falls like syllables instead of
// holding its level (for pictures; the level still stays above -30 dBFS).
void writeTonesOverFloor(const QString &path, double seconds, const QList<ToneAt> &tones, double floorDb = -65.0,
                         int sampleRate = 44100, bool spoken = false);

// Five tones of 3 s separated by pauses of 2 s: 0-3, 5-8, 10-13, 15-18, 20-23.
QList<ToneAt> fiveTonesWithPauses(double offset = 0.0);

// 30 hours of mono silence at 22.05 kHz, more than 2^31 frames, with half a
// second of a 440 Hz tone (amplitude 0.5) from frame `toneFrame` on, as
// FLAC (which keeps it small). The path, or "" when ffmpeg failed.
QString writeDayLongFile(const QString &path, qint64 toneFrame);

} // namespace korvex::test
