#pragma once

#include "components/Mp3Frames.h"

#include <QList>
#include <QString>

#include <functional>

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

// Reads the frame positions of an MP3 file without decoding it. Throws
// KorvexError naming the file when it is no Layer III stream Korvex can cut
// without re-encoding.
Mp3Source IndexMp3Source(const QString &path);

// Samples [first, end) of a source.
struct Mp3Range
{
    const Mp3Source *source = nullptr;
    qint64 first = 0;
    qint64 end = 0;
};

// Asked between chunks of frames with the bytes done and in all.
using CopyProgress = std::function<void(qint64 done, qint64 total)>;

// Writes the ranges one after the other into `outputPath` (replacing what is
// there) as an MP3 stream whose frames are copied unchanged. A decoder gives
// the first range from its first sample and the last range to its last: the
// leading "Info" frame states the delay and padding. Each range starts one
// frame early (that frame's samples are counted as delay) so the first wanted
// frame decodes as it does in the source, and where that frame's bit
// reservoir reaches into earlier frames, a silent frame before it carries
// those bytes, so no range begins with a damaged frame. Between two ranges
// the samples a frame holds beyond the first range's end and before the
// second range's start stay in the stream: they are at most three frames.
void WriteMp3Ranges(const QList<Mp3Range> &ranges, const QString &outputPath, const CopyProgress &progress = {});

} // namespace korvex
