#pragma once

#include "components/SampleArray.h"

#include <QString>
#include <QtGlobal>

#include <vector>

namespace korvex {

// One output file being written from float blocks in an input format. Every
// kind of writer fails alike: a failure raises KorvexError, keeps what was
// written as a valid, closed file that the error names as incomplete, and
// removes a file that holds no audio yet. Owner thread only.
class OutputWriter
{
public:
    virtual ~OutputWriter() = default;

    // Blocks from now on come at this rate and channel count (a join's next
    // entry); the file keeps the format it was created with.
    virtual void setInputFormat(int sampleRate, int channels) = 0;
    virtual void write(const SampleArray &block) = 0;
    virtual void finish() = 0;

    virtual qint64 inputFrames() const = 0;
    virtual int inputRate() const = 0;
    virtual int inputChannels() const = 0;
};

// A copy of interleaved samples with damage made harmless: NaN and infinities
// (a broken source can decode to them) become silence, values beyond full
// scale are clipped, so no resampler smears them and every encoder can code them.
std::vector<float> FullScaleCopy(const float *samples, qint64 count);
// The same into `clean`, whose memory is reused.
void FullScaleCopy(const float *samples, qint64 count, std::vector<float> &clean);
// The same for an output of floats that keeps peaks beyond full scale as they
// are (a float WAV written again): only NaN and infinities become silence.
void FiniteCopy(const float *samples, qint64 count, std::vector<float> &clean);

// A writer's failure, once it kept what was written (`kept`) or removed a
// file without audio: the reason and what became of the file.
QString FailureAfterSalvage(const QString &reason, const QString &path, bool kept);

} // namespace korvex
