#include "components/OutputEncoding.h"

#include <algorithm>

namespace korvex {

OutputEncoding WithinRanges(const OutputEncoding &encoding)
{
    OutputEncoding in = encoding;
    in.mp3Bitrate = std::clamp(in.mp3Bitrate, 32, 320);
    in.mp3VbrQuality = std::clamp(in.mp3VbrQuality, 0, 9);
    in.vorbisQuality = std::clamp(in.vorbisQuality, -1, 10);
    in.opusBitrate = std::clamp(in.opusBitrate, 6, 510);
    in.flacCompression = std::clamp(in.flacCompression, 0, 8);
    in.aacBitrate = std::clamp(in.aacBitrate, 32, 512);
    in.wavBits = in.wavBits >= 24 ? 24 : 16;
    return in;
}

bool KeepsPeaksBeyondFullScale(const OutputEncoding &encoding)
{
    return encoding.codec == EncodedCodec::Wav && encoding.sourceBits == 32;
}

QString EncodingSummary(const OutputEncoding &encoding)
{
    const OutputEncoding in = WithinRanges(encoding);
    switch (in.codec) {
    case EncodedCodec::Wma:
        return QStringLiteral("WMA");
    case EncodedCodec::Mp3:
        return in.mp3Vbr ? QStringLiteral("MP3 VBR V%1").arg(in.mp3VbrQuality)
                         : QStringLiteral("MP3 %1 kbps CBR").arg(in.mp3Bitrate);
    case EncodedCodec::Vorbis:
        return QStringLiteral("Ogg Vorbis quality %1").arg(in.vorbisQuality);
    case EncodedCodec::Opus:
        return QStringLiteral("Opus %1 kbps").arg(in.opusBitrate);
    case EncodedCodec::Flac:
        return QStringLiteral("FLAC level %1").arg(in.flacCompression);
    case EncodedCodec::Aac:
        return QStringLiteral("AAC %1 kbps").arg(in.aacBitrate);
    case EncodedCodec::Wav:
        return QStringLiteral("WAV %1-bit").arg(in.wavBits);
    }
    return {};
}

} // namespace korvex
