#include "components/FlacFrames.h"

#include <QtEndian>

#include <algorithm>

#include <vector>

extern "C" {
#include <libavcodec/packet.h>
#include <libavutil/bswap.h>
#include <libavutil/common.h>
#include <libavutil/crc.h>
}

namespace korvex {

namespace {

constexpr int StreamInfoBytes = 34;
constexpr int FixedHeaderBytes = 4;  // sync, blocking, size and rate codes, channels and bits

struct HeaderLayout
{
    int numberBytes = 0;  // the coded frame number's
    int length = 0;       // the whole header's, its CRC-8 included; 0: no frame header
};

// The layout of the header `frame` starts with, if it is the header of a
// frame of fixed-size blocks followed by at least its CRC-16.
HeaderLayout headerLayout(const uint8_t *frame, int size)
{
    if (size < FixedHeaderBytes + 1 + 1 + 2 || frame[0] != 0xff || frame[1] != 0xf8)
        return {};
    // The number's first byte says how many follow, as in UTF-8 (up to 7 in all).
    const uint8_t lead = frame[FixedHeaderBytes];
    int numberBytes = 1;
    if (lead >= 0x80) {
        numberBytes = 0;
        while (numberBytes < 8 && (lead & (0x80 >> numberBytes)) != 0)
            ++numberBytes;
        if (numberBytes < 2 || numberBytes > 7)
            return {};
    }
    const int blockCode = frame[2] >> 4;
    const int rateCode = frame[2] & 0x0f;
    const int blockBytes = blockCode == 6 ? 1 : blockCode == 7 ? 2 : 0;
    const int rateBytes = rateCode == 12 ? 1 : (rateCode == 13 || rateCode == 14) ? 2 : 0;
    const int length = FixedHeaderBytes + numberBytes + blockBytes + rateBytes + 1;
    if (length + 2 > size)
        return {};
    return {numberBytes, length};
}

uint8_t crc8(const uint8_t *data, size_t size)
{
    return uint8_t(av_crc(av_crc_get_table(AV_CRC_8_ATM), 0, data, size));
}

// FLAC's CRC-16 is the ANSI polynomial with the bits in the order they are
// written, which FFmpeg's table gives byte-swapped.
uint16_t crc16(const uint8_t *data, size_t size)
{
    return av_bswap16(uint16_t(av_crc(av_crc_get_table(AV_CRC_16_ANSI), 0, data, size)));
}

// Writes `value` from bit `bit` (0 = the top bit of byte 0) on, `bits` wide.
void putBits(QByteArray &bytes, int bit, int bits, quint64 value)
{
    for (int i = 0; i < bits; ++i, ++bit) {
        const int shift = 7 - bit % 8;
        const bool set = (value >> (bits - 1 - i)) & 1;
        auto &byte = reinterpret_cast<uint8_t &>(bytes[bit / 8]);
        byte = uint8_t((byte & ~(1 << shift)) | (set ? 1 << shift : 0));
    }
}

} // namespace

qint64 FlacFrameNumber(const uint8_t *frame, int size)
{
    const HeaderLayout header = headerLayout(frame, size);
    if (header.length == 0)
        return -1;
    const uint8_t *number = frame + FixedHeaderBytes;
    if (header.numberBytes == 1)
        return number[0];
    qint64 value = number[0] & (0x7f >> header.numberBytes);
    for (int i = 1; i < header.numberBytes; ++i)
        value = value << 6 | (number[i] & 0x3f);
    return value;
}

bool RenumberFlacFrame(AVPacket &packet, qint64 frameNumber)
{
    const HeaderLayout header = headerLayout(packet.data, packet.size);
    // A stream of fixed-size blocks numbers its frames in 31 bits.
    if (header.length == 0 || frameNumber < 0 || frameNumber > 0x7fffffff)
        return false;
    const int oldHeader = header.length;
    const int oldNumberBytes = header.numberBytes;

    uint8_t number[7];
    int numberBytes = 0;
    uint8_t byte = 0;
    PUT_UTF8(uint32_t(frameNumber), byte, number[numberBytes++] = byte;)

    const int bodyBytes = packet.size - oldHeader - 2;  // subframes, without the old CRC-16
    std::vector<uint8_t> frame(size_t(oldHeader - oldNumberBytes + numberBytes + bodyBytes + 2));
    uint8_t *out = frame.data();
    out = std::copy(packet.data, packet.data + FixedHeaderBytes, out);
    out = std::copy(number, number + numberBytes, out);
    const uint8_t *sizeAndRate = packet.data + FixedHeaderBytes + oldNumberBytes;
    out = std::copy(sizeAndRate, static_cast<const uint8_t *>(packet.data + oldHeader - 1), out);
    *out = crc8(frame.data(), size_t(out - frame.data()));
    ++out;
    out = std::copy(packet.data + oldHeader, packet.data + oldHeader + bodyBytes, out);
    const uint16_t check = crc16(frame.data(), size_t(out - frame.data()));
    out[0] = uint8_t(check >> 8);
    out[1] = uint8_t(check & 0xff);

    const int grow = int(frame.size()) - packet.size;
    if (grow > 0 && av_grow_packet(&packet, grow) < 0)
        return false;
    if (grow < 0)
        av_shrink_packet(&packet, int(frame.size()));
    std::copy(frame.begin(), frame.end(), packet.data);
    return true;
}

QByteArray PatchedStreamInfo(const QByteArray &streamInfo, const FlacStreamFacts &facts)
{
    QByteArray patched = streamInfo.left(StreamInfoBytes);
    if (patched.size() < StreamInfoBytes)
        return patched;
    putBits(patched, 32, 24, quint64(facts.minFrameBytes));
    putBits(patched, 56, 24, quint64(facts.maxFrameBytes));
    putBits(patched, 108, 36, quint64(facts.totalSamples));
    if (facts.md5.size() == 16)
        patched.replace(18, 16, facts.md5);
    return patched;
}

FlacSampleMd5::FlacSampleMd5(bool samples32, int bitsPerSample)
    : m_md5(av_md5_alloc()), m_samples32(samples32), m_shift(samples32 ? 32 - bitsPerSample : 0)
{
    if (m_md5)
        av_md5_init(m_md5.get());
}

void FlacSampleMd5::add(const uint8_t *interleaved, qint64 sampleCount)
{
    if (!m_md5 || sampleCount <= 0)
        return;
    if (!m_samples32) {
#if Q_BYTE_ORDER == Q_LITTLE_ENDIAN
        av_md5_update(m_md5.get(), interleaved, size_t(sampleCount) * 2);
#else
        m_packed.resize(qsizetype(sampleCount) * 2);
        qToLittleEndian<qint16>(interleaved, sampleCount, m_packed.data());
        av_md5_update(m_md5.get(), reinterpret_cast<const uint8_t *>(m_packed.constData()), size_t(m_packed.size()));
#endif
        return;
    }
    m_packed.resize(qsizetype(sampleCount) * 3);
    const auto *samples = reinterpret_cast<const int32_t *>(interleaved);
    auto *out = reinterpret_cast<uint8_t *>(m_packed.data());
    for (qint64 i = 0; i < sampleCount; ++i, out += 3) {
        const int32_t sample = samples[i] >> m_shift;
        out[0] = uint8_t(sample);
        out[1] = uint8_t(sample >> 8);
        out[2] = uint8_t(sample >> 16);
    }
    av_md5_update(m_md5.get(), reinterpret_cast<const uint8_t *>(m_packed.constData()), size_t(m_packed.size()));
}

QByteArray FlacSampleMd5::result()
{
    QByteArray digest(16, '\0');
    if (m_md5)
        av_md5_final(m_md5.get(), reinterpret_cast<uint8_t *>(digest.data()));
    return digest;
}

} // namespace korvex
