#include "components/WmaEncoderPool.h"

#include "components/KorvexError.h"
#include "components/LogCategories.h"

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

// Every sample of every piece passes through these loops. With SSE the
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

// `count` frames of interleaved samples into the planes of a codec frame,
// from sample `at` on.
void clipAndSplit(AVFrame &frame, int channels, qint64 at, const float *in, qint64 count)
{
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
}

// The audio of another core is asked for while the current frame is being
// encoded, so the loads that fill the next one do not wait for it; and it
// is not kept in this core's outer caches, where the owner, filling the
// block again later, would have to take it back from.
void prefetchRange(const float *from, qint64 count)
{
    constexpr qint64 LineFloats = 64 / sizeof(float);
    for (qint64 at = 0; at < count; at += LineFloats)
        __builtin_prefetch(from + at, 0, 0);
}

} // namespace

WmaEncoderPool::Claim::Claim(const Chunk &chunk) : m_chunk(chunk), m_span(static_cast<uint64_t>(chunk.frames))
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

namespace {

// Calls visit(span, offset, count, at) for each part of `spans` that holds
// audio frames [from, from + count): `count` frames from `offset` on in the
// span's samples, `at` frames after `from`.
template<typename Span, typename Visit>
void forEachPart(const std::vector<Span> &spans, qint64 from, qint64 count, Visit visit)
{
    qint64 at = 0;
    for (const Span &span : spans) {
        if (count <= 0)
            break;
        if (from >= span.frames) {
            from -= span.frames;
            continue;
        }
        const qint64 take = std::min(span.frames - from, count);
        visit(span, span.offset + from, take, at);
        at += take;
        count -= take;
        from = 0;
    }
}

// The ranges of `spans` that hold audio frames [from, from + count).
template<typename Span>
std::vector<Span> sliceOf(const std::vector<Span> &spans, qint64 from, qint64 count)
{
    std::vector<Span> slice;
    forEachPart(spans, from, count, [&slice](const Span &span, qint64 offset, qint64 frames, qint64) {
        slice.push_back(Span{span.samples, offset, frames});
    });
    return slice;
}

} // namespace

