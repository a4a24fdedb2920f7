#include "components/Mp3Frames.h"

#include "components/KorvexError.h"

#include <QtEndian>

extern "C" {
#include <libavutil/crc.h>
}

#include <array>
#include <cstring>

namespace korvex {

namespace {

constexpr std::array<int, 15> Mpeg1Kbps{0, 32, 40, 48, 56, 64, 80, 96, 112, 128, 160, 192, 224, 256, 320};
constexpr std::array<int, 15> Mpeg2Kbps{0, 8, 16, 24, 32, 40, 48, 56, 64, 80, 96, 112, 128, 144, 160};
constexpr std::array<int, 3> Mpeg1Rates{44100, 48000, 32000};

constexpr int VersionMpeg1 = 3;
constexpr int VersionMpeg2 = 2;
constexpr int VersionMpeg25 = 0;
constexpr int LayerThree = 1;
constexpr int ChannelModeMono = 3;

// The LAME extension after the seek table: version text through the tag's
// own checksum.
constexpr int LameTagBytes = 36;
constexpr int XingFieldsBytes = 4 + 4 + 4 + 4 + 100 + 4;  // tag, flags, frames, bytes, toc, quality
constexpr quint32 XingAllFields = 0x0F;

int kbpsOf(const Mp3FrameHeader &header)
{
    return (header.mpeg1 ? Mpeg1Kbps : Mpeg2Kbps)[header.bitrateIndex];
}

Mp3FrameHeader withBitrate(Mp3FrameHeader header, int index, bool padded)
{
    header.bitrateIndex = index;
    header.padded = padded;
    header.hasCrc = false;
    header.word = (header.word & ~(0xFu << 12) & ~(1u << 9)) | (quint32(index) << 12) | (padded ? 1u << 9 : 0u)
        | (1u << 16);  // protection bit set: no checksum follows
    return header;
}

// The same format with the smallest frame of at least `bytes`, if any.
std::optional<Mp3FrameHeader> smallestFrameOf(const Mp3FrameHeader &like, int bytes)
{
    for (int index = 1; index < int(Mpeg1Kbps.size()); ++index) {
        for (const bool padded : {false, true}) {
            const Mp3FrameHeader header = withBitrate(like, index, padded);
            if (header.frameBytes() >= bytes)
                return header;
        }
    }
    return std::nullopt;
}

// Reads a frame's side information bit by bit, from its first field.
class SideInfoBits
{
public:
    SideInfoBits(const Mp3FrameHeader &header, const char *frame)
        : m_bytes(reinterpret_cast<const uchar *>(frame) + 4 + (header.hasCrc ? 2 : 0))
    {
    }
    int take(int bits)
    {
        int value = 0;
        for (int k = 0; k < bits; ++k, ++m_bit)
            value = (value << 1) | ((m_bytes[m_bit / 8] >> (7 - m_bit % 8)) & 1);
        return value;
    }
    void skip(int bits) { m_bit += bits; }

private:
    const uchar *m_bytes;
    int m_bit = 0;
};

// The same format with the smallest frame of at least `bytes`.
Mp3FrameHeader smallestHolding(const Mp3FrameHeader &like, int bytes)
{
    if (const std::optional<Mp3FrameHeader> header = smallestFrameOf(like, bytes))
        return *header;
    throw KorvexError(QStringLiteral("An MP3 frame of %1 bytes cannot be made at %2 Hz.")
                          .arg(bytes).arg(like.sampleRate));
}

QByteArray emptyFrame(const Mp3FrameHeader &header)
{
    QByteArray frame(header.frameBytes(), '\0');
    qToBigEndian<quint32>(header.word, frame.data());
    return frame;
}

} // namespace

int Mp3FrameHeader::sideInfoBytes() const
{
    if (mpeg1)
        return mono ? 17 : 32;
    return mono ? 9 : 17;
}

int Mp3FrameHeader::frameBytes() const
{
    const int bytesPerKbps = mpeg1 ? 144000 : 72000;
    return bytesPerKbps * kbpsOf(*this) / sampleRate + (padded ? 1 : 0);
}

std::optional<Mp3FrameHeader> ParseMp3Header(const char *frame, qsizetype size)
{
    if (size < 4)
        return std::nullopt;
    const quint32 word = qFromBigEndian<quint32>(frame);
    const int version = int(word >> 19) & 3;
    const int rateIndex = int(word >> 10) & 3;
    Mp3FrameHeader header;
    header.word = word;
    header.bitrateIndex = int(word >> 12) & 0xF;
    if ((word >> 21) != 0x7FF || (int(word >> 17) & 3) != LayerThree || version == 1 || rateIndex == 3
        || header.bitrateIndex == 0 || header.bitrateIndex == 15)
        return std::nullopt;
    header.mpeg1 = version == VersionMpeg1;
    const int divisor = version == VersionMpeg1 ? 1 : version == VersionMpeg2 ? 2 : 4;
    static_assert(VersionMpeg25 == 0);
    header.sampleRate = Mpeg1Rates[rateIndex] / divisor;
    header.padded = (word >> 9) & 1;
    header.hasCrc = ((word >> 16) & 1) == 0;
    header.mono = (int(word >> 6) & 3) == ChannelModeMono;
    return header;
}

int Mp3MainDataBegin(const Mp3FrameHeader &header, const char *frame)
{
    const auto *side = reinterpret_cast<const uchar *>(frame) + 4 + (header.hasCrc ? 2 : 0);
    if (header.mpeg1)
        return (side[0] << 1) | (side[1] >> 7);
    return side[0];
}

int Mp3MainDataBytes(const Mp3FrameHeader &header, const char *frame)
{
    // MPEG-1: main_data_begin (9 bits), private bits, scfsi (4 per channel),
    // then two granules of 59 bits per channel; MPEG-2: main_data_begin (8),
    // private bits, one granule of 63 bits per channel. Each granule's
    // channel starts with its part2_3_length.
    const int channels = header.mono ? 1 : 2;
    SideInfoBits side(header, frame);
    side.skip(header.mpeg1 ? 9 + (header.mono ? 5 : 3) + 4 * channels : 8 + (header.mono ? 1 : 2));
    const int granules = header.mpeg1 ? 2 : 1;
    const int granuleBits = header.mpeg1 ? 59 : 63;
    int bits = 0;
    for (int k = 0; k < granules * channels; ++k) {
        bits += side.take(12);
        side.skip(granuleBits - 12);
    }
    return (bits + 7) / 8;
}

QByteArray SelfContainedMp3Frame(const Mp3FrameHeader &header, const char *frame, const QByteArray &mainData,
                                 const QByteArray &reservoir)
{
    const int sideBytes = header.sideInfoBytes();
    const std::optional<Mp3FrameHeader> made
        = smallestFrameOf(header, 4 + sideBytes + int(mainData.size() + reservoir.size()));
    if (!made)
        return {};
    QByteArray out = emptyFrame(*made);
    out.replace(4, sideBytes, frame + 4 + (header.hasCrc ? 2 : 0), sideBytes);
    // main_data_begin is the side information's first 9 (MPEG-1) or 8 bits
    out[4] = 0;
    if (header.mpeg1)
        out[5] = char(uchar(out[5]) & 0x7F);
    out.replace(4 + sideBytes, mainData.size(), mainData);
    out.replace(out.size() - reservoir.size(), reservoir.size(), reservoir);
    return out;
}

QByteArray SilentMp3Frame(const Mp3FrameHeader &like, const QByteArray &reservoir)
{
    // Side information of zeros: no main data begins before this frame, and
    // every granule is empty, so it decodes to silence and its whole main data
    // area is left over for the next frame.
    const Mp3FrameHeader header = smallestHolding(like, like.sideInfoBytes() + 4 + int(reservoir.size()));
    QByteArray frame = emptyFrame(header);
    frame.replace(frame.size() - reservoir.size(), reservoir.size(), reservoir);
    return frame;
}

QByteArray Mp3InfoFrame(const Mp3FrameHeader &like, const Mp3InfoFields &fields)
{
    const int xingOffset = 4 + like.sideInfoBytes();
    const int crcOffset = xingOffset + XingFieldsBytes + LameTagBytes - 2;
    const Mp3FrameHeader header = smallestHolding(like, crcOffset + 2);
    QByteArray frame = emptyFrame(header);
    char *at = frame.data() + xingOffset;
    const auto put32 = [&at](quint32 value) { qToBigEndian<quint32>(value, at); at += 4; };
    std::memcpy(at, fields.constantBitrate ? "Info" : "Xing", 4);
    at += 4;
    put32(XingAllFields);
    put32(fields.frames);
    put32(fields.streamBytes);
    std::memcpy(at, fields.toc.constData(), std::min<qsizetype>(fields.toc.size(), 100));
    at += 100;
    put32(0);  // quality: unknown
    std::memcpy(at, "LAME3.100", 9);
    at[9] = fields.constantBitrate ? 1 : 0;  // tag revision 0; bitrate method
    const quint32 delays = (quint32(qBound(0, fields.encoderDelay, 4095)) << 12) | quint32(qBound(0, fields.padding, 4095));
    char *delayField = at + 21;
    delayField[0] = char(delays >> 16);
    delayField[1] = char(delays >> 8);
    delayField[2] = char(delays);
    qToBigEndian<quint32>(fields.streamBytes, at + 28);  // music length
    const quint16 crc = quint16(av_crc(av_crc_get_table(AV_CRC_16_ANSI_LE), 0,
                                       reinterpret_cast<const uint8_t *>(frame.constData()), size_t(crcOffset)));
    qToBigEndian<quint16>(crc, frame.data() + crcOffset);
    return frame;
}

} // namespace korvex
