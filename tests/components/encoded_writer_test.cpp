#include "components/AudioFile.h"
#include "components/EncodedWriter.h"
#include "components/EncodedSalvage.h"
#include "components/KorvexError.h"
#include "components/SizeLimit.h"
#include "support/AudioFixtures.h"
#include "support/ExternalTools.h"
#include "support/TempDir.h"
#include "tags/OutputTags.h"

#include <QFile>
#include <QFileInfo>
#include <QStringList>
#include <gtest/gtest.h>

#include <cmath>

using namespace korvex;
using namespace korvex::test;

namespace {

struct CodecCase
{
    EncodedCodec codec;
    const char *extension;
    const char *probedCodec;  // ffprobe's codec_name
    int rateFrom44100;        // the file's rate for a 44.1 kHz input
    double lengthSlack;       // seconds a decode may hold beyond the audio
};

const CodecCase Cases[] = {
    {EncodedCodec::Mp3, "mp3", "mp3", 44100, 0.001},
    {EncodedCodec::Vorbis, "ogg", "vorbis", 44100, 0.001},
    {EncodedCodec::Opus, "opus", "opus", 48000, 0.001},
    {EncodedCodec::Flac, "flac", "flac", 44100, 0.001},
    // a decode of an MP4 keeps the encoder's last frame whole
    {EncodedCodec::Aac, "m4a", "aac", 44100, 1024.0 / 44100},
    {EncodedCodec::Wav, "wav", "pcm_s16le", 44100, 0.001},
};

struct Probe
{
    QString codec;
    int rate = 0;
    int channels = 0;
    long bitRate = 0;
};

Probe probe(const QString &path)
{
    const ToolResult result = RunTool(QStringLiteral("ffprobe"),
                                      {"-v", "error", "-select_streams", "a:0", "-show_entries",
                                       "stream=codec_name,sample_rate,channels,bit_rate", "-of", "csv=p=0", path});
    const QStringList fields = result.output.trimmed().split(QLatin1Char(','));
    if (fields.size() < 4)
        return {};
    return {fields[0], fields[1].toInt(), fields[2].toInt(), fields[3].toLong()};
}

// Writes blocks of one second: `parts` are (rate, channels, seconds), the
// second and later ones handed over as a join hands over its next entry.
void writeParts(const QString &path, const OutputEncoding &encoding, const QList<std::array<int, 3>> &parts)
{
    AudioFile file;
    file.setOutputEncoding(encoding);
    file.setDataFormat(parts.first()[0], parts.first()[1]);
    file.createForWrite(path, 0);
    for (const auto &[rate, channels, seconds] : parts) {
        file.setDataFormat(rate, channels);
        const QList<float> samples = generateSamples(sineSpec(rate, channels, qint64(rate) * seconds));
        for (qsizetype at = 0; at < samples.size(); at += qsizetype(rate) * channels)
            file.writeBlock(SampleArray(samples.mid(at, qsizetype(rate) * channels)));
    }
    file.close();
}

OutputEncoding encodingOf(EncodedCodec codec)
{
    OutputEncoding encoding;
    encoding.codec = codec;
    return encoding;
}

QByteArray fileBytes(const QString &path)
{
    QFile file(path);
    return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray();
}

// Whether ffmpeg decodes the whole file without a complaint.
bool decodesCleanly(const QString &path)
{
    const ToolResult result = RunTool(QStringLiteral("ffmpeg"), {"-v", "error", "-i", path, "-f", "null", "-"});
    return result.exitCode == 0 && result.errors.trimmed().isEmpty();
}

TEST(EncodedWriter, EveryFormatReadsBackWithItsCodecRateChannelsAndLength)
{
    TestFolder folder;
    for (const CodecCase &c : Cases) {
        SCOPED_TRACE(c.extension);
        const QString path = folder.file(QStringLiteral("tone.%1").arg(QLatin1String(c.extension)));
        writeParts(path, encodingOf(c.codec), {{44100, 2, 3}});
        const Probe read = probe(path);
        EXPECT_EQ(read.codec, QLatin1String(c.probedCodec));
        EXPECT_EQ(read.rate, c.rateFrom44100);
        EXPECT_EQ(read.channels, 2);
        // our own reader trims what the container says is padding
        const DecodedAudio decoded = decodeFile(path);
        EXPECT_NEAR(double(decoded.frames()) / decoded.sampleRate, 3.0 + c.lengthSlack / 2, c.lengthSlack / 2 + 0.001);
        EXPECT_TRUE(decodesCleanly(path));
    }
}

// A join hands over entries of other rates and channels: all of them end up
// in the first one's format, as long as they were.
TEST(EncodedWriter, LaterInputFormatsAreConvertedToTheFirstOnes)
{
    TestFolder folder;
    for (const CodecCase &c : Cases) {
        SCOPED_TRACE(c.extension);
        const QString path = folder.file(QStringLiteral("join.%1").arg(QLatin1String(c.extension)));
        writeParts(path, encodingOf(c.codec), {{44100, 2, 2}, {22050, 1, 1}, {48000, 6, 1}});
        const Probe read = probe(path);
        EXPECT_EQ(read.rate, c.rateFrom44100);
        EXPECT_EQ(read.channels, 2);
        const DecodedAudio decoded = decodeFile(path);
        // each hand-over may cost the resampler's few frames of delay
        EXPECT_NEAR(double(decoded.frames()) / decoded.sampleRate, 4.0, c.lengthSlack + 0.01);
    }
}

// The same join written with the encoding thread and without: the codec
// sees the same frames, so the files decode to the same samples, and where
// the container takes no random stream serial (Ogg does) they are the same
// bytes.
TEST(EncodedWriter, TheEncodingThreadWritesWhatTheCallerWould)
{
    TestFolder folder;
    const auto write = [](const QString &path, const OutputEncoding &encoding, EncodedWriter::Threading threading) {
        EncodedWriter writer(path, encoding, 44100, 2, {}, threading);
        for (const auto &[rate, channels, seconds] : {std::array{44100, 2, 3}, std::array{22050, 1, 2}}) {
            writer.setInputFormat(rate, channels);
            const QList<float> samples = generateSamples(sineSpec(rate, channels, qint64(rate) * seconds));
            // blocks of a third of a second, as many as a run hands over
            for (qsizetype at = 0; at < samples.size(); at += qsizetype(rate / 3) * channels)
                writer.write(SampleArray(samples.mid(at, qsizetype(rate / 3) * channels)));
        }
        writer.finish();
        return writer.inputFrames();
    };
    for (const CodecCase &c : Cases) {
        SCOPED_TRACE(c.extension);
        const QString threaded = folder.file(QStringLiteral("threaded.%1").arg(QLatin1String(c.extension)));
        const QString inCaller = folder.file(QStringLiteral("caller.%1").arg(QLatin1String(c.extension)));
        EXPECT_EQ(write(threaded, encodingOf(c.codec), EncodedWriter::Threading::OwnThread), 44100 * 3 + 22050 * 2);
        write(inCaller, encodingOf(c.codec), EncodedWriter::Threading::InCaller);
        const DecodedAudio one = decodeFile(threaded);
        const DecodedAudio other = decodeFile(inCaller);
        EXPECT_NEAR(double(one.frames()) / one.sampleRate, 5.0, c.lengthSlack + 0.01);
        EXPECT_TRUE(one.samples == other.samples);
        if (c.codec != EncodedCodec::Vorbis && c.codec != EncodedCodec::Opus) {
            EXPECT_EQ(fileBytes(threaded), fileBytes(inCaller));
        }
    }
}

// Where the audio starts: after an MP3's ID3v2 tag, or at a WAV file's
// data chunk (-1 when there is none).
qint64 audioOffset(const QString &path, EncodedCodec codec)
{
    const QByteArray bytes = fileBytes(path);
    if (codec == EncodedCodec::Mp3) {
        if (!bytes.startsWith("ID3") || bytes.size() < 10)
            return 0;
        const auto at = [&](int i) { return qint64(quint8(bytes[i]) & 0x7f); };
        return 10 + (at(6) << 21 | at(7) << 14 | at(8) << 7 | at(9));
    }
    return bytes.indexOf("data");
}

// The tags are written into a finished piece: they fit where the writer
// left room, so the audio is not moved (which for a WAV piece costs as much
// as writing it again), and they read back.
TEST(EncodedWriter, TaggingAFinishedFileLeavesItsAudioWhereItIs)
{
    TestFolder folder;
    OutputTagValues values;
    values.Title = QStringLiteral("A title long enough to need more room than a bare tag has");
    values.Artist = QStringLiteral("Ärtist");
    values.Album = QStringLiteral("Album");
    values.Year = QStringLiteral("2024");
    values.Genre = QStringLiteral("Jazz");
    values.Track = 7;
    for (const EncodedCodec codec : {EncodedCodec::Mp3, EncodedCodec::Wav}) {
        const QString path = folder.file(codec == EncodedCodec::Mp3 ? QStringLiteral("t.mp3") : QStringLiteral("t.wav"));
        writeParts(path, encodingOf(codec), {{44100, 2, 2}});
        const qint64 before = audioOffset(path, codec);
        ASSERT_GT(before, 0);
        ASSERT_TRUE(WriteEncodedTags(path, codec, values));
        EXPECT_EQ(audioOffset(path, codec), before);
        const ToolResult title = RunTool(QStringLiteral("ffprobe"), {"-v", "error", "-show_entries",
                                                                    "format_tags=title", "-of", "csv=p=0", path});
        EXPECT_EQ(title.output.trimmed(), values.Title);
        EXPECT_TRUE(decodesCleanly(path));
    }
}

TEST(EncodedWriter, RatesAndChannelsMoveToWhatTheCodecTakes)
{
    TestFolder folder;
    const QString mp3 = folder.file(QStringLiteral("high.mp3"));
    writeParts(mp3, encodingOf(EncodedCodec::Mp3), {{96000, 6, 1}});
    EXPECT_EQ(probe(mp3).rate, 48000);
    EXPECT_EQ(probe(mp3).channels, 2);
    const QString opus = folder.file(QStringLiteral("low.opus"));
    writeParts(opus, encodingOf(EncodedCodec::Opus), {{22050, 1, 1}});
    EXPECT_EQ(probe(opus).rate, 48000);
    EXPECT_EQ(probe(opus).channels, 1);
    const QString flac = folder.file(QStringLiteral("six.flac"));
    writeParts(flac, encodingOf(EncodedCodec::Flac), {{96000, 6, 1}});
    EXPECT_EQ(probe(flac).rate, 96000);
    EXPECT_EQ(probe(flac).channels, 6);
}

TEST(EncodedWriter, QualitySettingsReachTheEncoder)
{
    TestFolder folder;
    OutputEncoding encoding = encodingOf(EncodedCodec::Mp3);
    for (const int kbps : {96, 320}) {
        encoding.mp3Bitrate = kbps;
        const QString path = folder.file(QStringLiteral("cbr%1.mp3").arg(kbps));
        writeParts(path, encoding, {{44100, 2, 2}});
        EXPECT_EQ(probe(path).bitRate, kbps * 1000L);
    }
    // VBR V0 and V9 code the same audio at clearly different rates (the
    // files' sizes say less: the tag's room is the same in both)
    encoding.mp3Vbr = true;
    QList<long> rates;
    for (const int v : {0, 9}) {
        encoding.mp3VbrQuality = v;
        const QString path = folder.file(QStringLiteral("v%1.mp3").arg(v));
        writeParts(path, encoding, {{44100, 2, 3}});
        rates.append(probe(path).bitRate);
    }
    EXPECT_GT(rates[0], rates[1] * 2);

    OutputEncoding wav = encodingOf(EncodedCodec::Wav);
    wav.wavBits = 24;
    const QString deep = folder.file(QStringLiteral("deep.wav"));
    writeParts(deep, wav, {{44100, 2, 1}});
    EXPECT_EQ(probe(deep).codec, QStringLiteral("pcm_s24le"));

    OutputEncoding opus = encodingOf(EncodedCodec::Opus);
    opus.opusBitrate = 6;
    const QString thin = folder.file(QStringLiteral("thin.opus"));
    writeParts(thin, opus, {{44100, 2, 4}});
    opus.opusBitrate = 256;
    const QString thick = folder.file(QStringLiteral("thick.opus"));
    writeParts(thick, opus, {{44100, 2, 4}});
    EXPECT_GT(QFileInfo(thick).size(), QFileInfo(thin).size() * 10);
}

// Audio quieter than the last bit of a 16-bit sample reaches the codecs
// that code floats as it is: Opus keeps a tone at -98 dB, which rounding
// to 16 bits first would have made digital silence.
TEST(EncodedWriter, AudioBelowSixteenBitsReachesTheCodecsThatTakeFloats)
{
    TestFolder folder;
    const float quiet = 0.4f / 32768;
    const QString path = folder.file(QStringLiteral("quiet.opus"));
    OutputEncoding opus = encodingOf(EncodedCodec::Opus);
    opus.opusBitrate = 256;
    {
        EncodedWriter writer(path, opus, 48000, 2);
        writer.write(SampleArray(generateSamples(sineSpec(48000, 2, 48000 * 2, 1000.0, quiet))));
        writer.finish();
    }
    const DecodedAudio decoded = decodeFile(path);
    ASSERT_EQ(decoded.frames(), 48000 * 2);
    double energy = 0;
    // the middle second, away from the codec's start and end
    for (qsizetype i = 48000; i < 48000 * 3; ++i)
        energy += double(decoded.samples[i]) * decoded.samples[i];
    const double rms = std::sqrt(energy / (48000 * 2));
    EXPECT_NEAR(rms, quiet / std::sqrt(2.0), quiet / 4);
}

// A disk that fills half way: the formats whose header can be repaired keep
// what reached it as a file that decodes without an error, and say so.
TEST(EncodedWriterFailures, AFullDiskKeepsTheWholePacketsAsAValidFile)
{
    TestFolder folder;
    for (const CodecCase &c : Cases) {
        if (c.codec == EncodedCodec::Aac)
            continue;
        SCOPED_TRACE(c.extension);
        const QString path = folder.file(QStringLiteral("limited.%1").arg(QLatin1String(c.extension)));
        // room for a few seconds of each codec
        const rlim_t room = c.codec == EncodedCodec::Wav || c.codec == EncodedCodec::Flac ? 600 * 1024 : 64 * 1024;
        const QString failure = failureUnderSizeLimit(room, [&] {
            writeParts(path, encodingOf(c.codec), {{44100, 2, 40}});
        });
        EXPECT_TRUE(failure.contains(QLatin1String("is incomplete"))) << failure.toStdString();
        EXPECT_TRUE(failure.contains(path)) << failure.toStdString();
        ASSERT_TRUE(QFileInfo::exists(path));
        EXPECT_LE(QFileInfo(path).size(), qint64(room));
        const double kept = ProbedSeconds(path);
        EXPECT_GT(kept, 0.5);
        EXPECT_LT(kept, 40.0);
        EXPECT_TRUE(decodesCleanly(path));
        const DecodedAudio decoded = decodeFile(path);
        EXPECT_NEAR(double(decoded.frames()) / decoded.sampleRate, kept, 0.1);
    }
}

TEST(EncodedWriterFailures, WhatCannotBeKeptIsRemovedAndSaidSo)
{
    TestFolder folder;
    // an MP4's index follows its audio: without room for it nothing plays
    const QString m4a = folder.file(QStringLiteral("limited.m4a"));
    const QString lost = failureUnderSizeLimit(64 * 1024, [&] {
        writeParts(m4a, encodingOf(EncodedCodec::Aac), {{44100, 2, 40}});
    });
    EXPECT_TRUE(lost.contains(QLatin1String("held no audio and was removed"))) << lost.toStdString();
    EXPECT_FALSE(QFileInfo::exists(m4a));
    // no room for a single packet
    const QString mp3 = folder.file(QStringLiteral("tiny.mp3"));
    const QString none = failureUnderSizeLimit(300, [&] {
        writeParts(mp3, encodingOf(EncodedCodec::Mp3), {{44100, 2, 5}});
    });
    EXPECT_TRUE(none.contains(QLatin1String("held no audio and was removed"))) << none.toStdString();
    EXPECT_FALSE(QFileInfo::exists(mp3));
    EXPECT_FALSE(HoldsAudioPackets(mp3));
}

} // namespace
