#include "components/AudioReader.h"

#include "components/AudioLimits.h"
#include "components/KorvexError.h"
#include "components/SourceScan.h"

#include <QFile>
#include <algorithm>
#include <cstring>

#if defined(__SSE2__)
#include <immintrin.h>
#endif

extern "C" {
#include <libavutil/channel_layout.h>
}

namespace korvex {

namespace {

// Decoding restarts this far before a seek target so that decoders with
// overlapping transforms or a bit reservoir have settled when it is reached.
constexpr qint64 DefaultSeekPreroll = 6144;
// Forward seeks shorter than this decode and drop instead of asking the demuxer.
constexpr int ForwardSkipSeconds = 2;
// Resampler look-ahead step, in source frames.
constexpr qint64 LookAheadFrames = 256;

// Planar float in the usual layout of one or two channels only needs
// interleaving, which the resampler does a sample at a time: every block of
// a split passes here.
bool interleavesAsIs(const AVFrame &frame, int outChannels)
{
    const int channels = frame.ch_layout.nb_channels;
    if (frame.format != AV_SAMPLE_FMT_FLTP || channels != outChannels || channels > 2)
        return false;
    if (frame.ch_layout.order == AV_CHANNEL_ORDER_UNSPEC)
        return true;
    AVChannelLayout usual{};
    av_channel_layout_default(&usual, channels);
    return av_channel_layout_compare(&frame.ch_layout, &usual) == 0;
}

// With `past` the samples go around this core's caches: blocks that another
// thread reads later (a writer's encoders) are then neither fetched here
// before they are overwritten nor taken back from that thread's cache.
void interleaveStereo(float *__restrict out, const float *__restrict left, const float *__restrict right,
                      qint64 count, bool past)
{
    qint64 i = 0;
#if defined(__SSE2__)
    if (past) {
        for (; i < count && (reinterpret_cast<uintptr_t>(out + 2 * i) & 15) != 0; ++i) {
            out[2 * i] = left[i];
            out[2 * i + 1] = right[i];
        }
        for (; i + 4 <= count; i += 4) {
            const __m128 l = _mm_loadu_ps(left + i);
            const __m128 r = _mm_loadu_ps(right + i);
            _mm_stream_ps(out + 2 * i, _mm_unpacklo_ps(l, r));
            _mm_stream_ps(out + 2 * i + 4, _mm_unpackhi_ps(l, r));
        }
        _mm_sfence();
    }
    for (; i + 4 <= count; i += 4) {
        const __m128 l = _mm_loadu_ps(left + i);
        const __m128 r = _mm_loadu_ps(right + i);
        _mm_storeu_ps(out + 2 * i, _mm_unpacklo_ps(l, r));
        _mm_storeu_ps(out + 2 * i + 4, _mm_unpackhi_ps(l, r));
    }
#endif
    for (; i < count; ++i) {
        out[2 * i] = left[i];
        out[2 * i + 1] = right[i];
    }
}

// `count` frames from `skip` on into `out`, interleaved.
void interleave(float *out, const AVFrame &frame, qint64 skip, qint64 count, bool past)
{
    const auto *left = reinterpret_cast<const float *>(frame.extended_data[0]) + skip;
    if (frame.ch_layout.nb_channels == 1) {
        std::memcpy(out, left, size_t(count) * sizeof(float));
        return;
    }
    interleaveStereo(out, left, reinterpret_cast<const float *>(frame.extended_data[1]) + skip, count, past);
}
// Errors the demuxer may report for damage it can step over.
constexpr int MaxConsecutiveReadErrors = 64;

} // namespace

AudioReader::AudioReader(const QString &path) : m_path(path)
{
    m_packet = makePacket();
    m_frame = makeFrame();
    openInput();
    m_measured = measureSource(path);
    m_length = m_measured.frames;
    m_grid = m_measured.grid;
    findOrigin();
    m_outRate = m_sourceRate;
    m_outChannels = m_sourceChannels;
    m_sourceFifo = makeFloatFifo(m_outChannels, 4096);
}

AudioReader::~AudioReader()
{
    av_channel_layout_uninit(&m_layoutSource);
}

qint64 AudioReader::durationMs() const
{
    return m_sourceRate > 0 ? av_rescale_rnd(m_length, 1000, m_sourceRate, AV_ROUND_NEAR_INF) : 0;
}

void AudioReader::openInput()
{
    m_decoder.reset();
    m_format.reset();
    m_seekIndexLent = false;
    AVFormatContext *raw = nullptr;
    int status = avformat_open_input(&raw, QFile::encodeName(m_path).constData(), nullptr, nullptr);
    m_format.reset(raw);
    if (status >= 0)
        status = avformat_find_stream_info(m_format.get(), nullptr);
    if (status < 0)
        throw KorvexError(QStringLiteral("Unable to open '%1': %2.").arg(m_path, ffmpegErrorText(status)));

    const AVCodec *codec = nullptr;
    const int index = av_find_best_stream(m_format.get(), AVMEDIA_TYPE_AUDIO, -1, -1, &codec, 0);
    if (index == AVERROR_DECODER_NOT_FOUND)
        throw KorvexError(QStringLiteral("No decoder for the audio in '%1'.").arg(m_path));
    if (index < 0)
        throw KorvexError(QStringLiteral("'%1' holds no audio stream.").arg(m_path));
    m_stream = m_format->streams[index];
    for (unsigned i = 0; i < m_format->nb_streams; ++i)
        if (static_cast<int>(i) != index)
            m_format->streams[i]->discard = AVDISCARD_ALL;

    m_decoder.reset(avcodec_alloc_context3(codec));
    status = m_decoder ? avcodec_parameters_to_context(m_decoder.get(), m_stream->codecpar) : AVERROR(ENOMEM);
    if (status >= 0) {
        m_decoder->pkt_timebase = m_stream->time_base;
        status = avcodec_open2(m_decoder.get(), codec, nullptr);
    }
    if (status < 0)
        throw KorvexError(QStringLiteral("Unable to decode '%1': %2.").arg(m_path, ffmpegErrorText(status)));
    m_inputEnded = false;
    m_frameHeld = false;
}

// The first decoded frame fixes position 0: every later timestamp is taken
// relative to it, which cancels container start times and encoder delays.
void AudioReader::findOrigin()
{
    const AVRational tb = m_stream->time_base;
    m_seekPreroll = std::max<qint64>(DefaultSeekPreroll, m_stream->codecpar->seek_preroll);
    if (!decodeNextFrame()) {
        if (m_length > 0)
            throw KorvexError(QStringLiteral("'%1' holds no audio that can be decoded.").arg(m_path));
        m_sourceRate = m_decoder->sample_rate > 0 ? m_decoder->sample_rate : 44100;
        m_sourceChannels = std::max(m_decoder->ch_layout.nb_channels, 1);
        return;
    }
    m_sourceRate = m_frame->sample_rate > 0 ? m_frame->sample_rate : m_decoder->sample_rate;
    m_sourceChannels = m_frame->ch_layout.nb_channels;
    if (m_sourceRate <= 0 || m_sourceChannels <= 0)
        throw KorvexError(QStringLiteral("'%1' holds audio of an unknown format.").arg(m_path));
    m_originTs = m_frame->best_effort_timestamp;
    m_coarse = static_cast<int64_t>(tb.num) * m_sourceRate > tb.den;
    if (m_grid <= 0)
        m_grid = m_frame->nb_samples;
    m_frameHeld = true;
    m_positionKnown = true;
    m_nextDecodePos = 0;
}

bool AudioReader::decodeNextFrame()
{
    int readErrors = 0;
    for (;;) {
        const int received = avcodec_receive_frame(m_decoder.get(), m_frame.get());
        if (received >= 0)
            return true;
        if (received == AVERROR_EOF)
            return false;
        if (m_inputEnded)
            return false;
        const int status = av_read_frame(m_format.get(), m_packet.get());
        if (status < 0) {
            const bool atEnd = status == AVERROR_EOF || avio_feof(m_format->pb);
            if (!atEnd && status != AVERROR_INVALIDDATA)
                throw KorvexError(QStringLiteral("Unable to read '%1': %2.").arg(m_path, ffmpegErrorText(status)));
            if (atEnd || ++readErrors > MaxConsecutiveReadErrors) {
                avcodec_send_packet(m_decoder.get(), nullptr);
                m_inputEnded = true;
            }
            continue;
        }
        readErrors = 0;
        if (m_packet->stream_index == m_stream->index) {
            // A damaged packet is dropped; the stream goes on with the next.
            avcodec_send_packet(m_decoder.get(), m_packet.get());
        }
        av_packet_unref(m_packet.get());
    }
}

std::optional<qint64> AudioReader::framePosition() const
{
    if (m_frame->pts != AV_NOPTS_VALUE) {
        if (const auto known = m_measured.positionOf(m_frame->pts, m_frame->nb_samples))
            return known;
    }
    const int64_t ts = m_frame->best_effort_timestamp;
    if (ts == AV_NOPTS_VALUE || m_originTs == AV_NOPTS_VALUE)
        return std::nullopt;
    qint64 position = av_rescale_q_rnd(ts - m_originTs, m_stream->time_base, AVRational{1, m_sourceRate},
                                       static_cast<AVRounding>(AV_ROUND_NEAR_INF | AV_ROUND_PASS_MINMAX));
    // Millisecond timestamps only say roughly where a frame starts; the codec
    // frames lie on a fixed grid, so the nearest grid point is the exact one.
    if (m_coarse && m_grid > 0)
        position = (position >= 0 ? position + m_grid / 2 : position - m_grid / 2) / m_grid * m_grid;
    return position;
}

void AudioReader::acceptFrame()
{
    m_frameHeld = false;
    if (!m_positionKnown) {
        const std::optional<qint64> position = framePosition();
        m_nextDecodePos = position.value_or(m_nextDecodePos);
        m_positionKnown = true;
    }
    const qint64 start = m_nextDecodePos;
    const qint64 count = m_frame->nb_samples;
    m_nextDecodePos += count;
    const qint64 skip = std::clamp<qint64>(m_discardBefore - start, 0, count);
    const qint64 keep = std::min(count, m_length - start) - skip;
    if (keep > 0)
        convertToSource(skip, keep);
    av_frame_unref(m_frame.get());
}

void AudioReader::convertToSource(qint64 skip, qint64 keep)
{
    const AVFrame &frame = *m_frame;
    if (interleavesAsIs(frame, outChannels())) {
        deliverConverted(keep, [this, &frame, skip, keep](float *target) {
            interleave(target, frame, skip, keep, m_blocksGoElsewhere && target == m_directOut);
            return int(keep);
        });
        return;
    }
    if (!m_layoutConverter || frame.format != m_layoutFormat
        || av_channel_layout_compare(&frame.ch_layout, &m_layoutSource) != 0) {
        m_layoutConverter = makeFloatConverter(frame.ch_layout, static_cast<AVSampleFormat>(frame.format),
                                               m_sourceRate, outChannels(), AV_SAMPLE_FMT_FLT, m_sourceRate);
        m_layoutFormat = frame.format;
        av_channel_layout_uninit(&m_layoutSource);
        av_channel_layout_copy(&m_layoutSource, &frame.ch_layout);
    }
    const auto format = static_cast<AVSampleFormat>(frame.format);
    const int bytes = av_get_bytes_per_sample(format);
    const int planes = av_sample_fmt_is_planar(format) ? frame.ch_layout.nb_channels : 1;
    const qint64 stride = av_sample_fmt_is_planar(format) ? bytes : qint64(bytes) * frame.ch_layout.nb_channels;
    std::vector<const uint8_t *> input(static_cast<size_t>(planes));
    for (int p = 0; p < planes; ++p)
        input[static_cast<size_t>(p)] = frame.extended_data[p] + skip * stride;
    deliverConverted(keep, [this, &input, keep](float *target) {
        auto *output = reinterpret_cast<uint8_t *>(target);
        const int converted = swr_convert(m_layoutConverter.get(), &output, static_cast<int>(keep), input.data(),
                                          static_cast<int>(keep));
        if (converted < 0)
            throw KorvexError(QStringLiteral("Unable to convert the audio of '%1': %2.")
                                  .arg(m_path, ffmpegErrorText(converted)));
        return converted;
    });
}

// A frame that fits the block being read is converted straight into it;
// only what goes past the block waits in the FIFO. `convert` writes `keep`
// frames at most and says how many.
void AudioReader::deliverConverted(qint64 keep, const std::function<int(float *)> &convert)
{
    const bool direct = keep <= m_directRoom;
    if (!direct)
        m_scratch.resize(static_cast<size_t>(keep * outChannels()));
    float *target = direct ? m_directOut : m_scratch.data();
    const int converted = convert(target);
    if (direct) {
        m_directOut += qint64(converted) * outChannels();
        m_directRoom -= converted;
        return;
    }
    const qint64 fitting = std::min<qint64>(m_directRoom, converted);
    std::copy_n(m_scratch.data(), fitting * outChannels(), m_directOut);
    m_directOut += fitting * outChannels();
    m_directRoom -= fitting;
    void *planesOut[] = {m_scratch.data() + fitting * outChannels()};
    const int rest = converted - static_cast<int>(fitting);
    if (av_audio_fifo_write(m_sourceFifo.get(), planesOut, rest) < rest)
        throw KorvexError(QStringLiteral("Out of memory while reading '%1'.").arg(m_path));
}

// Copies up to `frames` frames into `into`: first what the FIFO holds from an
// earlier frame, then frames decoded straight into place; returns how many.
qint64 AudioReader::readSource(float *into, qint64 frames)
{
    const int buffered = static_cast<int>(std::min<qint64>(av_audio_fifo_size(m_sourceFifo.get()), frames));
    void *planes[] = {into};
    const qint64 fromFifo = buffered > 0 ? std::max(av_audio_fifo_read(m_sourceFifo.get(), planes, buffered), 0) : 0;
    m_directOut = into + fromFifo * outChannels();
    m_directRoom = frames - fromFifo;
    while (m_directRoom > 0) {
        if (m_frameHeld) {
            acceptFrame();
            continue;
        }
        if ((m_nextDecodePos >= m_length && m_positionKnown) || !decodeNextFrame())
            break;
        acceptFrame();
    }
    const qint64 copied = frames - m_directRoom;
    m_directOut = nullptr;
    m_directRoom = 0;
    m_sourceFifoPos += copied;
    return copied;
}

SampleArray AudioReader::read(qint64 frames)
{
    frames = std::min(frames, m_length - m_consumed);
    m_missing = 0;
    if (frames <= 0)
        return {};
    return resampling() ? takeResampled(frames) : takeDirect(frames);
}

SampleArray AudioReader::takeDirect(qint64 frames)
{
    QList<float> &samples = m_blocks.take(frames * outChannels());
    // A caller that keeps blocks beyond the next read hands them on to
    // another thread.
    m_blocksGoElsewhere = m_blocks.heldElsewhere() >= 2;
    float *into = samples.data();
    const qint64 copied = readSource(into, frames);
    // Frames a damaged stream fails to deliver stay silent, so the block and
    // the position still agree with length().
    std::fill(into + copied * outChannels(), into + frames * outChannels(), 0.0f);
    m_missing = frames - copied;
    m_consumed += frames;
    m_fedPos = m_consumed;
    return SampleArray(samples);
}

SampleArray AudioReader::takeResampled(qint64 frames)
{
    const qint64 target = m_consumed + frames;
    feedRateStage(target);
    const qint64 expected = av_rescale_rnd(target - m_resetPos, m_outRate, m_sourceRate, AV_ROUND_NEAR_INF)
                            - m_delivered;
    // The resampler holds back a few frames for its filter; feeding it a
    // little of what follows releases them, so each block is full length.
    while (av_audio_fifo_size(m_outFifo.get()) < expected && m_fedPos < m_length)
        feedRateStage(std::min(m_fedPos + LookAheadFrames, m_length));
    if (m_fedPos >= m_length)
        flushRateStage();
    const int available = av_audio_fifo_size(m_outFifo.get());
    const qint64 count = target >= m_length ? available : std::min<qint64>(expected, available);
    SampleArray block(std::max<qint64>(count, 0) * outChannels());
    void *planes[] = {block.data()};
    if (count > 0)
        av_audio_fifo_read(m_outFifo.get(), planes, static_cast<int>(count));
    m_missing = 0;
    if (m_shortFrom >= 0) {
        const qint64 audioEnd = av_rescale_rnd(m_shortFrom - m_resetPos, m_outRate, m_sourceRate, AV_ROUND_NEAR_INF);
        m_missing = std::clamp<qint64>(m_delivered + count - audioEnd, 0, std::max<qint64>(count, 0));
    }
    m_delivered += std::max<qint64>(count, 0);
    m_consumed = target;
    return block;
}

void AudioReader::feedRateStage(qint64 until)
{
    const int channels = outChannels();
    std::vector<float> input;
    while (m_fedPos < until) {
        const qint64 step = std::min<qint64>(until - m_fedPos, 65536);
        input.assign(static_cast<size_t>(step * channels), 0.0f);
        const qint64 copied = readSource(input.data(), step);  // past a damaged end: silence
        if (copied < step && m_shortFrom < 0)
            m_shortFrom = m_fedPos + copied;
        const int room = swr_get_out_samples(m_rateConverter.get(), static_cast<int>(step));
        std::vector<float> output(static_cast<size_t>(std::max(room, 0) * channels));
        auto *out = reinterpret_cast<uint8_t *>(output.data());
        const auto *in = reinterpret_cast<const uint8_t *>(input.data());
        const int made = swr_convert(m_rateConverter.get(), &out, room, &in, static_cast<int>(step));
        if (made < 0)
            throw KorvexError(QStringLiteral("Unable to resample the audio of '%1': %2.")
                                  .arg(m_path, ffmpegErrorText(made)));
        void *planes[] = {output.data()};
        av_audio_fifo_write(m_outFifo.get(), planes, made);
        m_fedPos += step;
    }
}

void AudioReader::flushRateStage()
{
    if (m_rateFlushed)
        return;
    m_rateFlushed = true;
    const int channels = outChannels();
    for (;;) {
        const int room = std::max(swr_get_out_samples(m_rateConverter.get(), 0), 0) + 64;
        std::vector<float> output(static_cast<size_t>(room * channels));
        auto *out = reinterpret_cast<uint8_t *>(output.data());
        const int made = swr_convert(m_rateConverter.get(), &out, room, nullptr, 0);
        if (made <= 0)
            return;
        void *planes[] = {output.data()};
        av_audio_fifo_write(m_outFifo.get(), planes, made);
    }
}

void AudioReader::resetRateStage(qint64 at)
{
    m_fedPos = m_resetPos = at;
    m_delivered = 0;
    m_shortFrom = -1;
    m_rateFlushed = false;
    if (!resampling()) {
        m_rateConverter.reset();
        m_outFifo.reset();
        return;
    }
    const AVChannelLayout layout = defaultLayout(outChannels());
    m_rateConverter = makeFloatConverter(layout, AV_SAMPLE_FMT_FLT, m_sourceRate, outChannels(),
                                         AV_SAMPLE_FMT_FLT, m_outRate);
    m_outFifo = makeFloatFifo(outChannels(), 8192);
}

void AudioReader::setDataFormat(int sampleRate, int channels)
{
    // 0 keeps the source's rate or channel count
    if (sampleRate < 0 || channels < 0 || sampleRate > MaxAudioRate || channels > MaxAudioChannels)
        throw KorvexError(QStringLiteral("%1 Hz with %2 channels is not a data format audio can be delivered in.")
                              .arg(sampleRate).arg(channels));
    const int rate = sampleRate > 0 ? sampleRate : m_sourceRate;
    const int count = channels > 0 ? channels : m_sourceChannels;
    if (rate == m_outRate && count == m_outChannels)
        return;
    const bool fresh = m_consumed == 0 && av_audio_fifo_size(m_sourceFifo.get()) == 0 && m_fedPos == 0;
    m_outRate = rate;
    m_outChannels = count;
    m_layoutConverter.reset();
    m_sourceFifo = makeFloatFifo(m_outChannels, 4096);
    // Audio already converted in the old format is decoded again in the new.
    if (fresh)
        resetRateStage(0);
    else
        restartAt(m_consumed);
}

void AudioReader::seek(qint64 frame)
{
    frame = std::clamp<qint64>(frame, 0, m_length);
    if (frame == m_consumed)
        return;
    const bool shortHop = frame > m_consumed && frame - m_consumed <= qint64(m_sourceRate) * ForwardSkipSeconds;
    if (shortHop && frame >= m_fedPos)
        skipForwardTo(frame);
    else
        restartAt(frame);
}

void AudioReader::skipForwardTo(qint64 frame)
{
    const qint64 buffered = av_audio_fifo_size(m_sourceFifo.get());
    const qint64 drop = std::min(buffered, frame - m_sourceFifoPos);
    if (drop > 0)
        av_audio_fifo_drain(m_sourceFifo.get(), static_cast<int>(drop));
    m_sourceFifoPos += std::max<qint64>(drop, 0);
    if (av_audio_fifo_size(m_sourceFifo.get()) == 0) {
        m_discardBefore = frame;
        m_sourceFifoPos = frame;
    }
    m_consumed = frame;
    resetRateStage(frame);
}

// Puts the decoder at `frame` exactly: a demuxer seek some way before it,
// then decode and drop up to it. A demuxer that lands after the target is
// asked again from further back, and as a last resort the file is decoded
// from its start.
void AudioReader::restartAt(qint64 frame)
{
    bool placed = false;
    for (qint64 preroll = m_seekPreroll; !placed && preroll <= 64 * m_seekPreroll; preroll *= 8)
        placed = seekDemuxerTo(frame, preroll);
    if (!placed) {
        reopenAtStart();
        m_discardBefore = frame;
    }
    m_sourceFifoPos = frame;
    m_consumed = frame;
    resetRateStage(frame);
}

bool AudioReader::seekDemuxerTo(qint64 frame, qint64 preroll)
{
    if (m_originTs == AV_NOPTS_VALUE)
        return false;
    const qint64 from = std::max<qint64>(frame - preroll, 0);
    int64_t ts = m_originTs + av_rescale_q(from, AVRational{1, m_sourceRate}, m_stream->time_base);
    if (from == 0 && m_stream->start_time != AV_NOPTS_VALUE)
        ts = std::min<int64_t>(ts, m_stream->start_time);
    lendSeekIndex();
    if (av_seek_frame(m_format.get(), m_stream->index, ts, AVSEEK_FLAG_BACKWARD) < 0)
        return false;
    avcodec_flush_buffers(m_decoder.get());
    av_frame_unref(m_frame.get());
    av_audio_fifo_reset(m_sourceFifo.get());
    m_layoutConverter.reset();
    m_frameHeld = false;
    m_inputEnded = false;
    m_positionKnown = false;
    m_discardBefore = frame;
    m_sourceFifoPos = frame;
    // Decode until the first frame tells where the demuxer landed.
    if (!decodeNextFrame())
        return frame >= m_length;
    m_frameHeld = true;
    // A demuxer that lands after the point asked for has guessed (Ogg inside
    // its last page computes timestamps backwards from a trimmed end): such
    // positions are not trusted, and the caller asks again from further back.
    const std::optional<qint64> landed = framePosition();
    const qint64 tolerance = m_coarse ? m_grid : 0;
    if (!landed || *landed > from + tolerance)
        return false;
    m_positionKnown = true;
    m_nextDecodePos = *landed;
    return true;
}

// The packets the measurement walked, handed to a demuxer that would have to
// read up to a seek's target to find it. Its seeks land on a packet
// boundary at or before the target as they would without, only sooner.
// Lent at the first seek, not before: every packet read after it lands
// inside the demuxer's index instead of at its end, and a reader that only
// reads on (a split, a join) would pay for moving the index each time.
void AudioReader::lendSeekIndex()
{
    if (!m_measured.seekIndex || m_seekIndexLent)
        return;
    m_seekIndexLent = true;
    for (const SourceLength::PacketAt &packet : *m_measured.seekIndex)
        av_add_index_entry(m_stream, packet.pos, packet.dts, 0, 0, AVINDEX_KEYFRAME);
}

void AudioReader::reopenAtStart()
{
    openInput();
    av_audio_fifo_reset(m_sourceFifo.get());
    m_layoutConverter.reset();
    if (decodeNextFrame())
        m_frameHeld = true;
    m_positionKnown = true;
    m_nextDecodePos = 0;
}

} // namespace korvex
