#include "components/WmaEncoderPool.h"

#include "components/KorvexError.h"

#include <algorithm>

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
        plane.reserve(static_cast<size_t>(m_chunkSamples + m_frameSize));
    workers = std::max(workers, 1);
    m_queueLimit = static_cast<size_t>(2 * workers);
    for (int i = 0; i < workers; ++i)
        m_workers.emplace_back([this] { workerLoop(); });
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
        const float *from = planes[c] + offset;
        for (qint64 i = 0; i < frames; ++i)
            plane.push_back(std::clamp(from[i], -1.0f, 1.0f));
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
        next.reserve(static_cast<size_t>(m_chunkSamples + m_frameSize));
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
    } catch (const KorvexError &error) {
        fail(error.text());
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
            deliver(chunk.sequence, encodeChunk(*encoder, chunk));
        } catch (const KorvexError &error) {
            fail(error.text());
        }
    }
}

WmaEncoderPool::Result WmaEncoderPool::encodeChunk(AVCodecContext &encoder, const Chunk &chunk)
{
    Result result;
    FramePtr frame = makeFrame();
    PacketPtr packet = makePacket();
    const size_t samples = chunk.planes.front().size();
    const qint64 frameCount = static_cast<qint64>(samples) / m_frameSize;
    for (qint64 f = 0; f < frameCount; ++f) {
        frame->nb_samples = m_frameSize;
        frame->format = AV_SAMPLE_FMT_FLTP;
        frame->sample_rate = m_profile.sampleRate;
        av_channel_layout_copy(&frame->ch_layout, &encoder.ch_layout);
        if (av_frame_get_buffer(frame.get(), 0) < 0)
            throw KorvexError(QStringLiteral("Out of memory while encoding WMA."));
        for (int c = 0; c < m_channels; ++c)
            std::copy_n(chunk.planes[static_cast<size_t>(c)].data() + f * m_frameSize, m_frameSize,
                        reinterpret_cast<float *>(frame->data[c]));
        frame->pts = (chunk.firstFrame + f) * m_frameSize;
        int status = avcodec_send_frame(&encoder, frame.get());
        av_frame_unref(frame.get());
        while (status >= 0) {
            status = avcodec_receive_packet(&encoder, packet.get());
            if (status >= 0 && !(chunk.primed && f == 0)) {
                PacketPtr kept = makePacket();
                av_packet_move_ref(kept.get(), packet.get());
                result.packets.push_back(std::move(kept));
            }
            av_packet_unref(packet.get());
        }
        if (status != AVERROR(EAGAIN))
            throw KorvexError(QStringLiteral("The WMA encoder failed: %1.").arg(ffmpegErrorText(status)));
    }
    return result;
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
        } catch (const KorvexError &error) {
            failure = error.text();
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
