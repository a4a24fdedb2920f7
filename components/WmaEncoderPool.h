#pragma once

#include "components/FfmpegSupport.h"
#include "components/WmaProfiles.h"

#include <QList>
#include <QString>
#include <atomic>
#include <condition_variable>
#include <deque>
#include <functional>
#include <map>
#include <mutex>
#include <optional>
#include <thread>
#include <vector>

namespace korvex {

// Encodes float audio at a profile's rate and channels into wmav2 packets,
// on worker threads. The audio is cut into chunks of whole codec frames;
// each chunk after the first is encoded after one frame of what precedes
// it, whose packet is dropped. wmav2 keeps no state between frames but the
// overlap of its transform, so the packets are the very ones one encoder
// would make in a single pass, and the file gets them in order.
//
// Chunks do not copy the audio: they refer to ranges of the pushed blocks,
// which each encoder splits into its own codec frame as it goes. So every
// sample is read once by the thread that encodes it and written into memory
// that thread keeps in its cache.
class WmaEncoderPool
{
public:
    // Called with each packet in stream order, never two at a time; its
    // timestamps are in 1/sampleRate. It may throw KorvexError.
    using PacketSink = std::function<void(AVPacket *)>;

    // With `ownerEncodes` the owner thread encodes too whenever the workers
    // are behind, instead of waiting for them.
    WmaEncoderPool(const WmaProfile &profile, int workers, int chunkFrames, bool ownerEncodes, PacketSink sink);
    ~WmaEncoderPool();
    WmaEncoderPool(const WmaEncoderPool &) = delete;
    WmaEncoderPool &operator=(const WmaEncoderPool &) = delete;

    // Parameters of the stream as the encoder set them up (extradata, block
    // alignment, the bitrate it really codes at); read before the first push.
    const AVCodecContext &encoder() const { return *m_owner.context; }
    int frameSize() const { return m_frameSize; }
    int channels() const { return m_channels; }

    // Appends `frames` frames of interleaved samples in the encoder's channel
    // count, from `offset` frames into `samples`, which is shared, not
    // copied: whoever holds `samples` may not change it in place (a QList
    // detaches first). They are clipped to full scale on their way into the
    // codec frames (louder samples are what makes wmav2 give up at low
    // bitrates; what is not a number at all becomes silence).
    void pushInterleaved(const QList<float> &samples, qint64 offset, qint64 frames);
    void pushSilence(qint64 frames);
    // Pads the last frame with silence and one frame more so the decoder
    // puts out every pushed sample, encodes everything and waits for it.
    void finish();
    // Stops the workers without finishing; nothing more reaches the sink.
    void abandon();
    qint64 framesPushed() const { return m_pushed; }
    // How often an idle encoder took over half of another's chunk; read
    // after finish().
    qint64 cuts() const { return m_cuts; }

private:
    // A range of pushed frames; no samples stand for silence.
    struct Span
    {
        QList<float> samples;
        qint64 offset = 0;
        qint64 frames = 0;
    };
    using Spans = std::vector<Span>;
    // Positions count codec frames from the start of the stream.
    struct Chunk
    {
        qint64 start = 0;          // position of its first frame
        qint64 frames = 0;         // codec frames, the priming one included
        bool primed = false;       // the first frame only sets up the overlap
        Spans spans;               // frames * frameSize frames of audio
        qint64 first() const { return start + (primed ? 1 : 0); }
    };
    struct Result
    {
        qint64 first = 0;
        qint64 end = 0;            // position after the last frame it covers
        std::vector<PacketPtr> packets;
    };
    // One encoding thread's codec and the frame it fills for it.
    struct Encoder
    {
        CodecContextPtr context;
        FramePtr frame;
        qint64 codedTo = -1;       // position after the frame it coded last, if known
    };
    // A chunk being encoded. Its encoder claims the frames one at a time; an
    // encoder with nothing else to do may cut off the second half of what is
    // left and encode that itself, primed with the frame before the cut.
    class Claim
    {
    public:
        explicit Claim(const Chunk &chunk);
        const Chunk &chunk() const { return m_chunk; }
        qint64 framesLeft() const;
        std::optional<qint64> next();    // the frame to encode now, if any is left
        qint64 end() const;              // the end of this encoder's share
        std::optional<qint64> cutInHalf(qint64 smallestHalf);  // the cut, if there is enough left

