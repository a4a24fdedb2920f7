#include "components/WmaEncoderPool.h"

#include "components/KorvexError.h"

#include <algorithm>
#include <cmath>

namespace korvex {

WmaEncoderPool::WmaEncoderPool(const WmaProfile &profile, int workers, int chunkFrames, PacketSink sink)
    : m_profile(profile), m_sink(std::move(sink))
{
    m_reference = openEncoder();
    m_frameSize = m_reference->frame_size;
    m_channels = m_reference->ch_layout.nb_channels;
    m_chunkSamples = qint64(std::max(chunkFrames, 2)) * m_frameSize;
    m_fill.assign(static_cast<size_t>(m_channels), {});
    for (auto &plane : m_fill)
        plane.reserve(reservedSamples());
    workers = std::max(workers, 1);
    m_queueLimit = static_cast<size_t>(2 * workers);
    for (int i = 0; i < workers; ++i)
        m_workers.emplace_back([this] { workerLoop(); });
}

size_t WmaEncoderPool::reservedSamples() const
{
    return static_cast<size_t>(std::min<qint64>(m_chunkSamples + m_frameSize, 1 << 20));
}

WmaEncoderPool::~WmaEncoderPool()
{
    stopWorkers();
}

CodecContextPtr WmaEncoderPool::openEncoder() const
{
    const AVCodec *codec = avcodec_find_encoder(AV_CODEC_ID_WMAV2);
    if (!codec)
        throw KorvexError(QStringLiteral("This FFmpeg has no WMA encoder."));
    CodecContextPtr context(avcodec_alloc_context3(codec));
    if (!context)
        throw KorvexError(QStringLiteral("Out of memory while setting up the WMA encoder."));
    context->sample_rate = m_profile.sampleRate;
    context->ch_layout = defaultLayout(m_profile.channels);
    context->bit_rate = m_profile.bitRate;
    context->sample_fmt = AV_SAMPLE_FMT_FLTP;
    context->time_base = AVRational{1, m_profile.sampleRate};
    context->flags |= AV_CODEC_FLAG_GLOBAL_HEADER;
    const int status = avcodec_open2(context.get(), codec, nullptr);
    if (status < 0)
        throw KorvexError(QStringLiteral("Unable to set up the WMA encoder for profile %1 (%2): %3.")
                              .arg(m_profile.number).arg(QString::fromLatin1(m_profile.name), ffmpegErrorText(status)));
    return context;
}

void WmaEncoderPool::push(const float *const *planes, qint64 frames)
{
    throwIfFailed();
    qint64 offset = 0;
    while (offset < frames) {
        const qint64 room = m_chunkSamples - m_fillFrames;
        const qint64 take = std::min(room, frames - offset);
        appendSamples(planes, offset, take);
        offset += take;
        if (m_fillFrames == m_chunkSamples)
            dispatch(m_fillFrames);
    }
    m_pushed += frames;
}

void WmaEncoderPool::pushSilence(qint64 frames)
{
    std::vector<float> zeros(static_cast<size_t>(std::min<qint64>(frames, 65536)), 0.0f);
    std::vector<const float *> planes(static_cast<size_t>(m_channels), zeros.data());
    for (qint64 done = 0; done < frames;) {
        const qint64 step = std::min<qint64>(frames - done, static_cast<qint64>(zeros.size()));
        push(planes.data(), step);
        done += step;
    }
}

void WmaEncoderPool::appendSamples(const float *const *planes, qint64 offset, qint64 frames)
{
    for (int c = 0; c < m_channels; ++c) {
        auto &plane = m_fill[static_cast<size_t>(c)];
        const size_t end = plane.size();
        plane.resize(end + static_cast<size_t>(frames));
        const float *from = planes[c] + offset;
        std::transform(from, from + frames, plane.begin() + static_cast<std::ptrdiff_t>(end),
                       [](float v) { return std::isfinite(v) ? std::clamp(v, -1.0f, 1.0f) : 0.0f; });
    }
    m_fillFrames += frames;
}

// Hands the filled chunk (whole codec frames) to the workers; its last frame
// stays behind to prime the next chunk.
void WmaEncoderPool::dispatch(qint64 frames)
{
    Chunk chunk;
    chunk.sequence = m_nextSequence++;
    chunk.primed = m_nextFrameIndex > 0;
    chunk.firstFrame = m_nextFrameIndex - (chunk.primed ? 1 : 0);
    chunk.planes = std::move(m_fill);
    m_nextFrameIndex += frames / m_frameSize;

    m_fill.assign(static_cast<size_t>(m_channels), {});
    for (int c = 0; c < m_channels; ++c) {
        const auto &sent = chunk.planes[static_cast<size_t>(c)];
        auto &next = m_fill[static_cast<size_t>(c)];
        next.reserve(reservedSamples());
        next.assign(sent.end() - m_frameSize, sent.end());
    }
    m_fillFrames = 0;

    std::unique_lock lock(m_mutex);
    m_changed.wait(lock, [this] { return m_queue.size() < m_queueLimit || !m_failure.isEmpty(); });
    if (!m_failure.isEmpty())
        return;
    m_queue.push_back(std::move(chunk));
    m_changed.notify_all();
}

void WmaEncoderPool::workerLoop()
{
    CodecContextPtr encoder;
    try {
        encoder = openEncoder();
    } catch (const std::exception &error) {
        fail(QString::fromUtf8(error.what()));
        return;
    }
    for (;;) {
        Chunk chunk;
        {
            std::unique_lock lock(m_mutex);
            m_changed.wait(lock, [this] { return !m_queue.empty() || m_stopping; });
            if (m_queue.empty())
                return;
            chunk = std::move(m_queue.front());
            m_queue.pop_front();
            m_changed.notify_all();
        }
        try {
            deliver(chunk.sequence, encodeChunk(encoder, chunk));
        } catch (const std::exception &error) {
            // Nothing may escape a worker thread: the owner hears of it instead.
            fail(QString::fromUtf8(error.what()));
        }
    }
}

namespace {

// Sends one frame and collects what comes out; false when the encoder
// refused the frame as too dense for its bitrate.
bool encodeFrame(AVCodecContext &encoder, AVFrame &frame, std::vector<PacketPtr> *packets)
{
    int status = avcodec_send_frame(&encoder, &frame);
    if (status == AVERROR(EINVAL))
        return false;
    while (status >= 0) {
        PacketPtr packet = makePacket();
        status = avcodec_receive_packet(&encoder, packet.get());
        if (status >= 0 && packets)
            packets->push_back(std::move(packet));
    }
    if (status != AVERROR(EAGAIN))
        throw KorvexError(QStringLiteral("The WMA encoder failed: %1.").arg(ffmpegErrorText(status)));
    return true;
}

} // namespace

void WmaEncoderPool::fillFrame(AVFrame &frame, const AVCodecContext &encoder, const Chunk &chunk, qint64 index,
                               float gain) const
{
    frame.nb_samples = m_frameSize;
    frame.format = AV_SAMPLE_FMT_FLTP;
    frame.sample_rate = m_profile.sampleRate;
    av_channel_layout_copy(&frame.ch_layout, &encoder.ch_layout);
    if (av_frame_get_buffer(&frame, 0) < 0)
        throw KorvexError(QStringLiteral("Out of memory while encoding WMA."));
    for (int c = 0; c < m_channels; ++c) {
        const float *from = chunk.planes[static_cast<size_t>(c)].data() + index * m_frameSize;
        auto *to = reinterpret_cast<float *>(frame.data[c]);
        for (int i = 0; i < m_frameSize; ++i)
            to[i] = from[i] * gain;
    }
    frame.pts = (chunk.firstFrame + index) * m_frameSize;
}

WmaEncoderPool::Result WmaEncoderPool::encodeChunk(CodecContextPtr &encoder, const Chunk &chunk)
{
    Result result;
    FramePtr frame = makeFrame();
    const qint64 frameCount = static_cast<qint64>(chunk.planes.front().size()) / m_frameSize;
    for (qint64 f = 0; f < frameCount; ++f) {
        fillFrame(*frame, *encoder, chunk, f, 1.0f);
        const bool keep = !(chunk.primed && f == 0);
        const bool encoded = encodeFrame(*encoder, *frame, keep ? &result.packets : nullptr);
        av_frame_unref(frame.get());
        if (!encoded)
            encodeQuieter(encoder, chunk, f, keep ? &result.packets : nullptr);
    }
    return result;
}

// wmav2 gives up on a frame that does not fit its bitrate even at its
// coarsest step (dense, clipped audio at the low profiles). Such a frame is
// encoded again at half the level, then a quarter..., by a fresh encoder
// primed with the previous frame at the same level; that encoder goes on
// with the rest of the chunk. The file stays whole and only that frame is
// quieter.
void WmaEncoderPool::encodeQuieter(CodecContextPtr &encoder, const Chunk &chunk, qint64 index,
                                   std::vector<PacketPtr> *packets)
{
    FramePtr frame = makeFrame();
    for (float gain = 0.5f; gain >= 1.0f / 256; gain /= 2) {
        encoder = openEncoder();
        if (index > 0) {
            fillFrame(*frame, *encoder, chunk, index - 1, gain);
            const bool primed = encodeFrame(*encoder, *frame, nullptr);
            av_frame_unref(frame.get());
            if (!primed)
                continue;
        }
        fillFrame(*frame, *encoder, chunk, index, gain);
        const bool encoded = encodeFrame(*encoder, *frame, packets);
        av_frame_unref(frame.get());
        if (encoded)
            return;
    }
    throw KorvexError(QStringLiteral("The WMA encoder cannot code this audio at %1 bits per second.")
                          .arg(m_profile.bitRate));
}

// Stores a finished chunk; whichever worker holds the next chunk in order
// passes on every chunk that is then ready.
void WmaEncoderPool::deliver(qint64 sequence, Result result)
{
    std::unique_lock lock(m_mutex);
    m_ready.emplace(sequence, std::move(result));
    while (!m_sinking && m_failure.isEmpty()) {
        auto next = m_ready.find(m_nextToSink);
        if (next == m_ready.end())
            break;
        Result ready = std::move(next->second);
        m_ready.erase(next);
        m_sinking = true;
        lock.unlock();
        QString failure;
        try {
            for (auto &packet : ready.packets)
                m_sink(packet.get());
        } catch (const std::exception &error) {
            failure = QString::fromUtf8(error.what());
        }
        lock.lock();
        m_sinking = false;
        ++m_nextToSink;
        if (!failure.isEmpty() && m_failure.isEmpty())
            m_failure = failure;
        m_changed.notify_all();
    }
}

void WmaEncoderPool::fail(const QString &text)
{
    std::lock_guard lock(m_mutex);
    if (m_failure.isEmpty())
        m_failure = text;
    m_changed.notify_all();
}

void WmaEncoderPool::throwIfFailed()
{
    std::lock_guard lock(m_mutex);
    if (!m_failure.isEmpty())
        throw KorvexError(m_failure);
}

void WmaEncoderPool::finish()
{
    throwIfFailed();
    const qint64 partial = m_fillFrames % m_frameSize;
    pushSilence((partial ? m_frameSize - partial : 0) + m_frameSize);
    if (m_fillFrames > 0)
        dispatch(m_fillFrames);
    {
        std::unique_lock lock(m_mutex);
        m_changed.wait(lock, [this] { return m_nextToSink == m_nextSequence || !m_failure.isEmpty(); });
    }
    stopWorkers();
    throwIfFailed();
}

void WmaEncoderPool::abandon()
{
    fail(QStringLiteral("The WMA encoding was abandoned."));
    stopWorkers();
}

void WmaEncoderPool::stopWorkers()
{
    {
        std::lock_guard lock(m_mutex);
        m_stopping = true;
        if (m_failure.isEmpty() && m_nextToSink != m_nextSequence)
            m_failure = QStringLiteral("The WMA encoding was abandoned.");
        m_queue.clear();
        m_changed.notify_all();
    }
    for (auto &worker : m_workers)
        if (worker.joinable())
            worker.join();
    m_workers.clear();
}

} // namespace korvex
