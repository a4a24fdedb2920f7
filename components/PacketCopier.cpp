#include "components/PacketCopier.h"

#include "components/FfmpegSupport.h"
#include "components/KorvexError.h"

#include <QFile>

namespace korvex {

namespace {

constexpr int PacketsAfterEnd = 2;

struct OutputCloser
{
    void operator()(AVFormatContext *p) const
    {
        if (p && p->pb)
            avio_closep(&p->pb);
        avformat_free_context(p);
    }
};
using OwnedOutput = std::unique_ptr<AVFormatContext, OutputCloser>;

KorvexError readFailure(const QString &path, int error)
{
    return KorvexError(QStringLiteral("Unable to read '%1': %2.").arg(path, ffmpegErrorText(error)));
}

} // namespace

OpenSource OpenAudioSource(const QString &path)
{
    AVFormatContext *raw = nullptr;
    const QByteArray name = QFile::encodeName(path);
    if (const int error = avformat_open_input(&raw, name.constData(), nullptr, nullptr); error < 0)
        throw KorvexError(QStringLiteral("Unable to open '%1': %2.").arg(path, ffmpegErrorText(error)));
    OpenSource source;
    source.input.reset(raw);
    if (const int error = avformat_find_stream_info(raw, nullptr); error < 0)
        throw readFailure(path, error);
    const int index = av_find_best_stream(raw, AVMEDIA_TYPE_AUDIO, -1, -1, nullptr, 0);
    if (index < 0)
        throw KorvexError(QStringLiteral("'%1' holds no audio.").arg(path));
    source.stream = raw->streams[index];
    return source;
}

namespace {


// Writes the packets of one range at the output's running position.
class RangeCopy
{
public:
    RangeCopy(AVFormatContext &output, AVStream &outStream, int64_t &outPosition)
        : m_output(output), m_outStream(outStream), m_outPosition(outPosition)
    {
    }

    void copy(const PacketRange &range, const std::function<void(qint64)> &done)
    {
        OpenSource source = OpenAudioSource(range.path);
        AVStream &stream = *source.stream;
        const AVRational samples{1, stream.codecpar->sample_rate};
        const int64_t origin = stream.start_time != AV_NOPTS_VALUE ? stream.start_time : 0;
        const int64_t firstTs = origin + av_rescale_q(range.first, samples, stream.time_base);
        const int64_t endTs = origin + av_rescale_q(range.end, samples, stream.time_base);
        // Demuxers land near the asked time, some of them after it: asking for
        // a second earlier leaves room for the packet before the first wanted one.
        const int64_t seekMargin = av_rescale_q(1, AVRational{1, 1}, stream.time_base);
        if (firstTs - seekMargin > origin)
            av_seek_frame(source.input.get(), stream.index, firstTs - seekMargin, AVSEEK_FLAG_BACKWARD);
        PacketPtr packet = makePacket();
        PacketPtr previous = makePacket();
        bool started = false;
        int pastEnd = 0;
        int64_t position = AV_NOPTS_VALUE;
        while (true) {
            const int status = av_read_frame(source.input.get(), packet.get());
            if (status == AVERROR_EOF)
                break;
            if (status < 0)
                throw readFailure(range.path, status);
            if (packet->stream_index != stream.index) {
                av_packet_unref(packet.get());
                continue;
            }
            if (packet->pts != AV_NOPTS_VALUE)
                position = packet->pts;
            const int64_t duration = packet->duration;
            // Two packets past the end as well: some decoders give a packet's
            // samples only once they have the next (Vorbis), or the one after
            // (WMA).
            if (pastEnd == PacketsAfterEnd)
                break;
            if (started && position != AV_NOPTS_VALUE && position >= endTs)
                ++pastEnd;
            const bool holdsWanted = position == AV_NOPTS_VALUE || position + duration > firstTs;
            if (!started && holdsWanted) {
                started = true;
                if (previous->size > 0)
                    write(*previous, stream.time_base);
            }
            if (started) {
                write(*packet, stream.time_base);
                done(m_written);
            } else {
                av_packet_unref(previous.get());
                av_packet_move_ref(previous.get(), packet.get());
            }
            av_packet_unref(packet.get());
            if (position != AV_NOPTS_VALUE)
                position += duration;
        }
    }

private:
    void write(AVPacket &packet, AVRational timeBase)
    {
        const int64_t duration = av_rescale_q(packet.duration, timeBase, m_outStream.time_base);
        packet.stream_index = m_outStream.index;
        packet.pts = packet.dts = m_outPosition;
        packet.duration = duration;
        packet.pos = -1;
        m_outPosition += duration;
        m_written += packet.size;
        if (const int error = av_interleaved_write_frame(&m_output, &packet); error < 0)
            throw KorvexError(QStringLiteral("Unable to write '%1': %2.")
                                  .arg(QString::fromUtf8(m_output.url), ffmpegErrorText(error)));
    }