    private:
        static constexpr uint64_t Low = 0xffffffffu;
        const Chunk &m_chunk;
        std::atomic<uint64_t> m_span;  // next frame << 32 | end
    };

    CodecContextPtr openEncoder() const;
    FramePtr newCodecFrame() const;
    void append(Span span);
    qint64 framesFilled() const;
    qint64 chunkTarget() const;
    Chunk takeChunk(qint64 frames);
    void dispatch(Chunk chunk);
    bool workersKeptBusyLocked(const Chunk &chunk) const;
    void queueTail();
    int encoders() const;
    void encodeAndDeliver(Encoder &encoder, Chunk chunk);
    std::optional<Chunk> takeWorkLocked();
    std::optional<Chunk> stealLocked();
    void drainQueue();
    void workerLoop();
    void fillFrame(const Chunk &chunk, qint64 index, AVFrame &frame) const;
    void prefetchFrame(const Chunk &chunk, qint64 index) const;
    Result encodeChunk(Encoder &encoder, const Chunk &chunk, Claim &claim);
    void encodeQuieter(CodecContextPtr &encoder, const Chunk &chunk, qint64 index, std::vector<PacketPtr> *packets);
    FramePtr quieterFrame(const Chunk &chunk, qint64 index, float gain) const;
    void deliver(Result result);
    void giveBack(Spans spans);
    void releaseGivenBack();
    void fail(const QString &text);
    void failLocked(const QString &text);
    void throwIfFailed();
    void stopWorkers();

    static constexpr qint64 FirstChunkFrames = 16;
    // Each cut costs one frame encoded twice: only halves this long are cut off.
    static constexpr qint64 SmallestStolenHalf = 8;

    const WmaProfile m_profile;
    // Owner thread only: sets up the stream, then encodes the chunks the
    // owner takes on (a frame the codec cannot fit may replace it).
    Encoder m_owner;
    AVChannelLayout m_layout{};  // the frames' layout; read by every thread, never changed
    PacketSink m_sink;
    const bool m_ownerEncodes;
    int m_frameSize = 0;
    int m_channels = 0;
    qint64 m_chunkFrames = 0;  // codec frames per chunk, the priming one left out
    qint64 m_pushed = 0;

    // Owner thread only: the audio of the chunk being filled, from the last
    // frame of the previous chunk on, which primes it.
    Spans m_fill;
    qint64 m_fillFrames = 0;   // audio frames in m_fill
    qint64 m_fillStart = 0;    // position of its first codec frame
    bool m_fillPrimed = false;
    qint64 m_chunksTaken = 0;
    qint64 m_handedOutTo = 0;  // position after the last frame in a chunk

    // Guarded by m_mutex: the queue of chunks, the chunks being encoded, the
    // results waiting for their turn (by position), the next position to
    // sink, the failure text and the stop flag.
    std::mutex m_mutex;
    std::condition_variable m_changed;
    std::deque<Chunk> m_queue;
    std::vector<Claim *> m_busy;
    std::map<qint64, Result> m_ready;
    qint64 m_nextToSink = 0;
    bool m_sinking = false;    // one encoder at a time hands packets to m_sink
    QString m_failure;
    bool m_stopping = false;
    size_t m_queueLimit = 2;
    qint64 m_cuts = 0;

    // Guarded by m_givenBackMutex: the audio of the chunks encoded since the
    // owner last looked. The owner lets go of it, so the blocks are shared
    // and freed on one thread only (see BlockRecycler).
    std::mutex m_givenBackMutex;
    Spans m_givenBack;

    std::vector<std::thread> m_workers;
};

} // namespace korvex
