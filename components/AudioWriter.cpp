#include "components/AudioWriter.h"

#include "components/AudioLimits.h"
#include "components/KorvexError.h"
#include "components/SalvageSink.h"
#include "components/SourceScan.h"
#include "components/WmaEncoderPool.h"

#include <QFile>
#include <QFileInfo>
#include <QThread>
#include <algorithm>
#include <cmath>
#include <vector>

namespace korvex {

namespace {

// The header is written before the frame count is known and rewritten with
// the same size when the file is finished, so the count has a fixed width.
constexpr int FrameCountDigits = 20;

QByteArray fixedWidthCount(qint64 frames)
{
    return QByteArray::number(frames).rightJustified(FrameCountDigits, '0');
}

// One encoder per processor, at most four; the owner counts as one when it
// encodes too.
int defaultWorkers(bool ownerEncodes)
{
    return std::clamp(QThread::idealThreadCount() - (ownerEncodes ? 1 : 0), 1, 4);
}

} // namespace

AudioWriter::AudioWriter(const QString &path, const WmaProfile &profile, int inputRate, int inputChannels)
    : AudioWriter(path, profile, inputRate, inputChannels, Options{})
{
}

AudioWriter::AudioWriter(const QString &path, const WmaProfile &profile, int inputRate, int inputChannels,
                         Options options)
    : m_path(path), m_profile(profile), m_options(options)
{
    const int workers = m_options.workers > 0 ? m_options.workers : defaultWorkers(m_options.ownerEncodes);
    m_pool = std::make_unique<WmaEncoderPool>(m_profile, workers, m_options.chunkFrames, m_options.ownerEncodes,
                                              [this](AVPacket *packet) { writePacket(packet); });
    m_priming = m_pool->encoder().initial_padding;
    try {
        openOutput();
        setInputFormat(inputRate, inputChannels);
    } catch (const KorvexError &) {
        // No destructor runs for a constructor that throws: the file opened
        // here would stay open and be left behind with a header alone.
        removePartialFile();
        throw;
    }
}

AudioWriter::~AudioWriter()
{
    try {
        finish();
    } catch (const KorvexError &) {
        // The file is gone already; a destructor has no one to tell.
    }
}

void AudioWriter::openOutput()
{
    AVFormatContext *raw = nullptr;
    int status = avformat_alloc_output_context2(&raw, nullptr, "asf", nullptr);
    m_format.reset(raw);
    if (status < 0)
        throw KorvexError(QStringLiteral("Unable to create '%1': %2.").arg(m_path, ffmpegErrorText(status)));
    m_stream = avformat_new_stream(m_format.get(), nullptr);
    if (!m_stream)
        throw KorvexError(QStringLiteral("Unable to create '%1': out of memory.").arg(m_path));
    status = avcodec_parameters_from_context(m_stream->codecpar, &m_pool->encoder());
    m_stream->time_base = AVRational{1, m_profile.sampleRate};
    if (status < 0)
        throw KorvexError(QStringLiteral("Unable to create '%1': %2.").arg(m_path, ffmpegErrorText(status)));

    m_sink = std::make_unique<SalvageSink>(m_path);
    m_format->pb = m_sink->context();
    m_format->flags |= AVFMT_FLAG_CUSTOM_IO;
    av_dict_set(&m_format->metadata, FrameCountAttribute, fixedWidthCount(0).constData(), 0);
    AddChapters(*m_format, m_options.chapters);
    status = avformat_write_header(m_format.get(), nullptr);
    if (status < 0) {
        removePartialFile();
        throw KorvexError(QStringLiteral("Unable to create '%1': %2.").arg(m_path, ffmpegErrorText(status)));
    }
}

void AudioWriter::setInputFormat(int sampleRate, int channels)
{
    if (!IsWorkableAudioFormat(sampleRate, channels))
        throw KorvexError(QStringLiteral("%1 Hz with %2 channels is not a data format audio can be written from.")
                              .arg(sampleRate).arg(channels));
    if (m_inputRate > 0 && sampleRate == m_inputRate && channels == m_inputChannels)
        return;
    flushConverter();
    m_inputRate = sampleRate;
    m_inputChannels = channels;
    m_converter.reset();
    // Blocks already in the profile's rate and channels only need splitting
    // into planes, which the encoder pool does as it fills its frames.
    if (sampleRate == m_profile.sampleRate && channels == m_profile.channels)
        return;
    const AVChannelLayout layout = defaultLayout(channels);
    m_converter = makeFloatConverter(layout, AV_SAMPLE_FMT_FLT, sampleRate, m_profile.channels,
                                     AV_SAMPLE_FMT_FLT, m_profile.sampleRate);
}

void AudioWriter::write(const SampleArray &block)
{
    if (!m_failure.isEmpty())
        throw KorvexError(m_failure);
    if (m_finished)
        throw KorvexError(QStringLiteral("'%1' is already closed.").arg(m_path));
    const qint64 frames = block.upperBound() / m_inputChannels;
    if (frames <= 0)
        return;
    try {
        // The decoder swallows one frame of silence before the audio, so a
        // decode of the file starts at the first sample written.
        if (!m_primed) {
            m_pool->pushSilence(m_priming);
            m_primed = true;
        }
        // The pool clips as it fills its frames; the resampler must not see
        // damaged samples at all.
        if (m_converter)
            pushConverted(FullScaleCopy(block.data(), frames * m_inputChannels).data(), frames);
        else
            m_pool->pushInterleaved(block.samples(), 0, frames);
    } catch (const KorvexError &error) {
        failAndSalvage(error.text());
    }
    m_inputFrames += frames;
}

void AudioWriter::pushConverted(const float *interleaved, qint64 frames)
{
    const auto *in = reinterpret_cast<const uint8_t *>(interleaved);
    const int room = std::max(swr_get_out_samples(m_converter.get(), static_cast<int>(frames)), 0);
    // The encoders read the converted block while the next one is made.
    QList<float> &converted = m_converted.take(qsizetype(room) * m_profile.channels);
    auto *out = reinterpret_cast<uint8_t *>(converted.data());
    const int count = swr_convert(m_converter.get(), &out, room, in ? &in : nullptr, in ? static_cast<int>(frames) : 0);
    if (count < 0)
        throw KorvexError(QStringLiteral("The audio could not be converted: %1.").arg(ffmpegErrorText(count)));
    m_pool->pushInterleaved(converted, 0, count);
}

void AudioWriter::flushConverter()
{
    if (!m_primed || !m_converter)
        return;
    // Drains what the resampler still holds for its filter.
    pushConverted(nullptr, 0);
}

void AudioWriter::writePacket(AVPacket *packet)
{
    packet->stream_index = m_stream->index;
    av_packet_rescale_ts(packet, AVRational{1, m_profile.sampleRate}, m_stream->time_base);
    const int status = av_write_frame(m_format.get(), packet);
    if (status < 0)
        throw KorvexError(QStringLiteral("Unable to write '%1': %2.").arg(m_path, ffmpegErrorText(status)));
    if (m_sink->failed())
        throw KorvexError(QStringLiteral("Unable to write '%1': %2.").arg(m_path, m_sink->failure()));
}

void AudioWriter::finish()
{
    if (m_finished)
        return;
    m_finished = true;
    if (!m_failure.isEmpty())
        return;
    try {
        completeFile();
    } catch (const KorvexError &error) {
        failAndSalvage(error.text());
    }
}

void AudioWriter::completeFile()
{
    qint64 frames = 0;
    if (m_primed) {
        flushConverter();
        frames = m_pool->framesPushed() - m_priming;
        m_pool->finish();
    }
    m_pool.reset();
    av_dict_set(&m_format->metadata, FrameCountAttribute, fixedWidthCount(frames).constData(), 0);
    const int status = av_write_trailer(m_format.get());
    m_sink->close();
    m_format->pb = nullptr;
    if (status < 0)
        throw KorvexError(QStringLiteral("Unable to write '%1': %2.").arg(m_path, ffmpegErrorText(status)));
    if (m_sink->failed())
        throw KorvexError(QStringLiteral("Unable to write '%1': %2.").arg(m_path, m_sink->failure()));
}

// What reached the disk before the failure is audio the user may need (an
// hour of a join): the muxer finishes its header over it, the file is cut
// back to whole packets, and only a file without any is removed.
void AudioWriter::failAndSalvage(const QString &reason)
{
    if (m_pool)
        m_pool->abandon();
    m_pool.reset();
    if (m_format && m_format->pb) {
        av_write_trailer(m_format.get());
        m_sink->close();
        m_format->pb = nullptr;
    }
    m_finished = true;
    const bool kept = QFileInfo(m_path).isFile() && SalvageAsf(m_path) > 0;
    if (!kept)
        removePartialFile();
    m_failure = FailureAfterSalvage(reason, m_path, kept);
    throw KorvexError(m_failure);
}

// Only a regular file this writer created is ever removed: a path like
// /dev/null or a pipe that failed is left as it was.
void AudioWriter::removePartialFile()
{
    if (!m_sink)
        return;  // nothing was created: whatever is at the path is not ours
    m_sink->close();
    if (m_format)
        m_format->pb = nullptr;
    if (QFileInfo(m_path).isFile())
        QFile::remove(m_path);
}

} // namespace korvex
