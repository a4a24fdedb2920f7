#include "components/FlacEncoderPool.h"

#include "components/KorvexError.h"

#include <algorithm>
#include <cstring>

extern "C" {
#include <libavutil/samplefmt.h>
}

namespace korvex {

namespace {

// The STREAMINFO of an encoder is its extradata.
QByteArray extradataOf(const AVCodecContext &encoder)
{
    return QByteArray(reinterpret_cast<const char *>(encoder.extradata), encoder.extradata_size);
}

} // namespace

FlacEncoderPool::FlacEncoderPool(const EncoderFactory &openEncoder, int workers, int blocksPerChunk, PacketSink sink)
    : m_sink(std::move(sink)),
      m_ownerEncoder(openEncoder()),
      m_ownerFrame(makeFrame()),
      m_md5(m_ownerEncoder->sample_fmt == AV_SAMPLE_FMT_S32, m_ownerEncoder->bits_per_raw_sample)
{
    m_blockSize = m_ownerEncoder->frame_size;
    if (m_blockSize <= 0)
        throw KorvexError(QStringLiteral("The FLAC encoder did not say its block size."));
    m_bytesPerFrame = m_ownerEncoder->ch_layout.nb_channels * av_get_bytes_per_sample(m_ownerEncoder->sample_fmt);
    m_chunkFrames = m_blockSize * std::max(blocksPerChunk, 1);
    m_firstStreamInfo = extradataOf(*m_ownerEncoder);
    m_inFlightLimit = size_t(std::max(workers, 0)) * 2 + 2;
    m_fill.samples.reserve(size_t(m_chunkFrames) * size_t(m_bytesPerFrame));
    for (int i = 0; i < workers; ++i)
        m_workerEncoders.push_back(openEncoder());
    for (CodecContextPtr &encoder : m_workerEncoders)
        m_workers.emplace_back([this, context = encoder.get()] { workerLoop(context); });
}

FlacEncoderPool::~FlacEncoderPool()
{
    stopWorkers();
}

void FlacEncoderPool::push(const uint8_t *interleaved, int frames)
{
    if (m_finished)
        throw KorvexError(QStringLiteral("The FLAC encoder was handed audio after its end."));
    if (frames <= 0)
        return;
    m_md5.add(interleaved, qint64(frames) * m_ownerEncoder->ch_layout.nb_channels);
    m_facts.totalSamples += frames;
    while (frames > 0) {
        const int take = std::min(frames, m_chunkFrames - m_fill.frames);
        const size_t bytes = size_t(take) * size_t(m_bytesPerFrame);
        m_fill.samples.insert(m_fill.samples.end(), interleaved, interleaved + bytes);
        m_fill.frames += take;
        interleaved += bytes;
        frames -= take;
        if (m_fill.frames == m_chunkFrames)
            dispatchFilled();
    }
    std::unique_lock lock(m_mutex);
    deliverReady(lock);
}

void FlacEncoderPool::finish()
{
    if (m_finished)
        return;
    if (m_fill.frames > 0)
        dispatchFilled();
    {
        std::unique_lock lock(m_mutex);
        while (m_outstanding > 0) {
            deliverReady(lock);
            if (m_outstanding == 0)
                break;
            if (!m_queue.empty())
                encodeOneQueuedLocked(lock, *m_ownerEncoder, *m_ownerFrame);
            else
                m_changed.wait(lock);
        }
    }
    m_finished = true;
    m_facts.md5 = m_md5.result();
    stopWorkers();
}

void FlacEncoderPool::abandon()
{
    m_finished = true;
    stopWorkers();
}

QByteArray FlacEncoderPool::streamInfo() const
{
    return PatchedStreamInfo(m_firstStreamInfo, m_facts);
}

// Queues the chunk being filled. While as many chunks are out as the pool
// keeps, the owner hands on what is done and encodes a waiting chunk itself.
void FlacEncoderPool::dispatchFilled()
{
    Chunk chunk = std::move(m_fill);
    chunk.index = m_chunksTaken++;
    m_fill = Chunk{};
    m_fill.samples.reserve(size_t(m_chunkFrames) * size_t(m_bytesPerFrame));

    std::unique_lock lock(m_mutex);
    for (;;) {
        deliverReady(lock);
        if (m_outstanding < m_inFlightLimit)
            break;
        if (!m_queue.empty())
            encodeOneQueuedLocked(lock, *m_ownerEncoder, *m_ownerFrame);
        else
            m_changed.wait(lock);
    }
    m_queue.push_back(std::move(chunk));
    ++m_outstanding;
    m_changed.notify_all();
}

// Hands every result whose turn it is to the sink, outside the lock.
void FlacEncoderPool::deliverReady(std::unique_lock<std::mutex> &lock)
{
    for (auto next = m_ready.find(m_nextToDeliver); next != m_ready.end(); next = m_ready.find(m_nextToDeliver)) {
        Result result = std::move(next->second);
        m_ready.erase(next);
        ++m_nextToDeliver;
        --m_outstanding;
        lock.unlock();
        deliver(result);
        lock.lock();
    }
}

void FlacEncoderPool::deliver(Result &result)
{
    if (!result.failure.isEmpty())
        throw KorvexError(result.failure);
    for (PacketPtr &packet : result.packets) {
        const int size = packet->size;
        m_facts.minFrameBytes = m_facts.minFrameBytes == 0 ? size : std::min(m_facts.minFrameBytes, size);
        m_facts.maxFrameBytes = std::max(m_facts.maxFrameBytes, size);
        m_sink(packet.get());
    }
}

// On any thread, with an encoder only that thread uses: the chunk's frames,
// numbered for their place in the stream.
FlacEncoderPool::Result FlacEncoderPool::encodeChunk(AVCodecContext &encoder, AVFrame &frame,
                                                     const Chunk &chunk) const
{
    Result result;
    const qint64 firstSample = chunk.index * m_chunkFrames;
    for (int at = 0; at < chunk.frames; at += m_blockSize) {
        av_frame_unref(&frame);
        frame.nb_samples = std::min(m_blockSize, chunk.frames - at);
        frame.format = encoder.sample_fmt;
        frame.sample_rate = encoder.sample_rate;
        int status = av_channel_layout_copy(&frame.ch_layout, &encoder.ch_layout);
        if (status >= 0)
            status = av_frame_get_buffer(&frame, 0);
        if (status < 0) {
            result.failure = QStringLiteral("Out of memory while encoding FLAC.");
            return result;
        }
        std::memcpy(frame.data[0], chunk.samples.data() + size_t(at) * size_t(m_bytesPerFrame),
                    size_t(frame.nb_samples) * size_t(m_bytesPerFrame));
        frame.pts = firstSample + at;
        status = avcodec_send_frame(&encoder, &frame);
        for (;;) {
            PacketPtr packet = makePacket();
            if (status >= 0)
                status = avcodec_receive_packet(&encoder, packet.get());
            if (status < 0)
                break;
            if (!RenumberFlacFrame(*packet, packet->pts / m_blockSize)) {
                result.failure = QStringLiteral("The FLAC encoder made a frame that could not be numbered.");
                return result;
            }
            result.packets.push_back(std::move(packet));
        }
        if (status != AVERROR(EAGAIN)) {
            result.failure = QStringLiteral("The FLAC encoder failed: %1.").arg(ffmpegErrorText(status));
            return result;
        }
    }
    return result;
}

void FlacEncoderPool::workerLoop(AVCodecContext *encoder)
{
    FramePtr frame = makeFrame();
    std::unique_lock lock(m_mutex);
    for (;;) {
        m_changed.wait(lock, [this] { return !m_queue.empty() || m_stopping; });
        if (m_stopping)
            return;
        encodeOneQueuedLocked(lock, *encoder, *frame);
    }
}

// Takes the oldest waiting chunk and encodes it outside the lock.
void FlacEncoderPool::encodeOneQueuedLocked(std::unique_lock<std::mutex> &lock, AVCodecContext &encoder,
                                            AVFrame &frame)
{
    Chunk chunk = std::move(m_queue.front());
    m_queue.pop_front();
    lock.unlock();
    Result result = encodeChunk(encoder, frame, chunk);
    lock.lock();
    m_ready.emplace(chunk.index, std::move(result));
    m_changed.notify_all();
}

void FlacEncoderPool::stopWorkers()
{
    {
        std::lock_guard lock(m_mutex);
        m_stopping = true;
        m_queue.clear();
        m_changed.notify_all();
    }
    for (std::thread &worker : m_workers) {
        if (worker.joinable())
            worker.join();
    }
    m_workers.clear();
}

} // namespace korvex
