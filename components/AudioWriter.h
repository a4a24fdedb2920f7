#pragma once

#include "components/BlockRecycler.h"
#include "components/Chapters.h"
#include "components/FfmpegSupport.h"
#include "components/OutputWriter.h"
#include "components/SampleArray.h"
#include "components/WmaProfiles.h"

#include <QString>
#include <memory>
#include <vector>

namespace korvex {

class SalvageSink;
class WmaEncoderPool;

// Writes one WMA file (ASF with wmav2) in a profile's rate and channels from
// blocks in the input format. Encoding runs on worker threads while the
// caller goes on decoding; blocks keep their order. A failure (a full disk,
// an encoder error) raises KorvexError and keeps what was written as a valid,
// closed WMA file that the error names as incomplete; a file that holds no
// audio yet is removed. Owner thread only.
class AudioWriter : public OutputWriter
{
public:
    struct Options
    {
        int workers = 0;        // 0: one per processor but the owner's, at most four
        // Codec frames per unit of work: each chunk encodes one frame more to
        // prime its encoder, so longer chunks waste less; the blocks a chunk
        // refers to are kept until it is encoded (about 2 MiB in stereo).
        int chunkFrames = 128;
        bool ownerEncodes = true;  // the caller's thread encodes too when the workers are behind
        QList<Chapter> chapters;   // written into the header as the file's markers
    };

    // Creates the file at once; throws KorvexError naming the path and the reason.
    AudioWriter(const QString &path, const WmaProfile &profile, int inputRate, int inputChannels,
                Options options);
    AudioWriter(const QString &path, const WmaProfile &profile, int inputRate, int inputChannels);
    ~AudioWriter() override;  // finishes the file if finish() was not called
    AudioWriter(const AudioWriter &) = delete;
    AudioWriter &operator=(const AudioWriter &) = delete;

    void setInputFormat(int sampleRate, int channels) override;
    void write(const SampleArray &block) override;
    void finish() override;

    qint64 inputFrames() const override { return m_inputFrames; }
    int inputRate() const override { return m_inputRate; }
    int inputChannels() const override { return m_inputChannels; }

private:
    // Blocks the encoders may still be reading: a chunk refers to about three.
    static constexpr size_t ConvertedBlocksKept = 16;

    void openOutput();
    void writePacket(AVPacket *packet);
    void pushConverted(const float *interleaved, qint64 frames);
    void flushConverter();
    void completeFile();
    [[noreturn]] void failAndSalvage(const QString &reason);
    void removePartialFile();

    QString m_path;
    WmaProfile m_profile;
    Options m_options;
    std::unique_ptr<WmaEncoderPool> m_pool;
    std::unique_ptr<SalvageSink> m_sink;
    OutputFormatPtr m_format;   // written by the worker that holds the sink, then by finish()
    AVStream *m_stream = nullptr;
    ResamplerPtr m_converter;   // none while the input is in the profile's format
    BlockRecycler m_converted{ConvertedBlocksKept};
    int m_inputRate = 0;
    int m_inputChannels = 0;
    qint64 m_inputFrames = 0;
    qint64 m_priming = 0;       // silent frames before the audio, which the decoder eats
    bool m_primed = false;
    bool m_finished = false;
    QString m_failure;
};

} // namespace korvex
