#pragma once

#include "components/IAudioFile2.h"

#include <memory>

namespace korvex {

class AudioReader;
class OutputWriter;

// The audio file component on FFmpeg: an open file is either a source being
// read (any format FFmpeg decodes) or an output being written (WMA, or
// another codec set with setOutputEncoding). The program
// owns two: AudioFileRead and AudioFile2write. Open and create close whatever
// was open before, so a writer is always finished into a valid file.
class AudioFile : public IAudioFile2
{
public:
    AudioFile();
    ~AudioFile() override;

    void openForRead(const QString &path, int reserved = 0, int mode = 1) override;
    void close() override;
    void createForWrite(const QString &path, int reserved = 0) override;
    void writeBlock(const SampleArray &block) override;
    SampleArray readBlock(qint64 frames) override;
    void seek(qint64 frame, int origin = 3) override;
    void setDataFormat(int sampleRate, int channels) override;
    void setOutputProfile(int profile) override;
    qint64 length() override;
    qint16 isOpen() override;
    qint64 duration() override;
    int channelCount() override;
    int sampleRate() override;
    void setOptionValue(int value) override;
    qint64 missingFrames() override;
    void setChapters(const QList<Chapter> &chapters) override { m_chapters = chapters; }
    void setOutputEncoding(const OutputEncoding &encoding) override;

    int outputProfile() const { return m_profile; }
    int optionValue() const { return m_optionValue; }
    // Encoder threads for files created from now on (0: one per processor).
    void setEncoderWorkers(int workers) { m_encoderWorkers = workers; }

private:
    AudioReader &reader(const char *operation);

    std::unique_ptr<AudioReader> m_reader;
    std::unique_ptr<OutputWriter> m_writer;
    // The data format a writer takes its blocks in; kept across files, as the
    // runs set it before and after creating each output. A reader starts
    // every file in the file's own format.
    int m_writeRate = 0;
    int m_writeChannels = 0;
    int m_profile = 10;
    OutputEncoding m_encoding;
    int m_optionValue = 0;
    int m_encoderWorkers = 0;
    QList<Chapter> m_chapters;  // for the next file created
};

} // namespace korvex
