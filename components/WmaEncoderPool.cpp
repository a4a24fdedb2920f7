#include "components/WmaEncoderPool.h"

#include "components/KorvexError.h"

#include <algorithm>
#include <iterator>
#include <system_error>

#if defined(__SSE2__)
#include <immintrin.h>
#endif

namespace korvex {

namespace {

// Without branches, as every sample passes here: infinities and NaN give
// NaN when subtracted from themselves and become silence. The comparisons
// are written the way the processor's max and min instructions compare.
inline float fullScale(float sample)
{
    const float finite = sample - sample == 0.0f ? sample : 0.0f;
    const float floor = finite > -1.0f ? finite : -1.0f;
    return floor < 1.0f ? floor : 1.0f;
}

float *planeOf(AVFrame &frame, int channel)
{
    return reinterpret_cast<float *>(frame.data[channel]);
}

// Whole cache lines per plane, as FFmpeg's own frame buffers are laid out.
int planeBytes(int frameSize)
{
    constexpr int Line = 64;
    return (frameSize * static_cast<int>(sizeof(float)) + Line - 1) / Line * Line;
}

// One pool of plane buffers per size for the whole process: a split writes
// one file after another, and each piece finds the buffers of the last one
// mapped and warm instead of faulting in fresh memory. The pools keep what
// the busiest writer needed (about 10 MiB for stereo) until the program ends.
AVBufferPool *sharedPlanePool(int bytes)
{
    static std::mutex guard;
    static std::map<int, BufferPoolPtr> pools;
    std::lock_guard lock(guard);
    BufferPoolPtr &pool = pools[bytes];
    if (!pool)
        pool.reset(av_buffer_pool_init(static_cast<size_t>(bytes), nullptr));
    return pool.get();
}

// Every sample of every piece passes through these two loops. With SSE the
// processor's max and min do the clipping, four samples at a time; they
// agree with fullScale() sample for sample. Elsewhere `omp simd` lets the
// compiler vectorise the plain loop (-fopenmp-simd, no OpenMP runtime).
#if defined(__SSE2__)
inline __m128 fullScale4(__m128 samples)
{
    const __m128 finite = _mm_and_ps(samples, _mm_cmpeq_ps(_mm_sub_ps(samples, samples), _mm_setzero_ps()));
    return _mm_min_ps(_mm_max_ps(finite, _mm_set1_ps(-1.0f)), _mm_set1_ps(1.0f));
}
#endif

void clipInto(float *__restrict out, const float *__restrict in, qint64 count)
{
    qint64 i = 0;
#if defined(__SSE2__)
    for (; i + 4 <= count; i += 4)
        _mm_storeu_ps(out + i, fullScale4(_mm_loadu_ps(in + i)));
#endif
#pragma omp simd
    for (qint64 j = i; j < count; ++j)
        out[j] = fullScale(in[j]);
}

void clipAndSplitStereo(float *__restrict left, float *__restrict right, const float *__restrict in,
                        qint64 count)
{
    qint64 i = 0;
#if defined(__SSE2__)
    for (; i + 4 <= count; i += 4) {
        const __m128 first = fullScale4(_mm_loadu_ps(in + 2 * i));       // l0 r0 l1 r1
        const __m128 second = fullScale4(_mm_loadu_ps(in + 2 * i + 4));  // l2 r2 l3 r3
        _mm_storeu_ps(left + i, _mm_shuffle_ps(first, second, _MM_SHUFFLE(2, 0, 2, 0)));
        _mm_storeu_ps(right + i, _mm_shuffle_ps(first, second, _MM_SHUFFLE(3, 1, 3, 1)));
    }
#endif
#pragma omp simd
    for (qint64 j = i; j < count; ++j) {
        left[j] = fullScale(in[2 * j]);
        right[j] = fullScale(in[2 * j + 1]);
    }
}

// The planes of a frame another core wrote (or last read) are asked for
// while the current frame is busy, so the loads or stores that follow do not
// wait for the lines to come over.
void prefetchPlanes(const AVFrame &frame, int channels, int frameSize, bool forWriting)
{
    constexpr int Line = 64;
    const int bytes = frameSize * static_cast<int>(sizeof(float));
    for (int c = 0; c < channels; ++c)
        for (int at = 0; at < bytes; at += Line) {
            if (forWriting)
                __builtin_prefetch(frame.data[c] + at, 1, 3);
            else
                __builtin_prefetch(frame.data[c] + at, 0, 3);
        }
}

qint64 positionOf(const AVFrame &frame, int frameSize)
{
    return frame.pts / frameSize;
}

} // namespace

WmaEncoderPool::Claim::Claim(Chunk &chunk)
    : m_chunk(chunk), m_span(static_cast<uint64_t>(chunk.frames.size()))
{
}

qint64 WmaEncoderPool::Claim::framesLeft() const
{
    const uint64_t span = m_span.load();
    return static_cast<qint64>(span & Low) - static_cast<qint64>(span >> 32);
}

std::optional<qint64> WmaEncoderPool::Claim::next()
{
    uint64_t span = m_span.load();
    for (;;) {
        const uint64_t next = span >> 32;
        if (next >= (span & Low))
            return std::nullopt;
        if (m_span.compare_exchange_weak(span, ((next + 1) << 32) | (span & Low)))
            return static_cast<qint64>(next);
    }
}

qint64 WmaEncoderPool::Claim::end() const
{
    return static_cast<qint64>(m_span.load() & Low);
}

// Frames [cut, end) leave this encoder, which keeps at least `smallestHalf`
// of those not yet begun; frame cut - 1, shared, primes the encoder that
// takes them.
std::optional<qint64> WmaEncoderPool::Claim::cutInHalf(qint64 smallestHalf)
{
    const auto least = static_cast<uint64_t>(std::max<qint64>(smallestHalf, 1));
    uint64_t span = m_span.load();
    for (;;) {
        const uint64_t next = span >> 32;
        const uint64_t end = span & Low;
        if (end < next + 2 * least)
            return std::nullopt;
        const uint64_t cut = next + (end - next) / 2;
        if (m_span.compare_exchange_weak(span, (next << 32) | cut))
            return static_cast<qint64>(cut);
    }
}

WmaEncoderPool::WmaEncoderPool(const WmaProfile &profile, int workers, int chunkFrames, bool ownerEncodes,
                               PacketSink sink)
    : m_profile(profile), m_sink(std::move(sink)), m_ownerEncodes(ownerEncodes)
{
    m_reference = openEncoder();
    m_frameSize = m_reference->frame_size;
    m_channels = m_reference->ch_layout.nb_channels;
    av_channel_layout_copy(&m_layout, &m_reference->ch_layout);
    if (m_channels > AV_NUM_DATA_POINTERS)
        throw KorvexError(QStringLiteral("The WMA encoder cannot take %1 channels.").arg(m_channels));
    m_planes = sharedPlanePool(planeBytes(m_frameSize));
    if (!m_planes)
        throw KorvexError(QStringLiteral("Out of memory while setting up the WMA encoder."));
    m_chunkFrames = std::max(chunkFrames, 2);
    m_fill.reserve(static_cast<size_t>(m_chunkFrames + 1));
    workers = std::max(workers, 1);
    // One chunk waiting per worker keeps them busy: the decoder outruns them.
    // An owner that encodes too keeps one more in hand for when it is not
    // sure the workers will stay busy while it encodes.
    m_queueLimit = static_cast<size_t>(workers) + (m_ownerEncodes ? 1 : 0);
    // As many frames as can be on their way at once: the queue, one chunk per
    // worker and the chunk being filled.
    m_spareLimit = (m_queueLimit + static_cast<size_t>(workers) + 1) * static_cast<size_t>(m_chunkFrames + 1);
    try {
        for (int i = 0; i < workers; ++i)
            m_workers.emplace_back([this] { workerLoop(); });
    } catch (const std::system_error &error) {
        // The workers already started must be joined before they are destroyed.
        stopWorkers();
        throw KorvexError(QStringLiteral("Unable to start the WMA encoder's threads: %1.")
                              .arg(QString::fromLocal8Bit(error.what())));
    }
}

WmaEncoderPool::~WmaEncoderPool()
{
    stopWorkers();
    av_channel_layout_uninit(&m_layout);
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

FramePtr WmaEncoderPool::newFrame(qint64 index)
{
    if (FramePtr frame = takeSpareFrame()) {
        frame->pts = index * m_frameSize;
        return frame;
    }
    FramePtr frame = makeFrame();
    frame->nb_samples = m_frameSize;
    frame->format = AV_SAMPLE_FMT_FLTP;
    frame->sample_rate = m_profile.sampleRate;
    av_channel_layout_copy(&frame->ch_layout, &m_layout);
    frame->linesize[0] = planeBytes(m_frameSize);
    for (int c = 0; c < m_channels; ++c) {
        frame->buf[c] = av_buffer_pool_get(m_planes);
        if (!frame->buf[c])
            throw KorvexError(QStringLiteral("Out of memory while encoding WMA."));
        frame->data[c] = frame->buf[c]->data;
    }
    frame->extended_data = frame->data;
    frame->pts = index * m_frameSize;
    return frame;
}

FramePtr WmaEncoderPool::takeSpareFrame()
{
    std::lock_guard lock(m_spareMutex);
    if (m_spare.empty())
        return nullptr;
    // The longest-resting frame: its memory has left the cache of the worker
    // that encoded it, so filling it does not pull lines from the other core.
    FramePtr frame = std::move(m_spare.front());
    m_spare.pop_front();
    if (!m_spare.empty())
        prefetchPlanes(*m_spare.front(), m_channels, m_frameSize, true);
    return frame;
}

// Frames whose planes nobody else holds any more (the encoder has let go;
// a priming reference may still hold a chunk's last frame) are kept for the
// owner to fill again.
void WmaEncoderPool::recycle(std::vector<FramePtr> frames)
{
    std::lock_guard lock(m_spareMutex);
    for (FramePtr &frame : frames)
        if (m_spare.size() < m_spareLimit && av_frame_is_writable(frame.get()) > 0)
            m_spare.push_back(std::move(frame));
}

// Fills codec frames from the pushed samples: copyInto(frame, at, from,
// count) writes `count` samples of every channel, starting `from` frames
// into the pushed block, at sample `at` of the frame's planes.
template<typename CopyInto>
void WmaEncoderPool::append(qint64 frames, CopyInto copyInto)
{
    throwIfFailed();
    qint64 offset = 0;
    while (offset < frames) {
        if (!m_current)
            m_current = newFrame(m_nextFrameIndex++);
        const qint64 take = std::min<qint64>(m_frameSize - m_currentSamples, frames - offset);
        copyInto(*m_current, m_currentSamples, offset, take);
        m_currentSamples += static_cast<int>(take);
        offset += take;
        if (m_currentSamples == m_frameSize)
            completeFrame();
    }
    m_pushed += frames;
}

void WmaEncoderPool::push(const float *const *planes, qint64 frames)
{
    const int channels = m_channels;
    append(frames, [planes, channels](AVFrame &frame, qint64 at, qint64 from, qint64 count) {
        for (int c = 0; c < channels; ++c)
            clipInto(planeOf(frame, c) + at, planes[c] + from, count);
    });
}

void WmaEncoderPool::pushInterleaved(const float *samples, qint64 frames)
{
    const int channels = m_channels;
    append(frames, [samples, channels](AVFrame &frame, qint64 at, qint64 from, qint64 count) {
        const float *in = samples + from * channels;
        if (channels == 2) {
            clipAndSplitStereo(planeOf(frame, 0) + at, planeOf(frame, 1) + at, in, count);
            return;
        }
        if (channels == 1) {
            clipInto(planeOf(frame, 0) + at, in, count);
            return;
        }
        for (int c = 0; c < channels; ++c) {
            float *out = planeOf(frame, c) + at;
            for (qint64 i = 0; i < count; ++i)
                out[i] = fullScale(in[i * channels + c]);
        }
    });
}

void WmaEncoderPool::pushSilence(qint64 frames)
{
    const int channels = m_channels;
    append(frames, [channels](AVFrame &frame, qint64 at, qint64, qint64 count) {
        for (int c = 0; c < channels; ++c)
            std::fill_n(planeOf(frame, c) + at, count, 0.0f);
    });
}

qint64 WmaEncoderPool::framesFilled() const
{
    return static_cast<qint64>(m_fill.size()) - (m_fillPrimed ? 1 : 0);
}

void WmaEncoderPool::completeFrame()
{
    m_fill.push_back(std::move(m_current));
    m_currentSamples = 0;
    if (framesFilled() == chunkTarget())
        dispatch(m_fill.size());
}

// With several encoders the chunks of a file start short and double up to
// full length: a worker starts while the owner is still decoding the
// beginning, and each chunk is ready before the one before it is encoded
// (decoding a frame takes about a third of the time of encoding it).
qint64 WmaEncoderPool::chunkTarget() const
{
    if (encoders() < 2 || m_chunksTaken >= 8)
        return m_chunkFrames;
    return std::min(m_chunkFrames, FirstChunkFrames << m_chunksTaken);
}

// Hands the first `count` frames of the chunk being filled to the workers,
// or encodes them on the spot when the workers are behind.
void WmaEncoderPool::dispatch(size_t count)
{
    Chunk chunk = takeChunk(count);

    std::unique_lock lock(m_mutex);
    if (m_ownerEncodes && m_failure.isEmpty() && workersKeptBusyLocked(chunk)) {
        // The workers are behind: rather than wait, the owner encodes the
        // chunk it has just filled, still in its own cache, and what waits
        // in the queue stays there for the next free worker.
        lock.unlock();
        encodeAndDeliver(m_reference, std::move(chunk));
        return;
    }
    m_changed.wait(lock, [this] { return m_queue.size() < m_queueLimit || !m_failure.isEmpty(); });
    if (!m_failure.isEmpty())
        return;
    m_queue.push_back(std::move(chunk));
    m_changed.notify_all();
}

// Takes the first `count` frames of the chunk being filled (the priming one
// included) as a chunk; the last of them stays behind, shared, to prime
// what follows.
WmaEncoderPool::Chunk WmaEncoderPool::takeChunk(size_t count)
{
    Chunk chunk;
    ++m_chunksTaken;
    chunk.primed = m_fillPrimed;
    std::vector<FramePtr> rest(std::make_move_iterator(m_fill.begin() + static_cast<std::ptrdiff_t>(count)),
                               std::make_move_iterator(m_fill.end()));
    m_fill.resize(count);
    chunk.frames = std::move(m_fill);
    chunk.first = positionOf(*chunk.frames[chunk.primed ? 1 : 0], m_frameSize);
    m_handedOutTo = positionOf(*chunk.frames.back(), m_frameSize) + 1;
    m_fill.clear();
    m_fill.reserve(static_cast<size_t>(m_chunkFrames + 1));
    FramePtr priming = makeFrame();
    if (av_frame_ref(priming.get(), chunk.frames.back().get()) < 0)
        throw KorvexError(QStringLiteral("Out of memory while encoding WMA."));
    m_fill.push_back(std::move(priming));
    m_fillPrimed = true;
    std::move(rest.begin(), rest.end(), std::back_inserter(m_fill));
    return chunk;
}

// Whether what the workers have in hand lasts while the owner encodes
// `chunk` and then fills the next one (decoding takes about a third of the
// time of encoding); if not, the chunk is queued and they go on with it.
bool WmaEncoderPool::workersKeptBusyLocked(const Chunk &chunk) const
{
    if (m_queue.size() >= m_queueLimit)
        return true;
    qint64 backlog = 0;
    for (const Claim *claim : m_busy)
        backlog += claim->framesLeft();
    for (const Chunk &queued : m_queue)
        backlog += static_cast<qint64>(queued.frames.size());
    const auto frames = static_cast<qint64>(chunk.frames.size());
    return backlog * 3 >= frames * 4;
}

int WmaEncoderPool::encoders() const
{
    return static_cast<int>(m_workers.size()) + (m_ownerEncodes ? 1 : 0);
}

// Encodes a chunk on the calling thread and passes its packets on in turn;
// a failure goes to the owner as every worker's does. While it is encoded,
// an idle encoder may take the second half of what is left of it.
void WmaEncoderPool::encodeAndDeliver(CodecContextPtr &encoder, Chunk chunk)
{
    Claim claim(chunk);
    {
        std::lock_guard lock(m_mutex);
        m_busy.push_back(&claim);
        m_changed.notify_all();
    }
    try {
        if (!encoder)
            encoder = openEncoder();
        deliver(encodeChunk(encoder, chunk, claim));
    } catch (const std::exception &error) {
        // Nothing may escape a worker thread: the owner hears of it instead.
        fail(QString::fromUtf8(error.what()));
    }
    {
        std::lock_guard lock(m_mutex);
        std::erase(m_busy, &claim);
    }
    recycle(std::move(chunk.frames));
}

// The next chunk for an idle encoder: the queue's first, or else the second
// half of what is left of the busiest chunk.
std::optional<WmaEncoderPool::Chunk> WmaEncoderPool::takeWorkLocked()
{
    if (!m_queue.empty()) {
        Chunk chunk = std::move(m_queue.front());
        m_queue.pop_front();
        m_changed.notify_all();
        return chunk;
    }
    return stealLocked();
}

std::optional<WmaEncoderPool::Chunk> WmaEncoderPool::stealLocked()
{
    if (!m_failure.isEmpty())
        return std::nullopt;
    Claim *busiest = nullptr;
    for (Claim *claim : m_busy)
        if (!busiest || claim->framesLeft() > busiest->framesLeft())
            busiest = claim;
    if (!busiest)
        return std::nullopt;
    const std::optional<qint64> cut = busiest->cutInHalf(SmallestStolenHalf);
    if (!cut)
        return std::nullopt;
    // The frames are shared with the chunk being encoded, which lives until
    // it leaves m_busy under the same lock.
    const Chunk &from = busiest->chunk();
    Chunk stolen;
    stolen.primed = true;
    for (size_t f = static_cast<size_t>(*cut - 1); f < from.frames.size(); ++f) {
        FramePtr frame = makeFrame();
        if (av_frame_ref(frame.get(), from.frames[f].get()) < 0)
            throw KorvexError(QStringLiteral("Out of memory while encoding WMA."));
        stolen.frames.push_back(std::move(frame));
    }
    stolen.first = positionOf(*stolen.frames[1], m_frameSize);
    return stolen;
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
        std::optional<Chunk> chunk;
        {
            std::unique_lock lock(m_mutex);
            for (;;) {
                if (m_stopping)
                    return;
                try {
                    chunk = takeWorkLocked();
                } catch (const KorvexError &error) {
                    m_failure = m_failure.isEmpty() ? error.text() : m_failure;
                    m_changed.notify_all();
                }
                if (chunk)
                    break;
                m_changed.wait(lock);
            }
        }
        encodeAndDeliver(encoder, std::move(*chunk));
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
    // One packet to receive into, replaced only when one is kept.
    thread_local PacketPtr receiving;
    while (status >= 0) {
        if (!receiving)
            receiving = makePacket();
        status = avcodec_receive_packet(&encoder, receiving.get());
        if (status < 0)
            break;
        if (packets)
            packets->push_back(std::move(receiving));
        else
            av_packet_unref(receiving.get());
    }
    if (status != AVERROR(EAGAIN))
        throw KorvexError(QStringLiteral("The WMA encoder failed: %1.").arg(ffmpegErrorText(status)));
    return true;
}

} // namespace

FramePtr WmaEncoderPool::quieterCopy(const AVFrame &frame, float gain)
{
    FramePtr copy = newFrame(0);
    copy->pts = frame.pts;
    for (int c = 0; c < m_channels; ++c) {
        const auto *from = reinterpret_cast<const float *>(frame.data[c]);
        auto *to = reinterpret_cast<float *>(copy->data[c]);
        for (int i = 0; i < m_frameSize; ++i)
            to[i] = from[i] * gain;
    }
    return copy;
}

WmaEncoderPool::Result WmaEncoderPool::encodeChunk(CodecContextPtr &encoder, const Chunk &chunk, Claim &claim)
{
    Result result;
    result.first = chunk.first;
    const qint64 frameCount = static_cast<qint64>(chunk.frames.size());
    result.packets.reserve(static_cast<size_t>(frameCount));
    while (const std::optional<qint64> next = claim.next()) {
        const qint64 f = *next;
        if (f + 1 < frameCount)
            prefetchPlanes(*chunk.frames[static_cast<size_t>(f + 1)], m_channels, m_frameSize, false);
        const bool keep = !(chunk.primed && f == 0);
        std::vector<PacketPtr> *packets = keep ? &result.packets : nullptr;
        if (!encodeFrame(*encoder, *chunk.frames[static_cast<size_t>(f)], packets))
            encodeQuieter(encoder, chunk, f, packets);
    }
    result.end = positionOf(*chunk.frames[static_cast<size_t>(claim.end() - 1)], m_frameSize) + 1;
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
    for (float gain = 0.5f; gain >= 1.0f / 256; gain /= 2) {
        encoder = openEncoder();
        if (index > 0) {
            FramePtr previous = quieterCopy(*chunk.frames[static_cast<size_t>(index - 1)], gain);
            if (!encodeFrame(*encoder, *previous, nullptr))
                continue;
        }
        FramePtr frame = quieterCopy(*chunk.frames[static_cast<size_t>(index)], gain);
        if (encodeFrame(*encoder, *frame, packets))
            return;
    }
    throw KorvexError(QStringLiteral("The WMA encoder cannot code this audio at %1 bits per second.")
                          .arg(m_profile.bitRate));
}

// Stores a finished chunk; whichever encoder holds the next chunk in order
// passes on every chunk that is then ready.
void WmaEncoderPool::deliver(Result result)
{
    std::unique_lock lock(m_mutex);
    const qint64 first = result.first;
    m_ready.emplace(first, std::move(result));
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
        m_nextToSink = ready.end;
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
    pushSilence((m_currentSamples > 0 ? m_frameSize - m_currentSamples : 0) + m_frameSize);
    queueTail();
    drainQueue();
    stopWorkers();
    throwIfFailed();
}

// Nothing is filled any more, so the rest goes to the queue past its limit;
// whoever comes free first takes it, and the others share it by cutting.
void WmaEncoderPool::queueTail()
{
    if (framesFilled() <= 0)
        return;
    Chunk tail = takeChunk(m_fill.size());
    std::lock_guard lock(m_mutex);
    m_queue.push_back(std::move(tail));
    m_changed.notify_all();
}

// Waits until every chunk has reached the sink; meanwhile the owner, when
// it may, takes its share of what is still to encode.
void WmaEncoderPool::drainQueue()
{
    std::unique_lock lock(m_mutex);
    while (m_nextToSink != m_handedOutTo && m_failure.isEmpty()) {
        if (m_ownerEncodes) {
            if (std::optional<Chunk> chunk = takeWorkLocked()) {
                lock.unlock();
                encodeAndDeliver(m_reference, std::move(*chunk));
                lock.lock();
                continue;
            }
        }
        m_changed.wait(lock);
    }
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
        if (m_failure.isEmpty() && m_nextToSink != m_handedOutTo)
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
