#pragma once

#include "components/BlockRecycler.h"
#include "components/FfmpegSupport.h"
#include "components/SampleArray.h"
#include "components/SourceScan.h"

#include <QString>
#include <functional>
#include <optional>
#include <vector>

namespace korvex {

// Decodes one source file with FFmpeg. Positions and counts are frames of the
// source; blocks come out as interleaved floats, converted to the data format
// when one is set. length() is exactly the number of frames read() delivers
// from the start to the end, so every position the callers compute from it
// exists. Not thread-safe: one owner thread.
class AudioReader
{
public:
    explicit AudioReader(const QString &path);  // throws KorvexError
    ~AudioReader();
    AudioReader(const AudioReader &) = delete;
    AudioReader &operator=(const AudioReader &) = delete;

    qint64 length() const { return m_length; }
    qint64 durationMs() const;
    int sampleRate() const { return m_sourceRate; }
    int channelCount() const { return m_sourceChannels; }
    qint64 position() const { return m_consumed; }

    // 0 for either value means "as the source has it".
    void setDataFormat(int sampleRate, int channels);
    // Consumes up to `frames` source frames and delivers them in the data
    // format; an empty array once the end is reached.
    SampleArray read(qint64 frames);
    // Frames at the end of the last block read that stand for audio the
    // source did not deliver before its measured end (it is damaged, or
    // shorter than it was): they are silence, so positions stay true.
    qint64 missingFrames() const { return m_missing; }
    // Sample-exact; a seek to the current position does nothing.
    void seek(qint64 frame);

private:
    void openInput();
    void lendSeekIndex();
    void findOrigin();
    bool decodeNextFrame();
    void acceptFrame();
    void convertToSource(qint64 skip, qint64 keep);
    void deliverConverted(qint64 keep, const std::function<int(float *)> &convert);
    std::optional<qint64> framePosition() const;
    void restartAt(qint64 frame);
    bool seekDemuxerTo(qint64 frame, qint64 preroll);
    void reopenAtStart();
    void skipForwardTo(qint64 frame);
    void resetRateStage(qint64 at);
    bool resampling() const { return m_outRate != m_sourceRate; }
    int outChannels() const { return m_outChannels; }
    SampleArray takeDirect(qint64 frames);
    SampleArray takeResampled(qint64 frames);
    void feedRateStage(qint64 until);
    void flushRateStage();
    qint64 readSource(float *into, qint64 frames);

    QString m_path;
    InputFormatPtr m_format;
    AVStream *m_stream = nullptr;
    CodecContextPtr m_decoder;
    PacketPtr m_packet;
    FramePtr m_frame;
    bool m_frameHeld = false;      // m_frame is decoded but not yet accepted
    bool m_inputEnded = false;     // the demuxer is exhausted and the decoder drained

    int m_sourceRate = 0;
    int m_sourceChannels = 0;
    qint64 m_length = 0;
    SourceLength m_measured;       // length, frame grid and frame table of the source
    bool m_seekIndexLent = false;  // m_format holds the measurement's seek points
    int m_grid = 0;                // frame grid for snapping coarse timestamps
    bool m_coarse = false;         // timestamps coarser than one sample (ASF)
    int64_t m_originTs = AV_NOPTS_VALUE;
    int m_seekPreroll = 0;

    int m_outRate = 0;
    int m_outChannels = 0;

    // Stage one: decoded frames → interleaved float at the source rate with
    // the output's channel count. Frames before m_discardBefore are dropped.
    ResamplerPtr m_layoutConverter;
    int m_layoutFormat = -1;
    AVChannelLayout m_layoutSource{};
    AudioFifoPtr m_sourceFifo;
    qint64 m_sourceFifoPos = 0;    // source position of the first frame in m_sourceFifo
    qint64 m_nextDecodePos = 0;    // source position of the next decoded frame
    bool m_positionKnown = false;
    qint64 m_discardBefore = 0;
    // While readSource() runs: where the next converted frame goes in the
    // caller's block, and how many frames still fit there.
    float *m_directOut = nullptr;
    qint64 m_directRoom = 0;

    // Stage two, only when the rate changes: source frames up to m_fedPos
    // have entered the resampler; m_delivered output frames have been handed
    // out since the stage was reset at m_resetPos.
    ResamplerPtr m_rateConverter;
    AudioFifoPtr m_outFifo;
    qint64 m_fedPos = 0;
    qint64 m_resetPos = 0;
    qint64 m_delivered = 0;
    bool m_rateFlushed = false;
    qint64 m_shortFrom = -1;       // source position where the audio fed to the stage stopped, -1: it did not

    qint64 m_missing = 0;          // see missingFrames()

    qint64 m_consumed = 0;
    std::vector<float> m_scratch;
    // The blocks handed out. Once the caller (and a writer the caller gave
    // one to) has let go of a block, another is read into the same memory:
    // no allocation and no clearing.
    static constexpr size_t BlocksKept = 16;
    BlockRecycler m_blocks{BlocksKept};
    bool m_blocksGoElsewhere = false;  // see takeDirect()
};

} // namespace korvex