WmaEncoderPool::WmaEncoderPool(const WmaProfile &profile, int workers, int chunkFrames, bool ownerEncodes,
                               PacketSink sink)
    : m_profile(profile), m_sink(std::move(sink)), m_ownerEncodes(ownerEncodes)
{
    m_owner.context = openEncoder();
    m_frameSize = m_owner.context->frame_size;
    m_channels = m_owner.context->ch_layout.nb_channels;
    av_channel_layout_copy(&m_layout, &m_owner.context->ch_layout);
    if (m_channels > AV_NUM_DATA_POINTERS)
        throw KorvexError(QStringLiteral("The WMA encoder cannot take %1 channels.").arg(m_channels));
    m_owner.frame = newCodecFrame();
    m_chunkFrames = std::max(chunkFrames, 2);
    workers = std::max(workers, 1);
    // One chunk waiting per worker keeps them busy: the decoder outruns them.
    // An owner that encodes too keeps one more in hand for when it is not
    // sure the workers will stay busy while it encodes.
    m_queueLimit = static_cast<size_t>(workers) + (m_ownerEncodes ? 1 : 0);
    try {
        for (int i = 0; i < workers; ++i)
            m_workers.emplace_back([this] { workerLoop(); });
    } catch (const std::system_error &error) {
        // The workers already started must be joined before they are destroyed.
        stopWorkers();
        throw KorvexError(QStringLiteral("Unable to start the WMA encoder's threads: %1.")
                              .arg(QString::fromLocal8Bit(error.what())));
    }
    qCDebug(lcEncode, "profile %d (%s): %d workers%s, chunks of %lld codec frames of %d samples",
            m_profile.number, m_profile.name, workers, m_ownerEncodes ? " and the owner" : "",
            static_cast<long long>(m_chunkFrames), m_frameSize);
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

// A codec frame for one encoding thread, filled again for every frame it
// encodes.
FramePtr WmaEncoderPool::newCodecFrame() const
{
    FramePtr frame = makeFrame();
    frame->nb_samples = m_frameSize;
    frame->format = AV_SAMPLE_FMT_FLTP;
    frame->sample_rate = m_profile.sampleRate;
    if (av_channel_layout_copy(&frame->ch_layout, &m_layout) < 0 || av_frame_get_buffer(frame.get(), 0) < 0)
        throw KorvexError(QStringLiteral("Out of memory while encoding WMA."));
    return frame;
}

void WmaEncoderPool::append(Span span)
{
    throwIfFailed();
    releaseGivenBack();
    m_pushed += span.frames;
    m_fillFrames += span.frames;
    m_fill.push_back(std::move(span));
    while (framesFilled() >= chunkTarget())
        dispatch(takeChunk(chunkTarget()));
}

void WmaEncoderPool::pushInterleaved(const QList<float> &samples, qint64 offset, qint64 frames)
{
    if (frames <= 0)
        return;
    if (offset < 0 || (offset + frames) * m_channels > samples.size())
        throw KorvexError(QStringLiteral("A block of audio is shorter than it says."));
    append(Span{samples, offset, frames});
}

void WmaEncoderPool::pushSilence(qint64 frames)
{
    if (frames > 0)
        append(Span{{}, 0, frames});
}

// Whole codec frames filled since the priming one.
qint64 WmaEncoderPool::framesFilled() const
{
    return m_fillFrames / m_frameSize - (m_fillPrimed ? 1 : 0);
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

// Takes the next `frames` codec frames of what is filled (after the priming
// one) as a chunk; its last frame stays behind, shared, to prime what
// follows.
WmaEncoderPool::Chunk WmaEncoderPool::takeChunk(qint64 frames)
{
    Chunk chunk;
    chunk.start = m_fillStart;
    chunk.primed = m_fillPrimed;
    chunk.frames = frames + (m_fillPrimed ? 1 : 0);
    const qint64 audio = chunk.frames * m_frameSize;
    chunk.spans = sliceOf(m_fill, 0, audio);
    Spans rest = sliceOf(m_fill, audio - m_frameSize, m_fillFrames - audio + m_frameSize);
    m_fill = std::move(rest);
    m_fillFrames -= audio - m_frameSize;
    m_fillStart = chunk.start + chunk.frames - 1;
    m_fillPrimed = true;
    m_handedOutTo = chunk.start + chunk.frames;
    ++m_chunksTaken;
    return chunk;
}

// Hands a chunk to the workers, or encodes it on the spot when the workers
// are behind.
void WmaEncoderPool::dispatch(Chunk chunk)
{
    std::unique_lock lock(m_mutex);
    if (m_ownerEncodes && m_failure.isEmpty() && workersKeptBusyLocked(chunk)) {
        // Rather than wait, the owner encodes the chunk it has just filled,
        // still in its own cache, and what waits in the queue stays there
        // for the next free worker.
        lock.unlock();
        encodeAndDeliver(m_owner, std::move(chunk));
        return;
    }
    m_changed.wait(lock, [this] { return m_queue.size() < m_queueLimit || !m_failure.isEmpty(); });
    if (!m_failure.isEmpty())
        return;
    m_queue.push_back(std::move(chunk));
    m_changed.notify_all();
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
        backlog += queued.frames;
    return backlog * 3 >= chunk.frames * 4;
}

int WmaEncoderPool::encoders() const
{
    return static_cast<int>(m_workers.size()) + (m_ownerEncodes ? 1 : 0);
}

// Encodes a chunk on the calling thread and passes its packets on in turn;
// a failure goes to the owner as every worker's does. While it is encoded,
// an idle encoder may take the second half of what is left of it.
void WmaEncoderPool::encodeAndDeliver(Encoder &encoder, Chunk chunk)
{
    Claim claim(chunk);
    {
        std::lock_guard lock(m_mutex);
        m_busy.push_back(&claim);
        m_changed.notify_all();
    }
    try {
        if (!encoder.context) {
            encoder.context = openEncoder();
            encoder.codedTo = -1;
        }
        deliver(encodeChunk(encoder, chunk, claim));
    } catch (const std::exception &error) {
        // Nothing may escape a worker thread: the owner hears of it instead.
        fail(QString::fromUtf8(error.what()));
    }
    {
        std::lock_guard lock(m_mutex);
        std::erase(m_busy, &claim);
    }
    giveBack(std::move(chunk.spans));
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
    // The spans are shared with the chunk being encoded, which stays
    // whole until it leaves m_busy under the same lock.
    const Chunk &from = busiest->chunk();
    Chunk stolen;
    stolen.start = from.start + *cut - 1;
    stolen.primed = true;
    stolen.frames = from.frames - *cut + 1;
    stolen.spans = sliceOf(from.spans, (*cut - 1) * m_frameSize, stolen.frames * m_frameSize);
    ++m_cuts;
    return stolen;
}

void WmaEncoderPool::workerLoop()
{
    Encoder encoder;
    try {
        encoder.context = openEncoder();
        encoder.frame = newCodecFrame();
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
                } catch (const std::exception &error) {
                    failLocked(QString::fromUtf8(error.what()));
                }
                if (chunk)
                    break;
                m_changed.wait(lock);
            }
        }
        encodeAndDeliver(encoder, std::move(*chunk));
    }
}

