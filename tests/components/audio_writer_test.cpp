#include "components/ReadHelpers.h"
#include "components/SizeLimit.h"
#include "support/AudioFixtures.h"
#include "support/TempDir.h"
#include "components/AudioFile.h"
#include "components/AudioWriter.h"
#include "components/KorvexError.h"
#include "components/WmaProfiles.h"

#include "support/ExternalTools.h"

#include <QFileInfo>
#include <cmath>
#include <csignal>
#include <functional>
#include <limits>
#include <gtest/gtest.h>
#include <sys/resource.h>

using namespace korvex;
using namespace korvex::test;

namespace {

AudioWriter::Options writerOptions(int workers, int chunkFrames, bool ownerEncodes = true)
{
    AudioWriter::Options options;
    options.workers = workers;
    options.chunkFrames = chunkFrames;
    options.ownerEncodes = ownerEncodes;
    return options;
}

// Writes the samples through the component in blocks of a second.
void writeWma(const QString &path, int profile, int rate, int channels, const QList<float> &samples)
{
    AudioFile file;
    file.setOutputProfile(profile);
    file.setDataFormat(rate, channels);
    file.createForWrite(path, 0);
    file.setDataFormat(rate, channels);
    for (qsizetype at = 0; at < samples.size(); at += qsizetype(rate) * channels) {
        const qsizetype count = std::min<qsizetype>(qsizetype(rate) * channels, samples.size() - at);
        file.writeBlock(SampleArray(samples.mid(at, count)));
    }
    file.close();
}

TEST(WriterRoundTrip, KeepsTheFrameCountAndStartsAtTheFirstSample)
{
    TestFolder folder;
    for (const qint64 frames : {1LL, 2047LL, 2048LL, 2049LL, 100000LL, 132301LL}) {
        SCOPED_TRACE(frames);
        const QString path = folder.file(QStringLiteral("round%1.wma").arg(frames));
        const QList<float> written = generateSamples(noiseSpec(44100, 2, frames));
        writeWma(path, 10, 44100, 2, written);

        AudioFile file;
        file.openForRead(path);
        EXPECT_EQ(file.length(), frames);
        EXPECT_EQ(file.sampleRate(), 44100);
        EXPECT_EQ(file.channelCount(), 2);
        const QList<float> read = readToEnd(file, 44100);
        EXPECT_EQ(read.size(), frames * 2);
        // An independent decode holds every written sample from its very start.
        const DecodedAudio decoded = decodeFile(path);
        EXPECT_GE(decoded.frames(), frames);
        if (frames >= 100000) {
            EXPECT_EQ(bestLag(written, 2, decoded.samples, 2, 2100, 6000), 0);
            EXPECT_EQ(bestLag(written, 2, read, 2, 2100, 6000), 0);
        }
    }
}

TEST(WriterRoundTrip, SeeksInAWrittenFileAreExact)
{
    TestFolder folder;
    const QString path = folder.file(QStringLiteral("seek.wma"));
    writeWma(path, 10, 44100, 2, generateSamples(noiseSpec(44100, 2, 441000)));
    AudioFile file;
    file.openForRead(path);
    const QList<float> straight = readToEnd(file, 44100);
    for (const qint64 target : {0LL, 5000LL, 300000LL, 123456LL, 440000LL, 2048LL * 100}) {
        SCOPED_TRACE(target);
        file.seek(target, 3);
        const SampleArray block = file.readBlock(800);
        ASSERT_EQ(block.upperBound(), 1600);
        EXPECT_EQ(maxDifference(block.data(), straight.constData() + target * 2, 1600), 0.0f);
    }
}

TEST(WriterRoundTrip, ConvertsTheBlocksToTheProfilesRateAndChannels)
{
    TestFolder folder;
    const QString path = folder.file(QStringLiteral("up.wma"));
    const AudioSpec tone = sineSpec(22050, 1, 22050 * 3, 300.0);
    writeWma(path, 10, 22050, 1, generateSamples(tone));
    const DecodedAudio decoded = decodeFile(path);
    EXPECT_EQ(decoded.sampleRate, 44100);
    EXPECT_EQ(decoded.channels, 2);
    AudioFile file;
    file.openForRead(path);
    EXPECT_NEAR(double(file.length()), 2.0 * tone.frames, 2.0);
    AudioSpec doubled = tone;
    doubled.sampleRate = 44100;
    doubled.frames = 2 * tone.frames;
    EXPECT_EQ(bestLag(generateSamples(doubled), 1, decoded.samples, 2, 60, 40000), 0);
}

// The workers encode chunks side by side; the file must be the one a single
// encoder makes in one pass.
TEST(WriterParallel, ChunkedEncodingDecodesToTheSameSamplesAsOnePass)
{
    TestFolder folder;
    const QList<float> samples = generateSamples(noiseSpec(44100, 2, 120000));
    const WmaProfile &profile = wmaProfile(10);
    auto encode = [&](const QString &name, AudioWriter::Options options) {
        const QString path = folder.file(name);
        AudioWriter writer(path, profile, 44100, 2, options);
        for (qsizetype at = 0; at < samples.size(); at += 20000)
            writer.write(SampleArray(samples.mid(at, 20000)));
        writer.finish();
        return decodeFile(path);
    };
    const DecodedAudio single = encode(QStringLiteral("single.wma"), writerOptions(1, 1 << 20, false));
    // Tiny chunks; and the usual ones, where a short first chunk and a tail
    // shared out between the workers make chunks of uneven length.
    // The owner encodes too when the workers are behind, as it does by default.
    for (const AudioWriter::Options &options : {writerOptions(3, 3), writerOptions(2, 128), writerOptions(1, 4)}) {
        const DecodedAudio chunked = encode(QStringLiteral("chunked-%1.wma").arg(options.chunkFrames), options);
        ASSERT_EQ(single.samples.size(), chunked.samples.size());
        EXPECT_EQ(maxDifference(single.samples.constData(), chunked.samples.constData(), single.samples.size()), 0.0f)
            << options.chunkFrames << " frames a chunk";
    }
}

TEST(WriterFailures, AFileThatCannotBeCreatedNamesThePathAndTheReason)
{
    AudioFile file;
    const QString path = QStringLiteral("/nonexistent-korvex-folder/out.wma");
    try {
        file.createForWrite(path, 0);
        FAIL() << "created a file in a missing folder";
    } catch (const KorvexError &error) {
        EXPECT_TRUE(error.text().contains(path)) << error.text().toStdString();
        EXPECT_TRUE(error.text().contains(QLatin1String("No such file or directory"))) << error.text().toStdString();
    }
    EXPECT_EQ(file.isOpen(), 0);
}

// A source with more channels than a writer takes is refused when the file
// is created: no header-only file stays behind, and nothing is left open.
TEST(WriterFailures, AnUnwritableInputFormatLeavesNoFile)
{
    TestFolder folder;
    const QString path = folder.file(QStringLiteral("twelve.wma"));
    AudioFile file;
    file.setDataFormat(44100, 12);
    try {
        file.createForWrite(path, 0);
        FAIL() << "created a file for twelve channels";
    } catch (const KorvexError &error) {
        EXPECT_TRUE(error.text().contains(QLatin1String("12 channels"))) << error.text().toStdString();
    }
    EXPECT_EQ(file.isOpen(), 0);
    EXPECT_FALSE(QFileInfo::exists(path));
}

// A write that fails half way keeps what reached the disk as a valid file,
// and the error says it is incomplete; only a file without audio goes.
TEST(WriterFailures, AFailedWriteKeepsWhatWasWrittenAsAValidFile)
{
    TestFolder folder;
    const QString path = folder.file(QStringLiteral("limited.wma"));
    const QList<float> samples = generateSamples(noiseSpec(44100, 2, 44100 * 20));
    const QString failure = failureUnderSizeLimit(96 * 1024, [&] { writeWma(path, 6, 44100, 2, samples); });
    EXPECT_TRUE(failure.contains(path)) << failure.toStdString();
    EXPECT_TRUE(failure.contains(QLatin1String("is incomplete"))) << failure.toStdString();
    ASSERT_TRUE(QFileInfo::exists(path));
    EXPECT_LE(QFileInfo(path).size(), 96 * 1024);

    // Our reader and an independent one agree on a shorter, whole file.
    AudioFile file;
    file.openForRead(path);
    const qint64 kept = file.length();
    EXPECT_GT(kept, 44100);
    EXPECT_LT(kept, 44100 * 20);
    const QList<float> read = readToEnd(file, 44100);
    EXPECT_EQ(read.size(), kept * 2);
    EXPECT_EQ(bestLag(samples, 2, read, 2, 2100, 6000), 0);
    const DecodedAudio decoded = decodeFile(path);
    EXPECT_NEAR(double(decoded.frames()), double(kept), 2048 * 2);
    const ToolResult probe = RunTool(QStringLiteral("ffprobe"), {"-v", "error", "-show_entries", "format=duration",
                                                                 "-of", "csv=p=0", path});
    EXPECT_NEAR(probe.output.toDouble(), double(kept) / 44100, 0.5) << probe.errors.toStdString();

    // Too little room for a single packet of audio: nothing is kept.
    const QString tiny = folder.file(QStringLiteral("tiny.wma"));
    const QString none = failureUnderSizeLimit(2 * 1024, [&] { writeWma(tiny, 6, 44100, 2, samples); });
    EXPECT_TRUE(none.contains(QLatin1String("held no audio and was removed"))) << none.toStdString();
    EXPECT_FALSE(QFileInfo::exists(tiny));
}

// Damaged sources decode to NaN, infinities and values far beyond full
// scale; such samples are written as silence and full scale.
TEST(WriterFailures, NonFiniteAndHugeSamplesAreWrittenAsSilenceAndFullScale)
{
    TestFolder folder;
    const QString path = folder.file(QStringLiteral("wild.wma"));
    QList<float> samples = generateSamples(sineSpec(44100, 2, 44100 * 3));
    const float wild[] = {std::numeric_limits<float>::quiet_NaN(), std::numeric_limits<float>::infinity(),
                          -std::numeric_limits<float>::infinity(), 1e30f, -3e38f};
    for (qsizetype i = 44100 * 2; i < 44100 * 4; ++i)
        samples[i] = wild[i % 5];
    writeWma(path, 10, 44100, 2, samples);

    AudioFile file;
    file.openForRead(path);
    const QList<float> read = readToEnd(file, 44100);
    ASSERT_EQ(read.size(), samples.size());
    float peak = 0.0f;
    for (const float v : read) {
        ASSERT_TRUE(std::isfinite(v));
        peak = std::max(peak, std::abs(v));
    }
    EXPECT_LT(peak, 1.5f);
    // The sine after the damage comes through (a codec frame past its end).
    const qsizetype after = (88200 + 8820) * 2;
    EXPECT_LT(maxDifference(read.constData() + after, samples.constData() + after, 44100), 0.1f);
}

// Clipped noise is denser than wmav2 can code at 24 kbps; such frames come
// out quieter instead of ending the file.
TEST(WriterFailures, AudioTooDenseForTheBitrateStillGivesAWholeFile)
{
    TestFolder folder;
    const QString path = folder.file(QStringLiteral("loud.wma"));
    writeWma(path, 18, 44100, 2, generateSamples(noiseSpec(44100, 2, 44100 * 2, 4.0f)));
    AudioFile file;
    file.openForRead(path);
    EXPECT_EQ(file.length(), 44100 * 2);
    const QList<float> read = readToEnd(file, 44100);
    ASSERT_EQ(read.size(), 44100 * 2);
    double energy = 0.0;
    for (const float v : read)
        energy += double(v) * v;
    EXPECT_GT(energy / read.size(), 0.01);
}

TEST(WriterEdges, AFileWithoutAudioOpensEmpty)
{
    TestFolder folder;
    const QString path = folder.file(QStringLiteral("empty.wma"));
    AudioFile writer;
    writer.createForWrite(path, 0);
    EXPECT_NE(writer.isOpen(), 0);
    writer.close();
    EXPECT_EQ(writer.isOpen(), 0);
    writer.close();
    AudioFile reader;
    reader.openForRead(path);
    EXPECT_EQ(reader.length(), 0);
    EXPECT_EQ(reader.duration(), 0);
    EXPECT_EQ(reader.readBlock(1000).upperBound(), 0);
}

TEST(WriterEdges, AnExistingFileIsWrittenFromTheStart)
{
    TestFolder folder;
    const QString path = folder.file(QStringLiteral("again.wma"));
    writeWma(path, 10, 44100, 2, generateSamples(noiseSpec(44100, 2, 441000)));
    writeWma(path, 10, 44100, 2, generateSamples(noiseSpec(44100, 2, 4410)));
    AudioFile file;
    file.openForRead(path);
    EXPECT_EQ(file.length(), 4410);
}

// mutagen reads the ASF header on its own: the stream is what the profile
// says and the frame count travels in the header.
TEST(WriterEdges, AnIndependentReaderSeesTheProfileAndTheFrameCount)
{
    TestFolder folder;
    const QString path = folder.file(QStringLiteral("probe.wma"));
    writeWma(path, 26, 44100, 2, generateSamples(noiseSpec(44100, 2, 44100)));
    const QString out = RunMutagen(QStringLiteral("import sys, mutagen.asf\n"
                                                  "f = mutagen.asf.ASF(sys.argv[1])\n"
                                                  "print(f.info.sample_rate, f.info.channels, f['KorvexFrameCount'][0])"),
                                   path);
    EXPECT_EQ(out.trimmed(), QStringLiteral("22050 1 00000000000000022050"));
}

} // namespace
