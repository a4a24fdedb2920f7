#pragma once

#include "components/FfmpegSupport.h"
#include "components/MuxedComments.h"

#include <QList>
#include <QString>

#include <functional>

namespace korvex {

// A source opened with its stream parameters known, and its audio stream.
struct OpenSource
{
    InputFormatPtr input;
    AVStream *stream = nullptr;
};
// Throws KorvexError naming the file when it cannot be opened or holds no audio.
OpenSource OpenAudioSource(const QString &path);

// A stretch of a source in samples at its own rate: [first, end).
struct PacketRange
{
    QString path;
    qint64 first = 0;
    qint64 end = 0;
};

// Copies the coded packets of time ranges of Ogg (Vorbis, Opus), MP4/M4A (AAC)
// and ASF (WMA) sources one after the other into a file of the first source's
// container and codec, unchanged. Cuts fall on whole packets: a range keeps
// every packet that holds any of its samples, and one packet more before it,
// which the decoder needs to give the first of them as the source gives them.
// So a piece starts up to two packets (Vorbis: up to 2 × 2048 samples, Opus:
// 2 × 20 ms, AAC: 2 × 1024, WMA: 2 × 2048) early and ends up to one packet
// late. An Ogg output is muxed with `comments` in its comment header (the
// source's own are not kept); other containers are tagged afterwards. Throws
// KorvexError naming the file on failure.
void CopyPacketRanges(const QList<PacketRange> &ranges, const QString &outputPath,
                      const std::function<void(qint64 done, qint64 total)> &progress = {},
                      const MuxedComments &comments = {});

// The muxer a source's container is written back with; empty when the source
// is not one CopyPacketRanges copies.
QString CopyMuxerFor(const AVFormatContext &input, AVCodecID codec);

} // namespace korvex
