#include "components/SourceScan.h"

#include "components/FfmpegSupport.h"
#include "components/KorvexError.h"

#include <QFile>
#include <QHash>
#include <QMutex>
#include <QSet>
#include <algorithm>
#include <numeric>
#include <optional>
#include <sys/stat.h>

extern "C" {
#include <libavutil/intreadwrite.h>
}

#include <vorbis/vorbisfile.h>

namespace korvex {

namespace {

struct ScanInput
{
    InputFormatPtr format;
    AVStream *stream = nullptr;
    int rate = 0;
};

ScanInput openForScan(const QString &path)
{
    ScanInput in;
    AVFormatContext *raw = nullptr;
    int status = avformat_open_input(&raw, QFile::encodeName(path).constData(), nullptr, nullptr);
    in.format.reset(raw);
    if (status >= 0)
        status = avformat_find_stream_info(in.format.get(), nullptr);
    if (status < 0)
        throw KorvexError(QStringLiteral("Unable to open '%1': %2.").arg(path, ffmpegErrorText(status)));
    const int index = av_find_best_stream(in.format.get(), AVMEDIA_TYPE_AUDIO, -1, -1, nullptr, 0);
    if (index < 0)
        throw KorvexError(QStringLiteral("'%1' holds no audio stream.").arg(path));
    in.stream = in.format->streams[index];
    in.rate = in.stream->codecpar->sample_rate;
    if (in.rate <= 0)
        throw KorvexError(QStringLiteral("'%1' does not say its sample rate.").arg(path));
    for (unsigned i = 0; i < in.format->nb_streams; ++i)
        if (static_cast<int>(i) != index)
            in.format->streams[i]->discard = AVDISCARD_ALL;
    return in;
}

qint64 toFrames(const ScanInput &in, int64_t ticks)
{
    return av_rescale_q(ticks, in.stream->time_base, AVRational{1, in.rate});
}

// Timestamps coarser than one sample (ASF counts milliseconds) cannot give
// exact packet durations.
bool hasCoarseTimestamps(const ScanInput &in)
{
    const AVRational tb = in.stream->time_base;
    return static_cast<int64_t>(tb.num) * in.rate > tb.den;
}

// Containers whose header states the exact length of the decoded stream
// (granule positions, STREAMINFO, edit lists, data chunk sizes); the encoder
// delay is inside that figure.
bool declaresExactLength(const ScanInput &in)
{
    static const QSet<QByteArray> names{"ogg", "flac", "wav", "w64", "aiff", "caf", "mov,mp4,m4a,3gp,3g2,mj2"};
    return names.contains(QByteArray(in.format->iformat->name));
}

// One seek point in this many packets: for MP3 about every 0.4 s, which a
// seek decodes in a millisecond or two, and some 140 KiB an hour.
constexpr qint64 PacketsPerSeekPoint = 16;

// Formats whose seeks fall back on the index that reading builds up.
bool seeksByReadIndex(const ScanInput &in)
{
    return (in.format->iformat->flags & AVFMT_GENERIC_INDEX) != 0;
}

struct PacketTotals
{
    qint64 frames = 0;       // sum of packet durations, before trimming
    qint64 trimmed = 0;      // frames the decoder drops at start and end
    qint64 longest = 0;
    bool allTimed = true;
    qint64 count = 0;
    PacketPtr last;          // the stream's last packet
    std::shared_ptr<std::vector<SourceLength::PacketAt>> seekIndex;
};

void addSeekPoint(PacketTotals &totals, const AVPacket &packet)
{
    if (packet.pos < 0 || packet.dts == AV_NOPTS_VALUE || !(packet.flags & AV_PKT_FLAG_KEY))
        return;
    std::vector<SourceLength::PacketAt> &index = *totals.seekIndex;
    if (!index.empty() && (packet.dts <= index.back().dts || packet.pos <= index.back().pos))
        return;
    if (index.empty() || totals.count - 1 >= qint64(index.size()) * PacketsPerSeekPoint)
        index.push_back({packet.pos, packet.dts});
}

PacketTotals sumPackets(const ScanInput &in)
{
    PacketTotals totals;
    totals.last = makePacket();
    if (seeksByReadIndex(in))
        totals.seekIndex = std::make_shared<std::vector<SourceLength::PacketAt>>();
    PacketPtr packet = makePacket();
    while (av_read_frame(in.format.get(), packet.get()) >= 0) {
        if (packet->stream_index == in.stream->index) {
            ++totals.count;
            if (totals.seekIndex)
                addSeekPoint(totals, *packet);
            const qint64 frames = toFrames(in, packet->duration);
            if (packet->duration <= 0)
                totals.allTimed = false;
            totals.frames += frames;
            totals.longest = std::max(totals.longest, frames);
            size_t size = 0;
            const uint8_t *skip = av_packet_get_side_data(packet.get(), AV_PKT_DATA_SKIP_SAMPLES, &size);
            if (skip && size >= 8)
                totals.trimmed += AV_RL32(skip) + AV_RL32(skip + 4);
            // Moved, not referenced: no allocation for each of the hour's
            // hundred thousand packets.
            av_packet_unref(totals.last.get());
            av_packet_move_ref(totals.last.get(), packet.get());
        }
        av_packet_unref(packet.get());
    }
    return totals;
}

SourceLength countDecodedFrames(const QString &path)
{
    ScanInput in = openForScan(path);
    const AVCodec *codec = avcodec_find_decoder(in.stream->codecpar->codec_id);
    if (!codec)
        throw KorvexError(QStringLiteral("No decoder for the audio in '%1'.").arg(path));
    CodecContextPtr decoder(avcodec_alloc_context3(codec));
    int status = decoder ? avcodec_parameters_to_context(decoder.get(), in.stream->codecpar) : AVERROR(ENOMEM);
    if (status >= 0) {
        decoder->pkt_timebase = in.stream->time_base;
        status = avcodec_open2(decoder.get(), codec, nullptr);
    }
    if (status < 0)
        throw KorvexError(QStringLiteral("Unable to decode '%1': %2.").arg(path, ffmpegErrorText(status)));

    SourceLength result;
    auto starts = std::make_shared<std::vector<SourceLength::FrameStart>>();
    PacketPtr packet = makePacket();
    FramePtr frame = makeFrame();
    auto drain = [&] {
        while (avcodec_receive_frame(decoder.get(), frame.get()) >= 0) {
            if (frame->pts != AV_NOPTS_VALUE)
                starts->push_back({frame->pts, result.frames});
            result.frames += frame->nb_samples;
            result.grid = std::gcd(result.grid, frame->nb_samples);
            av_frame_unref(frame.get());
        }
    };
    while (av_read_frame(in.format.get(), packet.get()) >= 0) {
        // A packet the decoder refuses is skipped, exactly as the reader skips it.
        if (packet->stream_index == in.stream->index && avcodec_send_packet(decoder.get(), packet.get()) >= 0)
            drain();
        av_packet_unref(packet.get());
    }
    avcodec_send_packet(decoder.get(), nullptr);
    drain();
    if (std::is_sorted(starts->cbegin(), starts->cend(), [](const auto &a, const auto &b) { return a.pts < b.pts; })) {
        starts->shrink_to_fit();
        result.starts = std::move(starts);
    }
    return result;
}

// The count the writer left in the header, when it fits the stream: the
// padding it hides is never more than two codec frames plus the priming.
std::optional<qint64> storedFrameCount(const ScanInput &in)
{
    const AVDictionaryEntry *entry = av_dict_get(in.format->metadata, FrameCountAttribute, nullptr, 0);
    if (!entry)
        return std::nullopt;
    bool ok = false;
    const qint64 stored = QByteArray(entry->value).trimmed().toLongLong(&ok);
    if (!ok || stored <= 0 || in.stream->duration == AV_NOPTS_VALUE)
        return std::nullopt;
    const qint64 declared = toFrames(in, in.stream->duration);
    const qint64 slack = 4 * 4096 + in.rate / 100;
    if (stored > declared + in.rate / 100 || stored < declared - slack)
        return std::nullopt;
    return stored;
}

// Ogg Vorbis says its length in granule positions: the last one less where
// the first page's audio begins. libvorbisfile works that out as the format
// defines it; FFmpeg's figure misses the start when the stream does not
// begin at 0 and trusts a last page that a cut file never reached.
std::optional<qint64> vorbisLength(const QString &path)
{
    OggVorbis_File file;
    if (ov_fopen(QFile::encodeName(path).constData(), &file) != 0)
        return std::nullopt;
    const ogg_int64_t total = ov_seekable(&file) ? ov_pcm_total(&file, -1) : OV_EINVAL;
    ov_clear(&file);
    if (total < 0)
        return std::nullopt;
    return qint64(total);
}

bool isOggVorbis(const ScanInput &in)
{
    return QByteArray(in.format->iformat->name) == "ogg" && in.stream->codecpar->codec_id == AV_CODEC_ID_VORBIS;
}

// FLAC frames decode on their own. A file cut inside its last frame still
// has the packet, and the header still counts it, but it no longer decodes.
bool lastFlacFrameIsCut(const ScanInput &in, const PacketTotals &packets)
{
    if (in.stream->codecpar->codec_id != AV_CODEC_ID_FLAC || !packets.last || packets.last->size <= 0)
        return false;
    const AVCodec *codec = avcodec_find_decoder(AV_CODEC_ID_FLAC);
    CodecContextPtr decoder(codec ? avcodec_alloc_context3(codec) : nullptr);
    if (!decoder || avcodec_parameters_to_context(decoder.get(), in.stream->codecpar) < 0
        || avcodec_open2(decoder.get(), codec, nullptr) < 0)
        return false;
    FramePtr frame = makeFrame();
    return avcodec_send_packet(decoder.get(), packets.last.get()) < 0
        || avcodec_receive_frame(decoder.get(), frame.get()) < 0;
}

SourceLength framesOnly(qint64 frames)
{
    SourceLength length;
    length.frames = std::max<qint64>(frames, 0);
    return length;
}

SourceLength lengthFromPackets(const QString &path, const ScanInput &in, const PacketTotals &packets)
{
    if (packets.count == 0)
        return {};
    if (isOggVorbis(in)) {
        if (const auto frames = vorbisLength(path))
            return framesOnly(*frames);
    }
    if (declaresExactLength(in) && in.stream->duration != AV_NOPTS_VALUE) {
        const qint64 declared = toFrames(in, in.stream->duration) - in.stream->codecpar->initial_padding;
        // Fewer packets than the header promises: the file was cut short,
        // and only a decode tells how much of it is left.
        if (packets.frames >= declared && !lastFlacFrameIsCut(in, packets))
            return framesOnly(declared);
        return countDecodedFrames(path);
    }
    if (packets.allTimed)
        return framesOnly(packets.frames - packets.trimmed);
    return countDecodedFrames(path);
}

SourceLength measureUncached(const QString &path)
{
    ScanInput in = openForScan(path);
    if (hasCoarseTimestamps(in)) {
        if (const auto stored = storedFrameCount(in))
            return framesOnly(*stored);
        return countDecodedFrames(path);
    }
    PacketTotals packets = sumPackets(in);
    SourceLength length = lengthFromPackets(path, in, packets);
    if (packets.seekIndex && packets.seekIndex->size() > 1) {
        packets.seekIndex->shrink_to_fit();
        length.seekIndex = std::move(packets.seekIndex);
    }
    return length;
}

// A file rewritten in place gets a new modification or change time; both
// are compared to the nanosecond, with the inode, so a cached length is never
// applied to different content.
struct CacheKey
{
    quint64 device = 0;
    quint64 inode = 0;
    qint64 size = 0;
    qint64 modifiedNs = 0;
    qint64 changedNs = 0;
    bool operator==(const CacheKey &) const = default;
};

size_t qHash(const CacheKey &key, size_t seed = 0)
{
    return qHashMulti(seed, key.device, key.inode, key.size, key.modifiedNs, key.changedNs);
}

std::optional<CacheKey> regularFileKey(const QString &path)
{
    struct stat info {};
    if (::stat(QFile::encodeName(path).constData(), &info) != 0 || !S_ISREG(info.st_mode))
        return std::nullopt;
    return CacheKey{static_cast<quint64>(info.st_dev), static_cast<quint64>(info.st_ino),
                    static_cast<qint64>(info.st_size),
                    static_cast<qint64>(info.st_mtim.tv_sec) * 1000000000 + info.st_mtim.tv_nsec,
                    static_cast<qint64>(info.st_ctim.tv_sec) * 1000000000 + info.st_ctim.tv_nsec};
}

class ScanCache
{
public:
    std::optional<SourceLength> find(const CacheKey &key)
    {
        QMutexLocker lock(&m_mutex);
        const auto it = m_entries.constFind(key);
        return it == m_entries.cend() ? std::nullopt : std::optional<SourceLength>(*it);
    }
    void store(const CacheKey &key, SourceLength value)
    {
        QMutexLocker lock(&m_mutex);
        // Frame tables of long WMA files take a megabyte or two an hour.
        if (m_entries.size() >= 32)
            m_entries.clear();
        m_entries.insert(key, value);
    }

private:
    QMutex m_mutex;
    QHash<CacheKey, SourceLength> m_entries;
};

ScanCache &scanCache()
{
    static ScanCache cache;
    return cache;
}

} // namespace

std::optional<qint64> SourceLength::positionOf(int64_t pts, qint64 samples) const
{
    if (!starts || starts->empty())
        return std::nullopt;
    auto byPts = [](const FrameStart &entry, int64_t value) { return entry.pts < value; };
    const auto first = std::lower_bound(starts->cbegin(), starts->cend(), pts, byPts);
    if (first == starts->cend() || first->pts != pts)
        return std::nullopt;
    auto after = first;
    while (after != starts->cend() && after->pts == pts)
        ++after;
    const qint64 end = after == starts->cend() ? frames : after->start;
    return std::max(first->start, end - samples);
}

SourceLength measureSource(const QString &path)
{
    const std::optional<CacheKey> key = regularFileKey(path);
    if (key) {
        if (const auto known = scanCache().find(*key))
            return *known;
    }
    const SourceLength measured = measureUncached(path);
    if (key)
        scanCache().store(*key, measured);
    return measured;
}

} // namespace korvex
