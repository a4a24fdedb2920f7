#include "components/LosslessCopy.h"

#include "components/AudioReader.h"
#include "components/EncodedWriter.h"
#include "components/KorvexError.h"

namespace korvex {

namespace {

// Frames decoded and written at a time.
constexpr qint64 BlockFrames = 65536;

std::optional<int> wavBits(AVCodecID codec)
{
    switch (codec) {
    case AV_CODEC_ID_PCM_U8:
        return 8;
    case AV_CODEC_ID_PCM_S16LE:
        return 16;
    case AV_CODEC_ID_PCM_S24LE:
        return 24;
    case AV_CODEC_ID_PCM_F32LE:
        return 32;
    default:
        return std::nullopt;
    }
}

// FFmpeg's FLAC encoder writes 16 or 24 bits; fewer go into 16 unchanged.
std::optional<int> flacBits(const AVCodecParameters &codec)
{
    const int bits = codec.bits_per_raw_sample > 0 ? codec.bits_per_raw_sample
                                                   : (codec.format == AV_SAMPLE_FMT_S16 ? 16 : 24);
    if (bits <= 16)
        return 16;
    if (bits <= 24)
        return 24;
    return std::nullopt;
}

} // namespace

std::optional<OutputEncoding> LosslessEncodingOf(const AVCodecParameters &codec, const QString &container)
{
    OutputEncoding encoding;
    std::optional<int> bits;
    if (codec.codec_id == AV_CODEC_ID_FLAC && container == QLatin1String("flac")) {
        encoding.codec = EncodedCodec::Flac;
        bits = flacBits(codec);
    } else if (container == QLatin1String("wav")) {
        encoding.codec = EncodedCodec::Wav;
        bits = wavBits(codec.codec_id);
    }
    if (!bits)
        return std::nullopt;
    encoding.sourceBits = *bits;
    return encoding;
}

void RecodeRanges(const QList<PacketRange> &ranges, const QString &outputPath, const OutputEncoding &encoding,
                  const std::function<void(qint64 done, qint64 total)> &progress)
{
    if (ranges.isEmpty())
        return;
    qint64 total = 0;
    for (const PacketRange &range : ranges)
        total += range.end - range.first;
    std::optional<EncodedWriter> writer;
    qint64 done = 0;
    for (const PacketRange &range : ranges) {
        AudioReader reader(range.path);
        if (!writer)
            writer.emplace(outputPath, encoding, reader.sampleRate(), reader.channelCount());
        else
            writer->setInputFormat(reader.sampleRate(), reader.channelCount());
        reader.seek(range.first);
        for (qint64 left = range.end - range.first; left > 0;) {
            const SampleArray block = reader.read(qMin(left, BlockFrames));
            const qint64 frames = block.upperBound() / qMax(1, reader.channelCount());
            if (frames <= 0 || reader.missingFrames() > 0)
                throw KorvexError(QStringLiteral("'%1' could not be read to its end: its audio stops before the "
                                                 "length measured when it was added.").arg(range.path));
            writer->write(block);
            left -= frames;
            done += frames;
            if (progress)
                progress(done, total);
        }
    }
    writer->finish();
}

} // namespace korvex
