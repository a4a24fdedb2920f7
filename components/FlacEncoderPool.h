#pragma once

#include "components/FfmpegSupport.h"
#include "components/FlacFrames.h"

#include <QString>
#include <condition_variable>
#include <deque>
#include <functional>
#include <map>
#include <mutex>
#include <thread>
#include <vector>

namespace korvex {

// Encodes FLAC on worker threads. FLAC's frames share no state, so the
// audio is cut into chunks of whole blocks and each worker encodes chunks
// with an encoder of its own; its frames are then numbered for their place
// in the stream (RenumberFlacFrame) and handed on in order. What a single
// encoder would have kept for the STREAMINFO block (frame sizes, sample
// count, the MD5 of the input) is kept here instead: streamInfo() once
// finish() has returned.
//
// push(), finish() and the sink run on the owner's thread; the owner also
// encodes a chunk itself when the workers are behind, rather than wait.
class FlacEncoderPool
{
public:
    // Opens one more encoder, set up as every other; may throw KorvexError.
    using EncoderFactory = std::function<CodecContextPtr()>;
    // Called with each packet in stream order, on the owner's thread; its
    // timestamps are in 1/sampleRate. It may throw KorvexError.
    using PacketSink = std::function<void(AVPacket *)>;

    FlacEncoderPool(const EncoderFactory &openEncoder, int workers, int blocksPerChunk, PacketSink sink);
    ~FlacEncoderPool();  // abandons what is not finished
    FlacEncoderPool(const FlacEncoderPool &) = delete;
    FlacEncoderPool &operator=(const FlacEncoderPool &) = delete;

    // Appends `frames` frames of interleaved samples in the encoders' sample
    // format (16-bit, or 32-bit holding 24); throws KorvexError when an
    // encoder or the sink failed.
    void push(const uint8_t *interleaved, int frames);
    // Encodes the rest (its last block may be short) and hands every packet
    // to the sink.
    void finish();
    // Stops the workers; nothing more reaches the sink.
    void abandon();

    int blockSize() const { return m_blockSize; }
    // The first encoder's STREAMINFO with what the stream written holds.
    QByteArray streamInfo() const;
    const FlacStreamFacts &facts() const { return m_facts; }

private:
    struct Chunk
    {
        qint64 index = 0;
        std::vector<uint8_t> samples;
        int frames = 0;
    };
    struct Result
    {
        std::vector<PacketPtr> packets;
        QString failure;
    };

    void dispatchFilled();
    void deliverReady(std::unique_lock<std::mutex> &lock);
    void deliver(Result &result);
    Result encodeChunk(AVCodecContext &encoder, AVFrame &frame, const Chunk &chunk) const;
    void workerLoop(AVCodecContext *encoder);
    void encodeOneQueuedLocked(std::unique_lock<std::mutex> &lock, AVCodecContext &encoder, AVFrame &frame);
    void stopWorkers();

    PacketSink m_sink;
    int m_blockSize = 0;
    int m_bytesPerFrame = 0;
    int m_chunkFrames = 0;
    QByteArray m_firstStreamInfo;
    size_t m_inFlightLimit = 0;

    // Owner thread only: the chunk being filled, the owner's encoder,
    // what the STREAMINFO will say.
    Chunk m_fill;
    qint64 m_chunksTaken = 0;
    CodecContextPtr m_ownerEncoder;
    FramePtr m_ownerFrame;
    FlacSampleMd5 m_md5;
    FlacStreamFacts m_facts;
    bool m_finished = false;

    // Guarded by m_mutex: chunks waiting, results waiting for their turn
    // (by index), how many chunks are out, the next index to deliver, the
    // stop flag.
    std::mutex m_mutex;
    std::condition_variable m_changed;
    std::deque<Chunk> m_queue;
    std::map<qint64, Result> m_ready;
    size_t m_outstanding = 0;
    qint64 m_nextToDeliver = 0;
    bool m_stopping = false;

    std::vector<CodecContextPtr> m_workerEncoders;  // one per worker, touched only by it
    std::vector<std::thread> m_workers;
};

} // namespace korvex
