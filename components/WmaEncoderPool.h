#pragma once

#include "components/FfmpegSupport.h"
#include "components/WmaProfiles.h"

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

// Encodes planar float audio at a profile's rate and channels into wmav2
// packets, on worker threads. The audio is cut into chunks of whole codec
// frames; each chunk after the first is encoded after one frame of what
// precedes it, whose packet is dropped. wmav2 keeps no state between frames
// but the overlap of its transform, so the packets are the very ones one
// encoder would make in a single pass, and the file gets them in order.
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
    const AVCodecContext &encoder() const { return *m_reference; }
    int frameSize() const { return m_frameSize; }
    int channels() const { return m_channels; }

    // Appends `frames` samples per channel, clipped to full scale (louder
    // samples are what makes wmav2 give up at low bitrates; what is not a
    // number at all becomes silence).
    void push(const float *const *planes, qint64 frames);
    // The same from interleaved samples in the encoder's channel count: they
    // are split into planes on the way into the codec frames.
    void pushInterleaved(const float *samples, qint64 frames);
    void pushSilence(qint64 frames);
    // Pads the last frame with silence and one frame more so the decoder
    // puts out every pushed sample, encodes everything and waits for it.
    void finish();
    // Stops the workers without finishing; nothing more reaches the sink.
    void abandon();
    qint64 framesPushed() const { return m_pushed; }

private:
    // Codec frames are filled once, straight from the pushed samples, and
    // handed to the encoder as they are; the frame that primes the next chunk
    // is shared, not copied. Positions count codec frames from the start of
    // the stream.
    struct Chunk
    {
        qint64 first = 0;          // position of the first frame whose packet is kept
        bool primed = false;       // the first frame only sets up the overlap
        std::vector<FramePtr> frames;
    };
    struct Result
    {
        qint64 first = 0;
        qint64 end = 0;            // position after the last frame it covers
        std::vector<PacketPtr> packets;
    };
    // A chunk being encoded. Its encoder claims the frames one at a time; an
    // encoder with nothing else to do may cut off the second half of what is
    // left and encode that itself, primed with the frame before the cut.
    class Claim
    {
    public:
        explicit Claim(Chunk &chunk);
        Chunk &chunk() const { return m_chunk; }
        qint64 framesLeft() const;
        std::optional<qint64> next();   // the frame to encode now, if any is left
        qint64 end() const;              // how many frames remain this encoder's
        std::optional<qint64> cutInHalf(qint64 smallestHalf);  // the cut, if there is enough left

    private:
        static constexpr uint64_t Low = 0xffffffffu;
        Chunk &m_chunk;
        std::atomic<uint64_t> m_span;  // next frame << 32 | end
    };
    CodecContextPtr openEncoder() const;
    FramePtr newFrame(qint64 index);
    FramePtr takeSpareFrame();
    void recycle(std::vector<FramePtr> frames);
    template<typename CopyInto>
    void append(qint64 frames, CopyInto copyInto);
    qint64 framesFilled() const;
    void completeFrame();
    qint64 chunkTarget() const;
    Chunk takeChunk(size_t count);
    void dispatch(size_t count);
    bool workersKeptBusyLocked(const Chunk &chunk) const;
    void queueTail();
    int encoders() const;
    void encodeAndDeliver(CodecContextPtr &encoder, Chunk chunk);
    std::optional<Chunk> takeWorkLocked();
    std::optional<Chunk> stealLocked();
    void drainQueue();
    void workerLoop();
    Result encodeChunk(CodecContextPtr &encoder, const Chunk &chunk, Claim &claim);
    void encodeQuieter(CodecContextPtr &encoder, const Chunk &chunk, qint64 index, std::vector<PacketPtr> *packets);
    FramePtr quieterCopy(const AVFrame &frame, float gain);
    void deliver(Result result);
    void fail(const QString &text);
    void throwIfFailed();
    void stopWorkers();

    static constexpr qint64 FirstChunkFrames = 16;
    // Each cut costs one frame encoded twice: only halves this long are cut off.
    static constexpr qint64 SmallestStolenHalf = 8;

    const WmaProfile m_profile;
    // Owner thread only: sets up the stream, then encodes the chunks the
    // owner takes on (a chunk the encoder cannot fit may replace it).
    CodecContextPtr m_reference;
    AVChannelLayout m_layout{};  // the frames' layout; read by every thread, never changed
    // Plane buffers of the codec frames, shared with every other pool of
    // the process that writes frames of this size: memory that is already
    // mapped and likely still cached. AVBufferPool is thread-safe.
    AVBufferPool *m_planes = nullptr;
    PacketSink m_sink;
    const bool m_ownerEncodes;
    int m_frameSize = 0;
    int m_channels = 0;
    qint64 m_chunkFrames = 0;  // codec frames per chunk, the priming one left out
    qint64 m_pushed = 0;

    // Owner thread only: the frames of the chunk being filled (after the
    // last frame of the previous chunk, which primes it), the frame being
    // filled and how many samples it holds.
    std::vector<FramePtr> m_fill;
    bool m_fillPrimed = false;
    FramePtr m_current;
    int m_currentSamples = 0;
    qint64 m_nextFrameIndex = 0;
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
    bool m_sinking = false;    // one worker at a time hands packets to m_sink
    QString m_failure;
    bool m_stopping = false;
    size_t m_queueLimit = 2;

    // Guarded by m_spareMutex: filled frames the workers are done with, which
    // the owner fills again instead of allocating new ones.
    std::mutex m_spareMutex;
    std::deque<FramePtr> m_spare;
    size_t m_spareLimit = 0;

    std::vector<std::thread> m_workers;
};

} // namespace korvex
