#include "components/Mp3Index.h"

#include "components/KorvexError.h"
#include "components/PacketCopier.h"

#include <QFile>

extern "C" {
#include <libavutil/intreadwrite.h>
}

#include <cstring>

namespace korvex {

namespace {

KorvexError notCopyable(const QString &path, const QString &why)
{
    return KorvexError(QStringLiteral("'%1' cannot be cut without re-encoding: %2").arg(path, why));
}

// Tags that may follow the last frame of an MP3 file.
bool startsTrailingTag(const uchar *at, qint64 left)
{
    const auto starts = [at, left](const char *text) {
        const qint64 length = qint64(std::strlen(text));
        return left >= length && std::memcmp(at, text, size_t(length)) == 0;
    };
    return (starts("TAG") && left == 128) || starts("APETAGEX") || starts("LYRICSBEGIN");
}

// Follows the frame headers from the first audio frame (already in `source`)
// to the end of the file; false, leaving `source` as it was, where they
// cannot be followed there.
bool followHeaders(QFile &file, Mp3Source &source)
{
    const qint64 first = source.positions.first();
    const qint64 size = file.size();
    const uchar *bytes = file.map(0, size);
    if (!bytes)
        return false;
    QList<qint64> positions;
    QList<int> sizes;
    positions.reserve(size / 400);
    sizes.reserve(size / 400);
    qint64 at = first;
    while (at < size) {
        const auto header = ParseMp3Header(reinterpret_cast<const char *>(bytes + at), size - at);
        if (!header) {
            if (!startsTrailingTag(bytes + at, size - at))
                return false;
            break;
        }
        const int length = header->frameBytes();
        if (header->sampleRate != source.format.sampleRate || header->mpeg1 != source.format.mpeg1
            || at + length > size)
            return false;
        positions.append(at);
        sizes.append(length);
        at += length;
    }
    source.positions = std::move(positions);
    source.sizes = std::move(sizes);
    return true;
}

// A packet of the demuxer begins with whatever bytes it found its way over
// before the frame (e.g. junk between frames); the frame is its last bytes.
void appendPacket(Mp3Source &source, const AVPacket &packet)
{
    const auto *data = reinterpret_cast<const char *>(packet.data);
    int skip = 0;
    for (int k = 0; k + 4 <= packet.size; ++k) {
        const auto header = ParseMp3Header(data + k, packet.size - k);
        if (header && header->frameBytes() == packet.size - k) {
            skip = k;
            break;
        }
    }
    source.positions.append(packet.pos + skip);
    source.sizes.append(packet.size - skip);
}

} // namespace

Mp3Source IndexMp3Source(const QString &path)
{
    OpenSource opened = OpenAudioSource(path);
    AVFormatContext *input = opened.input.get();
    const int stream = opened.stream->index;
    if (opened.stream->codecpar->codec_id != AV_CODEC_ID_MP3)
        throw notCopyable(path, QStringLiteral("it holds no MP3 audio."));
    Mp3Source source;
    source.path = path;
    source.channels = opened.stream->codecpar->ch_layout.nb_channels;
    PacketPtr packet = makePacket();
    bool first = true;
    bool followed = false;
    QFile file(path);
    while (!followed && av_read_frame(input, packet.get()) >= 0) {
        if (packet->stream_index == stream && packet->pos >= 0) {
            if (first) {
                const auto header = ParseMp3Header(reinterpret_cast<const char *>(packet->data), packet->size);
                if (!header)
                    throw notCopyable(path, QStringLiteral("its frames are not of a kind Korvex can copy."));
                source.format = *header;
                size_t sideSize = 0;
                if (const uint8_t *skip = av_packet_get_side_data(packet.get(), AV_PKT_DATA_SKIP_SAMPLES, &sideSize);
                    skip && sideSize >= 4)
                    source.startSkip = AV_RL32(skip);
                first = false;
                appendPacket(source, *packet);
                followed = file.open(QIODevice::ReadOnly) && followHeaders(file, source);
            } else {
                appendPacket(source, *packet);
            }
        }
        av_packet_unref(packet.get());
    }
    if (first)
        throw notCopyable(path, QStringLiteral("it holds no audio frames."));
    return source;
}

} // namespace korvex
