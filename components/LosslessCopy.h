#pragma once

#include "components/OutputEncoding.h"
#include "components/PacketCopier.h"

#include <QList>
#include <QString>

#include <functional>
#include <optional>

struct AVCodecParameters;

namespace korvex {

// FLAC and PCM WAV are not cut as packets: their ranges are decoded and
// written again in the source's own codec and sample format, which loses
// nothing and gives exactly the range's samples. The encoding that does that
// for a source coded so; nothing where the samples would not come back whole
// through Korvex's 32-bit float samples (32-bit integers, 64-bit floats,
// FLAC of more than 24 bits) or the source is no FLAC or PCM WAV.
std::optional<OutputEncoding> LosslessEncodingOf(const AVCodecParameters &codec, const QString &container);

// Decodes the ranges one after the other and writes them into `outputPath`
// (replacing what is there) with `encoding`. Throws KorvexError naming the
// file on failure, or when a source gives less audio than the range asks.
void RecodeRanges(const QList<PacketRange> &ranges, const QString &outputPath, const OutputEncoding &encoding,
                  const std::function<void(qint64 done, qint64 total)> &progress = {});

} // namespace korvex
