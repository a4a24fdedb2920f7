#include "components/EncodedWriter.h"

#include "components/AudioLimits.h"
#include "components/EncodedSalvage.h"
#include "components/EncoderSetup.h"
#include "components/FlacEncoderPool.h"
#include "components/KorvexError.h"
#include "components/SalvageSink.h"

#include <QFile>
#include <QFileInfo>
#include <QThread>

#include <algorithm>

extern "C" {
#include <libavutil/samplefmt.h>
}

namespace korvex {

namespace {

// Codecs that take frames of any size (PCM, FLAC) are fed this many at a time.
constexpr int FreeFrameSize = 4096;

// Room kept in an MP3's ID3v2 tag for the tags written once the file is
// complete (title, artist, album, year, genre, track take a few hundred
// bytes). No more: TagLib gives back room beyond 1 KiB (in files under
// 100 kB), which moves the audio as much as a tag that does not fit.
constexpr int Mp3TagRoom = 1024;

// FLAC chunks of this many blocks (about 1.7 s at 44.1 kHz and level 5):
// long enough that handing them around costs nothing, short enough that a
// one-minute piece keeps every core busy.
constexpr int FlacBlocksPerChunk = 16;
constexpr int MostFlacWorkers = 4;

// The tags are written into the finished file; where they go ahead of the
// audio and do not fit the space the muxer left, every byte of audio after
// them is moved, which for a WAV piece costs as much as writing it. So the
// MP3 tag gets room to spare, and the WAV file no INFO list ahead of its
// data (the muxer's naming itself): the tag chunks then go after the audio.
void LeaveRoomForTags(AVFormatContext &format, EncodedCodec codec)
{
    if (codec == EncodedCodec::Mp3)
        format.metadata_header_padding = Mp3TagRoom;
    if (codec == EncodedCodec::Wav)
        format.flags |= AVFMT_FLAG_BITEXACT;
}

} // namespace

EncodedWriter::EncodedWriter(const QString &path, const OutputEncoding &encoding, int inputRate, int inputChannels,
                             const QList<Chapter> &chapters, Threading threading)
    : m_path(path), m_encoding(WithinRanges(encoding)), m_chapters(chapters), m_frame(makeFrame()), m_packet(makePacket())
{
    if (!IsWorkableAudioFormat(inputRate, inputChannels))
        throw KorvexError(QStringLiteral("%1 Hz with %2 channels is not a data format audio can be written from.")
                              .arg(inputRate).arg(inputChannels));
    try {
        openOutput(inputRate, inputChannels);
        setInputFormat(inputRate, inputChannels);
    } catch (const KorvexError &) {
        // No destructor runs for a constructor that throws.
        removePartialFile();
        throw;
    }
    m_thread = std::make_unique<EncodingThread>([this](EncodingThread::Block &block) { encodeBlock(block); },
                                                threading == Threading::OwnThread);
}

EncodedWriter::~EncodedWriter()
{
    try {
        finish();
    } catch (const KorvexError &) {
        // The failure kept or removed the file already; no one is left to tell.
    }
    freePlanes();
}

void EncodedWriter::freePlanes()
{
    if (!m_planes.empty())
        av_freep(&m_planes[0]);  // one allocation holds every plane
    m_planes.clear();
    m_planeFrames = 0;
}

QString EncodedWriter::failureText(int status) const
{
    return QStringLiteral("Unable to write '%1': %2.").arg(m_path, ffmpegErrorText(status));
}

void EncodedWriter::openOutput(int inputRate, int inputChannels)
{
    AVFormatContext *raw = nullptr;
    // The file is written through our own sink; the name only keeps the MP4
    // muxer from warning about an extension players might not know.
    const char *nominalName = m_encoding.codec == EncodedCodec::Aac ? "output.m4a" : nullptr;
    int status = avformat_alloc_output_context2(&raw, nullptr, MuxerName(m_encoding.codec), nominalName);
    m_format.reset(raw);
    if (status < 0)
        throw KorvexError(QStringLiteral("Unable to create '%1': %2.").arg(m_path, ffmpegErrorText(status)));
    const bool globalHeader = (m_format->oformat->flags & AVFMT_GLOBALHEADER) != 0;
    m_codec = OpenEncoder(m_encoding, inputRate, inputChannels, globalHeader);
    const bool anySize = m_codec->frame_size <= 0
        || (m_codec->codec->capabilities & AV_CODEC_CAP_VARIABLE_FRAME_SIZE) != 0;
    m_frameSize = anySize ? FreeFrameSize : m_codec->frame_size;
    m_queue.reset(av_audio_fifo_alloc(m_codec->sample_fmt, m_codec->ch_layout.nb_channels, m_frameSize * 4));
    if (!m_queue)
        throw KorvexError(QStringLiteral("Unable to create '%1': out of memory.").arg(m_path));
    if (m_encoding.codec == EncodedCodec::Flac)
        openFlacPool(inputRate, inputChannels, globalHeader);

    m_stream = avformat_new_stream(m_format.get(), nullptr);
    if (!m_stream)
        throw KorvexError(QStringLiteral("Unable to create '%1': out of memory.").arg(m_path));
    status = avcodec_parameters_from_context(m_stream->codecpar, m_codec.get());
    m_stream->time_base = m_codec->time_base;
    if (status < 0)
        throw KorvexError(QStringLiteral("Unable to create '%1': %2.").arg(m_path, ffmpegErrorText(status)));

    m_sink = std::make_unique<SalvageSink>(m_path);
    m_format->pb = m_sink->context();
    m_format->flags |= AVFMT_FLAG_CUSTOM_IO;
    AddChapters(*m_format, m_chapters);
    if (m_encoding.codec == EncodedCodec::Vorbis)
        AddChapterComments(m_stream->metadata, m_chapters);
    else if (m_encoding.codec == EncodedCodec::Flac)
        AddChapterComments(m_format->metadata, m_chapters);
    LeaveRoomForTags(*m_format, m_encoding.codec);
    status = avformat_write_header(m_format.get(), nullptr);
    if (status < 0 || m_sink->failed()) {
        const QString reason = status < 0 ? ffmpegErrorText(status) : m_sink->failure();
        removePartialFile();
        throw KorvexError(QStringLiteral("Unable to create '%1': %2.").arg(m_path, reason));
    }
}

// The pool's encoders are set up as m_codec is, so their frames and
// STREAMINFO match the stream's parameters the muxer was given.
void EncodedWriter::openFlacPool(int inputRate, int inputChannels, bool globalHeader)
{
    const OutputEncoding encoding = m_encoding;
    const auto openEncoder = [encoding, inputRate, inputChannels, globalHeader] {
        return OpenEncoder(encoding, inputRate, inputChannels, globalHeader);
    };
    const int workers = std::clamp(QThread::idealThreadCount(), 1, MostFlacWorkers);
    m_flacPool = std::make_unique<FlacEncoderPool>(openEncoder, workers, FlacBlocksPerChunk,
                                                   [this](AVPacket *packet) { writePacket(packet); });
    m_frameSize = m_flacPool->blockSize();
}

void EncodedWriter::setInputFormat(int sampleRate, int channels)
{
    if (!IsWorkableAudioFormat(sampleRate, channels))
        throw KorvexError(QStringLiteral("%1 Hz with %2 channels is not a data format audio can be written from.")
                              .arg(sampleRate).arg(channels));
    m_inputRate = sampleRate;
    m_inputChannels = channels;
}

void EncodedWriter::write(const SampleArray &block)
{
    if (!m_failure.isEmpty())
        throw KorvexError(m_failure);
    if (m_finished)
        throw KorvexError(QStringLiteral("'%1' is already closed.").arg(m_path));
    const qint64 frames = block.upperBound() / m_inputChannels;
    if (frames <= 0)
        return;
    try {
        std::vector<float> samples = m_thread->spareSamples();
        if (KeepsPeaksBeyondFullScale(m_encoding))
            FiniteCopy(block.data(), frames * m_inputChannels, samples);
        else
            FullScaleCopy(block.data(), frames * m_inputChannels, samples);
        m_thread->hand({std::move(samples), m_inputRate, m_inputChannels});
    } catch (const KorvexError &error) {
        failAndSalvage(error.text());
    }
    m_inputFrames += frames;
}

// On the encoding thread: a block in the format it was written in.
void EncodedWriter::encodeBlock(EncodingThread::Block &block)
{
    if (block.rate != m_convertedRate || block.channels != m_convertedChannels)
        convertFrom(block.rate, block.channels);
    pushConverted(block.samples.data(), qint64(block.samples.size()) / block.channels);
    encodeQueued(false);
}

void EncodedWriter::convertFrom(int sampleRate, int channels)
{
    if (m_converter)
        pushConverted(nullptr, 0);  // what the old converter still holds for its filter
    m_convertedRate = sampleRate;
    m_convertedChannels = channels;
    // Always a converter: besides rate and channels it makes the codec's
    // sample format (16-bit integers for FLAC and WAV, planes for most).
    m_converter = makeFloatConverter(defaultLayout(channels), AV_SAMPLE_FMT_FLT, sampleRate,
                                     m_codec->ch_layout.nb_channels, m_codec->sample_fmt, m_codec->sample_rate);
}

void EncodedWriter::pushConverted(const float *interleaved, qint64 frames)
{
    const int room = std::max(swr_get_out_samples(m_converter.get(), static_cast<int>(frames)), 0);
    if (room > m_planeFrames) {
        freePlanes();
        m_planes.assign(size_t(AV_NUM_DATA_POINTERS), nullptr);
        const int status = av_samples_alloc(m_planes.data(), nullptr, m_codec->ch_layout.nb_channels, room,
                                            m_codec->sample_fmt, 0);
        if (status < 0)
            throw KorvexError(QStringLiteral("Out of memory while converting audio for '%1'.").arg(m_path));
        m_planeFrames = room;
    }
    const auto *in = reinterpret_cast<const uint8_t *>(interleaved);
    const int count = swr_convert(m_converter.get(), m_planes.data(), room, in ? &in : nullptr,
                                  in ? static_cast<int>(frames) : 0);
    if (count < 0)
        throw KorvexError(QStringLiteral("The audio could not be converted: %1.").arg(ffmpegErrorText(count)));
    if (m_flacPool) {
        m_flacPool->push(m_planes[0], count);
        return;
    }
    if (count > 0 && av_audio_fifo_write(m_queue.get(), reinterpret_cast<void **>(m_planes.data()), count) < count)
        throw KorvexError(QStringLiteral("Out of memory while converting audio for '%1'.").arg(m_path));
}

// Hands the encoder every whole frame queued; with `last` also the rest,
// which codecs without small last frames get padded with silence.
void EncodedWriter::encodeQueued(bool last)
{
    if (m_flacPool)
        return;  // the pool takes whole chunks as they fill
    const bool smallLast = (m_codec->codec->capabilities
                            & (AV_CODEC_CAP_SMALL_LAST_FRAME | AV_CODEC_CAP_VARIABLE_FRAME_SIZE)) != 0;
    while (av_audio_fifo_size(m_queue.get()) >= m_frameSize || (last && av_audio_fifo_size(m_queue.get()) > 0)) {
        const int take = std::min(av_audio_fifo_size(m_queue.get()), m_frameSize);
        av_frame_unref(m_frame.get());
        m_frame->nb_samples = take < m_frameSize && !smallLast ? m_frameSize : take;
        m_frame->format = m_codec->sample_fmt;
        m_frame->sample_rate = m_codec->sample_rate;
        int status = av_channel_layout_copy(&m_frame->ch_layout, &m_codec->ch_layout);
        if (status >= 0)
            status = av_frame_get_buffer(m_frame.get(), 0);
        if (status < 0)
            throw KorvexError(QStringLiteral("Out of memory while encoding '%1'.").arg(m_path));
        if (m_frame->nb_samples > take)
            av_samples_set_silence(m_frame->extended_data, take, m_frame->nb_samples - take,
                                   m_codec->ch_layout.nb_channels, m_codec->sample_fmt);
        av_audio_fifo_read(m_queue.get(), reinterpret_cast<void **>(m_frame->extended_data), take);
        m_frame->pts = m_nextPts;
        m_nextPts += m_frame->nb_samples;
        encodeFrame(m_frame.get());
    }
}

// Sends a frame (nullptr: the end) and writes every packet the encoder has.
void EncodedWriter::encodeFrame(AVFrame *frame)
{
    int status = avcodec_send_frame(m_codec.get(), frame);
    if (status < 0)
        throw KorvexError(failureText(status));
    while ((status = avcodec_receive_packet(m_codec.get(), m_packet.get())) >= 0)
        writePacket(m_packet.get());
    if (status != AVERROR(EAGAIN) && status != AVERROR_EOF)
        throw KorvexError(failureText(status));
}

void EncodedWriter::writePacket(AVPacket *packet)
{
    packet->stream_index = m_stream->index;
    av_packet_rescale_ts(packet, m_codec->time_base, m_stream->time_base);
    const int status = av_write_frame(m_format.get(), packet);
    av_packet_unref(packet);
    if (status < 0)
        throw KorvexError(failureText(status));
    if (m_sink->failed())
        throw KorvexError(QStringLiteral("Unable to write '%1': %2.").arg(m_path, m_sink->failure()));
    // Where the muxer's output for this packet ends: a muxer that gathers
    // packets (Ogg pages) ends its pages there.
    const qint64 end = avio_tell(m_format->pb);
    if (m_packetEnds.empty() || end > m_packetEnds.back())
        m_packetEnds.push_back(end);
}

void EncodedWriter::finish()
{
    if (m_finished)
        return;
    m_finished = true;
    if (!m_failure.isEmpty())
        return;
    try {
        m_thread->finish();
        completeFile();
    } catch (const KorvexError &error) {
        failAndSalvage(error.text());
    }
}

void EncodedWriter::completeFile()
{
    if (m_converter)
        pushConverted(nullptr, 0);
    if (m_flacPool) {
        completeFlacStream();
    } else {
        encodeQueued(true);
        encodeFrame(nullptr);
    }
    const int status = av_write_trailer(m_format.get());
    m_sink->close();
    m_format->pb = nullptr;
    if (status < 0)
        throw KorvexError(failureText(status));
    if (m_sink->failed())
        throw KorvexError(QStringLiteral("Unable to write '%1': %2.").arg(m_path, m_sink->failure()));
}

// The muxer writes the STREAMINFO it is handed with a packet over the one
// at the start of the file once the trailer is written.
void EncodedWriter::completeFlacStream()
{
    m_flacPool->finish();
    const QByteArray streamInfo = m_flacPool->streamInfo();
    PacketPtr last = makePacket();
    uint8_t *side = av_packet_new_side_data(last.get(), AV_PKT_DATA_NEW_EXTRADATA, size_t(streamInfo.size()));
    if (!side)
        throw KorvexError(QStringLiteral("Out of memory while finishing '%1'.").arg(m_path));
    std::copy(streamInfo.begin(), streamInfo.end(), side);
    last->pts = last->dts = m_flacPool->facts().totalSamples;
    writePacket(last.get());
}

// What reached the disk before the failure is audio the user may need: the
// muxer finishes its header over it, the file is cut back to whole packets,
// and only a file without any is removed.
void EncodedWriter::failAndSalvage(const QString &reason)
{
    if (m_thread)
        m_thread->stop();
    if (m_flacPool)
        m_flacPool->abandon();
    qint64 failedAt = -1;
    if (m_format && m_format->pb) {
        av_write_trailer(m_format.get());
        failedAt = m_sink->failedAt();
        m_sink->close();
        m_format->pb = nullptr;
    } else if (m_sink) {
        failedAt = m_sink->failedAt();
    }
    m_finished = true;
    const bool kept = QFileInfo(m_path).isFile()
        && SalvageEncoded(m_path, m_encoding.codec, m_packetEnds, failedAt, m_frameSize) > 0;
    if (!kept)
        removePartialFile();
    m_failure = FailureAfterSalvage(reason, m_path, kept);
    throw KorvexError(m_failure);
}

// Only a regular file this writer created is ever removed.
void EncodedWriter::removePartialFile()
{
    if (!m_sink)
        return;
    m_sink->close();
    if (m_format)
        m_format->pb = nullptr;
    if (QFileInfo(m_path).isFile())
        QFile::remove(m_path);
}

} // namespace korvex
