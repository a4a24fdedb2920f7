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
// the source changed. A decoder gives
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
