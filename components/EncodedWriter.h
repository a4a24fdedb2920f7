#pragma once

#include "components/Chapters.h"
#include "components/EncodingThread.h"
#include "components/FfmpegSupport.h"
#include "components/OutputEncoding.h"
#include "components/OutputWriter.h"

#include <QString>
#include <memory>
#include <vector>

namespace korvex {

class FlacEncoderPool;
class SalvageSink;

// Writes one MP3, Ogg Vorbis, Opus, FLAC, AAC (.m4a) or WAV file through
// FFmpeg's encoders and muxers, in the codec's rate nearest the first input
// format and at most the channels it takes (EncoderRate, EncoderChannels);
// later input formats are converted to it. The file is written through a
// SalvageSink: when the disk refuses bytes, the file is cut back to its last
// whole packet and its header made to say so (EncodedSalvage).
//
// The blocks are converted, encoded and written on an EncodingThread while
// the caller reads the next ones; write() blocks while a few blocks wait,
// and a failure there is thrown from the next write() or finish(). FLAC,
// whose frames share no state, is encoded in chunks on a FlacEncoderPool
// besides, and its STREAMINFO written from what the pool counted.
class EncodedWriter : public OutputWriter
{
public:
    enum class Threading {
        OwnThread,  // conversion, codec and file on a thread of their own
        InCaller,   // all of it inside write() and finish()
    };

    // Creates the file at once, with `chapters` as its markers where the
    // container holds any; throws KorvexError naming the path and the reason.
    EncodedWriter(const QString &path, const OutputEncoding &encoding, int inputRate, int inputChannels,
                  const QList<Chapter> &chapters = {}, Threading threading = Threading::OwnThread);
    ~EncodedWriter() override;  // finishes the file if finish() was not called
    EncodedWriter(const EncodedWriter &) = delete;
    EncodedWriter &operator=(const EncodedWriter &) = delete;

    void setInputFormat(int sampleRate, int channels) override;
    void write(const SampleArray &block) override;
    void finish() override;

    qint64 inputFrames() const override { return m_inputFrames; }
    int inputRate() const override { return m_inputRate; }
    int inputChannels() const override { return m_inputChannels; }

private:
    void openOutput(int inputRate, int inputChannels);
    void openFlacPool(int inputRate, int inputChannels, bool globalHeader);
    void completeFlacStream();
    void encodeBlock(EncodingThread::Block &block);
    void convertFrom(int sampleRate, int channels);
    void freePlanes();
    void pushConverted(const float *interleaved, qint64 frames);
    void encodeQueued(bool last);
    void encodeFrame(AVFrame *frame);
    void writePacket(AVPacket *packet);
    void completeFile();
    [[noreturn]] void failAndSalvage(const QString &reason);
    void removePartialFile();
    QString failureText(int status) const;

    QString m_path;
    OutputEncoding m_encoding;
    QList<Chapter> m_chapters;

    // The encoding thread's while it runs, the owner's before it starts and
    // once it has ended: codec, file and conversion.
    CodecContextPtr m_codec;
    OutputFormatPtr m_format;
    AVStream *m_stream = nullptr;
    std::unique_ptr<SalvageSink> m_sink;
    ResamplerPtr m_converter;
    AudioFifoPtr m_queue;        // converted samples waiting for a whole codec frame
    std::unique_ptr<FlacEncoderPool> m_flacPool;  // FLAC only: takes the converted samples instead
    FramePtr m_frame;
    PacketPtr m_packet;
    std::vector<uint8_t *> m_planes;  // the converter's output, grown as needed
    int m_planeFrames = 0;
    int m_frameSize = 0;
    qint64 m_nextPts = 0;
    std::vector<qint64> m_packetEnds;  // file offsets where whole packets end
    int m_convertedRate = 0;           // the format m_converter takes
    int m_convertedChannels = 0;

    // The owner's alone.
    int m_inputRate = 0;
    int m_inputChannels = 0;
    qint64 m_inputFrames = 0;
    bool m_finished = false;
    QString m_failure;
    // Last, so it ends before anything its work touches goes.
    std::unique_ptr<EncodingThread> m_thread;
};

} // namespace korvex
