#pragma once

#include "components/Chapters.h"
#include "components/FfmpegSupport.h"
#include "components/OutputEncoding.h"
#include "components/OutputWriter.h"

#include <QString>
#include <memory>
#include <vector>

namespace korvex {

class SalvageSink;

// Writes one MP3, Ogg Vorbis, Opus, FLAC, AAC (.m4a) or WAV file through
// FFmpeg's encoders and muxers, in the codec's rate nearest the first input
// format and at most the channels it takes (EncoderRate, EncoderChannels);
// later input formats are converted to it. The file is written through a
// SalvageSink: when the disk refuses bytes, the file is cut back to its last
// whole packet and its header made to say so (EncodedSalvage).
class EncodedWriter : public OutputWriter
{
public:
    // Creates the file at once, with `chapters` as its markers where the
    // container holds any; throws KorvexError naming the path and the reason.
    EncodedWriter(const QString &path, const OutputEncoding &encoding, int inputRate, int inputChannels,
                  const QList<Chapter> &chapters = {});
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
    CodecContextPtr m_codec;
    OutputFormatPtr m_format;
    AVStream *m_stream = nullptr;
    std::unique_ptr<SalvageSink> m_sink;
    ResamplerPtr m_converter;
    AudioFifoPtr m_queue;        // converted samples waiting for a whole codec frame
    FramePtr m_frame;
    PacketPtr m_packet;
    std::vector<uint8_t *> m_planes;  // the converter's output, grown as needed
    int m_planeFrames = 0;
    int m_frameSize = 0;
    qint64 m_nextPts = 0;
    std::vector<qint64> m_packetEnds;  // file offsets where whole packets end
    int m_inputRate = 0;
    int m_inputChannels = 0;
    qint64 m_inputFrames = 0;
    bool m_finished = false;
    QString m_failure;
};

} // namespace korvex
