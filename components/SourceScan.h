#pragma once

#include <QString>
#include <QtGlobal>

namespace korvex {

// How long a source really is, in the frames a straight decode delivers
// (encoder delay and padding already cut), and the frame grid its decoder
// works on (0 when frames vary in size and timestamps are exact anyway).
struct SourceLength
{
    qint64 frames = 0;
    int grid = 0;
};

// The writer stores the exact frame count of the audio it was given in this
// header attribute, because ASF cannot say where the padding of the last
// frame begins.
inline constexpr const char *FrameCountAttribute = "KorvexFrameCount";

// Measures a source: from its own header where that is exact, by summing its
// packets where they carry exact durations, and by decoding it otherwise
// (WMA). Results are remembered per file (path, size, modification time), so
// reopening an unchanged file costs nothing. Throws KorvexError when the file
// cannot be read at all.
SourceLength measureSource(const QString &path);

} // namespace korvex