// Splits codec frame `index` of the chunk into the planes of `frame`.
void WmaEncoderPool::fillFrame(const Chunk &chunk, qint64 index, AVFrame &frame) const
{
    // The encoder lets go of a frame once it has coded it; should it ever
    // keep one, the frame gets planes of its own instead of changing those.
    if (av_frame_make_writable(&frame) < 0)
        throw KorvexError(QStringLiteral("Out of memory while encoding WMA."));
    const int channels = m_channels;
    forEachPart(chunk.spans, index * m_frameSize, m_frameSize,
                [&frame, channels](const Span &span, qint64 offset, qint64 count, qint64 at) {
                    if (span.samples.isEmpty()) {
                        for (int c = 0; c < channels; ++c)
                            std::fill_n(planeOf(frame, c) + at, count, 0.0f);
                    } else {
                        clipAndSplit(frame, channels, at, span.samples.constData() + offset * channels, count);
                    }
                });
    frame.pts = (chunk.start + index) * m_frameSize;
}

void WmaEncoderPool::prefetchFrame(const Chunk &chunk, qint64 index) const
{
    const int channels = m_channels;
    forEachPart(chunk.spans, index * m_frameSize, m_frameSize,
                [channels](const Span &span, qint64 offset, qint64 count, qint64) {
                    if (!span.samples.isEmpty())
                        prefetchRange(span.samples.constData() + offset * channels, count * channels);
                });
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

// An encoder whose last frame was the one that primes the chunk has its
// overlap set up already (it depends on that frame alone) and goes straight
// on: a worker often takes the chunk that follows its last.
WmaEncoderPool::Result WmaEncoderPool::encodeChunk(Encoder &encoder, const Chunk &chunk, Claim &claim)
{
    Result result;
    result.first = chunk.first();
    result.packets.reserve(static_cast<size_t>(chunk.frames));
    while (const std::optional<qint64> next = claim.next()) {
        const qint64 f = *next;
        const bool priming = chunk.primed && f == 0;
        if (priming && encoder.codedTo == chunk.start + 1)
            continue;
        AVFrame &frame = *encoder.frame;
        fillFrame(chunk, f, frame);
        if (f + 1 < chunk.frames)
            prefetchFrame(chunk, f + 1);
        std::vector<PacketPtr> *packets = priming ? nullptr : &result.packets;
        encoder.codedTo = -1;
        if (!encodeFrame(*encoder.context, frame, packets)) {
            encodeQuieter(encoder.context, chunk, f, packets);
            continue;
        }
        encoder.codedTo = chunk.start + f + 1;
    }
    result.end = chunk.start + claim.end();
    return result;
}

FramePtr WmaEncoderPool::quieterFrame(const Chunk &chunk, qint64 index, float gain) const
{
    FramePtr frame = newCodecFrame();
    fillFrame(chunk, index, *frame);
    for (int c = 0; c < m_channels; ++c) {
        float *plane = planeOf(*frame, c);
        for (int i = 0; i < m_frameSize; ++i)
            plane[i] *= gain;
    }
    return frame;
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
            FramePtr previous = quieterFrame(chunk, index - 1, gain);
            if (!encodeFrame(*encoder, *previous, nullptr))
                continue;
        }
        FramePtr frame = quieterFrame(chunk, index, gain);
        if (encodeFrame(*encoder, *frame, packets)) {
            qCInfo(lcEncode, "codec frame %lld did not fit %d bits per second: encoded at %g of its level",
                   static_cast<long long>(chunk.start + index), m_profile.bitRate, double(gain));
            return;
        }
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
        if (!failure.isEmpty())
            failLocked(failure);
        m_changed.notify_all();
    }
}

void WmaEncoderPool::giveBack(Spans spans)
{
    std::lock_guard lock(m_givenBackMutex);
    std::move(spans.begin(), spans.end(), std::back_inserter(m_givenBack));
}

// Owner thread: lets go of the audio the encoders are done with.
void WmaEncoderPool::releaseGivenBack()
{
    Spans released;
    {
        std::lock_guard lock(m_givenBackMutex);
        released.swap(m_givenBack);
    }
}

void WmaEncoderPool::fail(const QString &text)
{
    std::lock_guard lock(m_mutex);
    failLocked(text);
}

// The first failure is the one the owner hears of; later ones follow from it.
void WmaEncoderPool::failLocked(const QString &text)
{
    if (m_failure.isEmpty()) {
        m_failure = text;
        qCWarning(lcEncode) << "encoding failed:" << text;
    }
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
    pushSilence((partial > 0 ? m_frameSize - partial : 0) + m_frameSize);
    queueTail();
    drainQueue();
    stopWorkers();
    throwIfFailed();
    qCDebug(lcEncode, "finished: %lld codec frames, %lld times an idle encoder took half a busy one's chunk",
            static_cast<long long>(m_handedOutTo), static_cast<long long>(m_cuts));
}

// Nothing is filled any more, so the rest goes to the queue past its limit;
// whoever comes free first takes it, and the others share it by cutting.
void WmaEncoderPool::queueTail()
{
    if (framesFilled() <= 0)
        return;
    Chunk tail = takeChunk(framesFilled());
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
                encodeAndDeliver(m_owner, std::move(*chunk));
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
    releaseGivenBack();
}

} // namespace korvex