    AVFormatContext &m_output;
    AVStream &m_outStream;
    int64_t &m_outPosition;
    qint64 m_written = 0;
};

} // namespace

QString CopyMuxerFor(const AVFormatContext &input, AVCodecID codec)
{
    const QString container = QString::fromLatin1(input.iformat->name);
    if (container == QLatin1String("ogg") && (codec == AV_CODEC_ID_VORBIS || codec == AV_CODEC_ID_OPUS))
        return QStringLiteral("ogg");
    if (container.startsWith(QLatin1String("mov,mp4")) && codec == AV_CODEC_ID_AAC)
        return QStringLiteral("ipod");
    if (container == QLatin1String("asf") && (codec == AV_CODEC_ID_WMAV1 || codec == AV_CODEC_ID_WMAV2))
        return QStringLiteral("asf");
    return {};
}

void CopyPacketRanges(const QList<PacketRange> &ranges, const QString &outputPath,
                      const std::function<void(qint64 done, qint64 total)> &progress, const MuxedComments &comments)
{
    if (ranges.isEmpty())
        return;
    const OpenSource first = OpenAudioSource(ranges.first().path);
    const QString muxer = CopyMuxerFor(*first.input, first.stream->codecpar->codec_id);
    if (muxer.isEmpty())
        throw KorvexError(QStringLiteral("'%1' cannot be cut without re-encoding: Korvex copies MP3, AAC in MP4/M4A, "
                                         "Vorbis and Opus in Ogg, and WMA.").arg(ranges.first().path));
    AVFormatContext *raw = nullptr;
    const QByteArray name = QFile::encodeName(outputPath);
    if (const int error = avformat_alloc_output_context2(&raw, nullptr, muxer.toLatin1().constData(), name.constData());
        error < 0)
        throw KorvexError(QStringLiteral("Unable to create '%1': %2.").arg(outputPath, ffmpegErrorText(error)));
    OwnedOutput output(raw);
    AVStream *stream = avformat_new_stream(raw, nullptr);
    if (!stream || avcodec_parameters_copy(stream->codecpar, first.stream->codecpar) < 0)
        throw KorvexError(QStringLiteral("Unable to create '%1': out of memory.").arg(outputPath));
    stream->codecpar->codec_tag = 0;
    stream->time_base = AVRational{1, first.stream->codecpar->sample_rate};
    if (muxer == QLatin1String("ogg"))
        SetMuxedComments(&stream->metadata, comments);
    if (const int error = avio_open(&raw->pb, name.constData(), AVIO_FLAG_WRITE); error < 0)
        throw KorvexError(QStringLiteral("Unable to create '%1': %2.").arg(outputPath, ffmpegErrorText(error)));
    if (const int error = avformat_write_header(raw, nullptr); error < 0)
        throw KorvexError(QStringLiteral("Unable to create '%1': %2.").arg(outputPath, ffmpegErrorText(error)));

    qint64 total = 0;
    for (const PacketRange &range : ranges)
        total += range.end - range.first;
    int64_t position = 0;
    for (const PacketRange &range : ranges) {
        RangeCopy copy(*raw, *stream, position);
        copy.copy(range, [&](qint64) {
            if (progress)
                progress(av_rescale_q(position, stream->time_base, AVRational{1, stream->codecpar->sample_rate}), total);
        });
    }
    if (const int error = av_write_trailer(raw); error < 0)
        throw KorvexError(QStringLiteral("Unable to write '%1': %2.").arg(outputPath, ffmpegErrorText(error)));
}

} // namespace korvex
