#include "components/EncodedSalvage.h"

#include "components/FfmpegSupport.h"

#include <QFile>
#include <QtEndian>

#include <algorithm>

namespace korvex {

namespace {

// RIFF and data chunk sizes of the bytes that are there.
bool repairWav(QFile &file)
{
    const QByteArray head = file.read(4096);
    if (!head.startsWith("RIFF") || head.mid(8, 4) != "WAVE")
        return false;
    qsizetype at = 12;
    while (at + 8 <= head.size()) {
        const quint32 size = qFromLittleEndian<quint32>(head.constData() + at + 4);
        if (head.mid(at, 4) == "data") {
            const qint64 dataStart = at + 8;
            const quint32 riff = quint32(std::min<qint64>(file.size() - 8, 0xffffffffLL));
            const quint32 data = quint32(std::min<qint64>(file.size() - dataStart, 0xffffffffLL));
            uchar bytes[4];
            qToLittleEndian(riff, bytes);
            file.seek(4);
            file.write(reinterpret_cast<const char *>(bytes), 4);
            qToLittleEndian(data, bytes);
            file.seek(at + 4);
            return file.write(reinterpret_cast<const char *>(bytes), 4) == 4;
        }
        at += 8 + qsizetype(size) + (size & 1);
    }
    return false;
}

// STREAMINFO's sample count made the frames kept, and its MD5 "unknown"
// (zero): both described the audio the encoder was given.
bool repairFlac(QFile &file, qint64 samples)
{
    // "fLaC", the block header, then STREAMINFO: the low four bits of its
    // 14th byte and the four after it count samples, 16 bytes of MD5 follow.
    constexpr qint64 CountAt = 8 + 13;
    const QByteArray head = file.read(8 + 34);
    if (head.size() < 8 + 34 || !head.startsWith("fLaC") || (head.at(4) & 0x7f) != 0)
        return false;
    QByteArray patched(21, '\0');
    patched[0] = char((head.at(CountAt) & 0xf0) | ((samples >> 32) & 0x0f));
    qToBigEndian(quint32(samples & 0xffffffff), patched.data() + 1);
    file.seek(CountAt);
    return file.write(patched) == patched.size();
}

// The first frame's Xing/Info tag counts the frames and bytes that follow; a
// player takes the duration from it.
bool repairMp3(QFile &file, qint64 frames)
{
    const QByteArray head = file.read(1 << 16);
    qint64 start = 0;
    if (head.startsWith("ID3") && head.size() >= 10) {
        const auto byte = [&head](int i) { return qint64(uchar(head.at(i)) & 0x7f); };
        start = 10 + ((byte(6) << 21) | (byte(7) << 14) | (byte(8) << 7) | byte(9));
    }
    qsizetype tag = head.indexOf("Xing", start);
    if (tag < 0)
        tag = head.indexOf("Info", start);
    if (tag < 0 || tag > start + 64 || tag + 16 > head.size())
        return true;  // no tag to keep true: players count the frames themselves
    const quint32 flags = qFromBigEndian<quint32>(head.constData() + tag + 4);
    qint64 at = tag + 8;
    uchar bytes[4];
    if (flags & 1) {
        qToBigEndian(quint32(frames), bytes);
        file.seek(at);
        file.write(reinterpret_cast<const char *>(bytes), 4);
        at += 4;
    }
    if (flags & 2) {
        qToBigEndian(quint32(std::min<qint64>(file.size() - start, 0xffffffffLL)), bytes);
        file.seek(at);
        file.write(reinterpret_cast<const char *>(bytes), 4);
    }
    return true;
}

} // namespace

qint64 SalvageEncoded(const QString &path, EncodedCodec codec, const std::vector<qint64> &packetEnds,
                      qint64 failedAt, int packetFrames)
{
    if (failedAt < 0)
        return qint64(packetEnds.size());  // the muxer finished the file over a disk that took it all
    // MP4 writes its index after the audio: without it nothing can be played.
    if (codec == EncodedCodec::Aac)
        return 0;
    const auto whole = std::upper_bound(packetEnds.begin(), packetEnds.end(), failedAt);
    const qint64 kept = whole - packetEnds.begin();
    if (kept == 0)
        return 0;
    QFile file(path);
    if (!file.open(QIODevice::ReadWrite) || !file.resize(packetEnds.at(size_t(kept - 1))))
        return 0;
    bool repaired = true;
    if (codec == EncodedCodec::Wav)
        repaired = repairWav(file);
    else if (codec == EncodedCodec::Flac)
        repaired = repairFlac(file, kept * packetFrames);
    else if (codec == EncodedCodec::Mp3)
        repaired = repairMp3(file, kept);
    return repaired ? kept : 0;
}

bool HoldsAudioPackets(const QString &path)
{
    AVFormatContext *raw = nullptr;
    if (avformat_open_input(&raw, QFile::encodeName(path).constData(), nullptr, nullptr) < 0)
        return false;
    InputFormatPtr input(raw);
    if (avformat_find_stream_info(input.get(), nullptr) < 0)
        return false;
    PacketPtr packet = makePacket();
    while (av_read_frame(input.get(), packet.get()) >= 0) {
        const AVStream *stream = input->streams[packet->stream_index];
        const bool audio = stream->codecpar->codec_type == AVMEDIA_TYPE_AUDIO && packet->size > 0;
        av_packet_unref(packet.get());
        if (audio)
            return true;
    }
    return false;
}

} // namespace korvex
