#pragma once

#include "components/Mp3Frames.h"

#include <QList>
#include <QString>

namespace korvex {

// Where the frames of an MP3 file are and how its decoded samples line up with
// them. Sample 0 is the first sample a decoder gives once it has dropped the
// encoder delay the file's own LAME header states.
struct Mp3Source
{
    QString path;
    Mp3FrameHeader format;       // the first audio frame's header
    QList<qint64> positions;     // byte position of each audio frame
    QList<int> sizes;            // its length in bytes
    qint64 startSkip = 0;        // decoded samples dropped before sample 0
    int channels = 0;

    int samplesPerFrame() const { return format.samplesPerFrame(); }
};

// Reads the frame positions of an MP3 file without decoding it: FFmpeg finds
// the first audio frame and the encoder delay, and the frame headers are
// followed from there. Where they cannot be followed to the end of the file
// (a free-format stream, bytes between frames, a cut last frame), FFmpeg's
// demuxer walks the file instead, as it finds its way through those. Throws
// KorvexError naming the file when it is no Layer III stream Korvex can cut
// without re-encoding.
Mp3Source IndexMp3Source(const QString &path);

} // namespace korvex
