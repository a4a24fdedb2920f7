#pragma once

#include "components/Mp3Index.h"

#include <QList>
#include <QString>

#include <functional>

namespace korvex {

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
// there) as an MP3 stream whose frames are copied unchanged, after an ID3v2
// tag of padding that leaves room for the piece's tag. A frame that no longer
// starts with a header of the source's format throws KorvexError saying that
// the source changed. A decoder gives the first range from its first sample
// and the last range to its last: the leading "Info" frame states the delay
// and padding. The first range starts one frame early (that frame's samples
// are counted as delay) so its first wanted frame decodes as it does in the
// source, and where that frame's bit reservoir reaches into earlier frames, a
// silent frame before it carries those bytes, so no piece begins with a
// damaged frame.
//
// A join cannot be trimmed at its seams: every frame decodes to a whole
// frame of samples, and the frames of two sources do not fall on one grid.
// So a range after another starts straight with the frame its first sample
// is in, and between two ranges stay what the first's last frame holds past
// its end and what the second's first frame holds before its start: less
// than two frames. The second range's samples are exact from 1152 samples
// into its first frame on (MPEG-1: from its second frame); before that the
// frame decodes overlapped with the frame before it, as any decoder's filter
// bank runs on across frames.
void WriteMp3Ranges(const QList<Mp3Range> &ranges, const QString &outputPath, const CopyProgress &progress = {});

} // namespace korvex
