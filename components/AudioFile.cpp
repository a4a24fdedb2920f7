#include "components/AudioFile.h"

#include "components/AudioReader.h"
#include "components/AudioWriter.h"
#include "components/EncodedWriter.h"
#include "components/KorvexError.h"
#include "components/WmaProfiles.h"

#include <utility>

namespace korvex {

AudioFile::AudioFile() = default;

AudioFile::~AudioFile()
{
    try {
        close();
    } catch (const KorvexError &) {
        // Nothing is left to report to at destruction.
    }
}

void AudioFile::openForRead(const QString &path, int, int)
{
    close();
    m_reader = std::make_unique<AudioReader>(path);
}

void AudioFile::close()
{
    m_reader.reset();
    if (m_writer) {
        std::unique_ptr<OutputWriter> writer = std::move(m_writer);
        writer->finish();
    }
}

void AudioFile::createForWrite(const QString &path, int)
{
    close();
    const WmaProfile &profile = wmaProfile(m_profile);
    const int rate = m_writeRate > 0 ? m_writeRate : profile.sampleRate;
    const int channels = m_writeChannels > 0 ? m_writeChannels : profile.channels;
    QList<Chapter> chapters = std::exchange(m_chapters, {});
    if (m_encoding.codec != EncodedCodec::Wma) {
        m_writer = std::make_unique<EncodedWriter>(path, m_encoding, rate, channels, chapters);
        return;
    }
    AudioWriter::Options options;
    options.workers = m_encoderWorkers;
    options.chapters = std::move(chapters);
    m_writer = std::make_unique<AudioWriter>(path, profile, rate, channels, options);
}

void AudioFile::writeBlock(const SampleArray &block)
{
    if (!m_writer)
        throw KorvexError(QStringLiteral("No output file is open for writing."));
    m_writer->write(block);
}

AudioReader &AudioFile::reader(const char *operation)
{
    if (!m_reader)
        throw KorvexError(QStringLiteral("No audio file is open to %1.").arg(QLatin1String(operation)));
    return *m_reader;
}

SampleArray AudioFile::readBlock(qint64 frames)
{
    return reader("read from").read(frames);
}

// Positions are always counted from the start of the file; the origin code
// the callers pass (3) names that.
void AudioFile::seek(qint64 frame, int)
{
    reader("seek in").seek(frame);
}

void AudioFile::setDataFormat(int sampleRate, int channels)
{
    if (m_reader) {
        m_reader->setDataFormat(sampleRate, channels);
        return;
    }
    if (m_writer)
        m_writer->setInputFormat(sampleRate, channels);
    m_writeRate = sampleRate;
    m_writeChannels = channels;
}

void AudioFile::setOutputProfile(int profile)
{
    m_profile = profile;
}

qint64 AudioFile::length()
{
    if (m_reader)
        return m_reader->length();
    return m_writer ? m_writer->inputFrames() : 0;
}

qint16 AudioFile::isOpen()
{
    return (m_reader || m_writer) ? 1 : 0;
}

qint64 AudioFile::duration()
{
    if (m_reader)
        return m_reader->durationMs();
    if (m_writer && m_writer->inputRate() > 0)
        return m_writer->inputFrames() * 1000 / m_writer->inputRate();
    return 0;
}

int AudioFile::channelCount()
{
    if (m_reader)
        return m_reader->channelCount();
    return m_writer ? m_writer->inputChannels() : 0;
}

int AudioFile::sampleRate()
{
    if (m_reader)
        return m_reader->sampleRate();
    return m_writer ? m_writer->inputRate() : 0;
}

void AudioFile::setOptionValue(int value)
{
    m_optionValue = value;
}

void AudioFile::setOutputEncoding(const OutputEncoding &encoding)
{
    m_encoding = encoding;
}

qint64 AudioFile::missingFrames()
{
    return m_reader ? m_reader->missingFrames() : 0;
}

} // namespace korvex
