#include "support/AudioFixtures.h"
#include "components/ReadHelpers.h"
#include "support/TempDir.h"
#include "support/ExternalTools.h"
#include "components/AudioFile.h"
#include "components/KorvexError.h"
#include "components/SourceScan.h"

#include <QFile>
#include <gtest/gtest.h>
#include <algorithm>
#include <random>

using namespace korvex;
using namespace korvex::test;

namespace {

// The file's extension picks the codec; Opus always runs at 48 kHz.
QString makeSource(const TestFolder &folder, const QString &name, qint64 seconds100 = 330)
{
    const int rate = name.endsWith(QLatin1String(".opus")) ? 48000 : 44100;
    const QString path = folder.file(name);
    writeAudioFile(path, noiseSpec(rate, 2, rate * seconds100 / 100));
    return path;
}

// Length, duration and content of a straight read agree with FFmpeg's own
// straight decode, for every kind of source the program meets.
class ReaderLength : public ::testing::TestWithParam<const char *>
{
};

TEST_P(ReaderLength, DeliversExactlyLengthFramesOfTheDecodedAudio)
{
    TestFolder folder;
    const QString path = makeSource(folder, QStringLiteral("source") + QLatin1String(GetParam()));
    const DecodedAudio reference = decodeFile(path);

    AudioFile file;
    file.openForRead(path, 0, 1);
    const qint64 length = file.length();
    const int channels = file.channelCount();
    ASSERT_EQ(channels, 2);
    EXPECT_EQ(file.sampleRate(), reference.sampleRate);
    const QList<float> all = readToEnd(file, 10000);
    EXPECT_EQ(all.size(), length * channels);
    EXPECT_EQ(file.duration(), (length * 1000 + file.sampleRate() / 2) / file.sampleRate());
    // MP4 states its real end in the edit list, which a plain decode ignores.
    EXPECT_LE(length, reference.frames());
    if (!QString::fromLatin1(GetParam()).endsWith(QLatin1String(".m4a"))) {
        EXPECT_EQ(length, reference.frames());
    }
    ASSERT_GT(length, 0);
    EXPECT_EQ(maxDifference(all.constData(), reference.samples.constData(), length * channels), 0.0f);
}

INSTANTIATE_TEST_SUITE_P(Formats, ReaderLength,
                         ::testing::Values(".mp3", ".ogg", ".opus", ".flac", ".wav", ".m4a", ".aac", ".wma",
                                           ".wmv1.wma"));

// libvorbisfile's count (sox --i -s) is the length of an Ogg Vorbis file:
// from other encoders, with a comment header spanning pages, and with
// granule positions that do not begin at 0.
TEST(ReaderLength, OggVorbisIsAsLongAsLibvorbisfileCounts)
{
    TestFolder folder;
    const QString wav = folder.file(QStringLiteral("tone.wav"));
    writeAudioFile(wav, sineSpec(44100, 2, 145530));
    const QString plain = folder.file(QStringLiteral("oggenc.ogg"));
    const QString commented = folder.file(QStringLiteral("long-comment.ogg"));
    const QString ffmpeg = folder.file(QStringLiteral("ffmpeg.ogg"));
    ASSERT_EQ(RunTool(QStringLiteral("oggenc"), {"-Q", "-o", plain, wav}).exitCode, 0);
    const QString comment = QStringLiteral("comment=") + QString(70000, QLatin1Char('x'));
    ASSERT_EQ(RunTool(QStringLiteral("oggenc"), {"-Q", "-c", comment, "-o", commented, wav}).exitCode, 0);
    writeAudioFile(ffmpeg, sineSpec(22050, 1, 59535));
    const QString late = QStringLiteral(KORVEX_SOURCE_DIR "/tests/samples/vorbis-granules-begin-late.ogg");
    for (const QString &path : {plain, commented, ffmpeg, late}) {
        SCOPED_TRACE(path.toStdString());
        const ToolResult sox = RunTool(QStringLiteral("sox"), {"--i", "-s", path});
        ASSERT_EQ(sox.exitCode, 0) << sox.errors.toStdString();
        AudioFile file;
        file.openForRead(path, 0, 1);
        EXPECT_EQ(file.length(), sox.output.trimmed().toLongLong());
        EXPECT_EQ(readToEnd(file, 10000).size(), file.length() * file.channelCount());
    }
}

// A FLAC file cut short still says its whole length in its header; the
// length is what is left to decode.
TEST(ReaderLength, ACutFlacFileIsAsLongAsWhatStillDecodes)
{
    TestFolder folder;
    const QString whole = folder.file(QStringLiteral("whole.flac"));
    writeAudioFile(whole, noiseSpec(44100, 2, 44100 * 5));
    QFile source(whole);
    ASSERT_TRUE(source.open(QIODevice::ReadOnly));
    const QByteArray bytes = source.readAll();
    const QString cut = folder.file(QStringLiteral("cut.flac"));
    QFile target(cut);
    ASSERT_TRUE(target.open(QIODevice::WriteOnly));
    target.write(bytes.left(bytes.size() - 5000));
    target.close();

    const DecodedAudio left = decodeFile(cut);
    ASSERT_LT(left.frames(), 44100 * 5);
    AudioFile file;
    file.openForRead(cut, 0, 1);
    EXPECT_EQ(file.length(), left.frames());
    const QList<float> all = readToEnd(file, 10000);
    ASSERT_EQ(all.size(), left.samples.size());
    EXPECT_EQ(maxDifference(all.constData(), left.samples.constData(), all.size()), 0.0f);
}

TEST(ReaderLength, GaplessSourcesGiveBackTheFramesTheyWereMadeOf)
{
    TestFolder folder;
    for (const char *extension : {".mp3", ".ogg", ".flac", ".wav", ".m4a"}) {
        SCOPED_TRACE(extension);
        const QString path = folder.file(QStringLiteral("gapless") + QLatin1String(extension));
        writeAudioFile(path, noiseSpec(44100, 2, 123457));
        AudioFile file;
        file.openForRead(path);
        // FFmpeg's MP4 muxer writes the edit list in milliseconds.
        const qint64 tolerance = QLatin1String(extension) == QLatin1String(".m4a") ? 44 : 0;
        EXPECT_NEAR(file.length(), 123457, tolerance);
    }
}

// Seeks land on the very sample a straight decode has at that position.
class ReaderSeek : public ::testing::TestWithParam<const char *>
{
};

TEST_P(ReaderSeek, EverySeekMatchesTheStraightDecode)
{
    TestFolder folder;
    const QString path = makeSource(folder, QStringLiteral("seek") + QLatin1String(GetParam()), 2000);
    AudioFile file;
    file.openForRead(path);
    const qint64 length = file.length();
    const QList<float> straight = readToEnd(file, 44100);
    ASSERT_EQ(straight.size(), length * 2);

    std::mt19937 random(11);
    std::uniform_int_distribution<qint64> anywhere(0, length - 1);
    QList<qint64> targets{0, 1, 2047, 2048, 2049, length / 2, length / 2 + 500, length / 2 + 70000,
                          length / 3, 1152 * 10 + 1, length - 3000};
    for (int i = 0; i < 12; ++i)
        targets.append(anywhere(random));
    for (const qint64 target : targets) {
        SCOPED_TRACE(target);
        file.seek(target, 3);
        const SampleArray block = file.readBlock(1500);
        const qint64 expected = std::min<qint64>(1500, length - target);
        ASSERT_EQ(block.upperBound(), expected * 2);
        EXPECT_EQ(maxDifference(block.data(), straight.constData() + target * 2, expected * 2), 0.0f);
    }
}

INSTANTIATE_TEST_SUITE_P(Formats, ReaderSeek, ::testing::Values(".wma", ".mp3", ".ogg", ".flac"));

TEST(ReaderSeek, SeekToTheCurrentPositionContinuesTheStream)
{
    TestFolder folder;
    const QString path = makeSource(folder, QStringLiteral("here.mp3"));
    AudioFile file;
    file.openForRead(path);
    const QList<float> straight = readToEnd(file, 4000);
    file.seek(0, 3);
    SampleArray first = file.readBlock(3000);
    file.seek(3000, 3);
    const SampleArray second = file.readBlock(3000);
    first.samples().append(second.samples());
    EXPECT_EQ(maxDifference(first.data(), straight.constData(), 12000), 0.0f);
}

// Decoded frames go straight into the block being read when they fit and
// wait for the next read when they do not: blocks smaller than a codec frame,
// ending inside one or spanning many give the straight decode between them,
// whatever the codec's frame size.
TEST(ReaderBlocks, BlocksOfAnySizeTogetherGiveTheStraightDecode)
{
    TestFolder folder;
    for (const char *name : {"blocks.mp3", "blocks.ogg", "blocks.wma"}) {
        SCOPED_TRACE(name);
        const QString path = makeSource(folder, QString::fromLatin1(name), 250);
        AudioFile file;
        file.openForRead(path);
        const QList<float> straight = readToEnd(file, file.length());
        file.seek(0, 3);
        QList<float> pieced;
        const qint64 sizes[] = {1, 1151, 1153, 2048, 7, 100000, 4095, 4097, 33333};
        for (int k = 0;; ++k) {
            const SampleArray block = file.readBlock(sizes[k % std::size(sizes)]);
            if (block.upperBound() < 1)
                break;
            EXPECT_LE(block.upperBound(), sizes[k % std::size(sizes)] * 2);
            pieced.append(block.samples());
        }
        ASSERT_EQ(pieced.size(), straight.size());
        EXPECT_EQ(maxDifference(pieced.constData(), straight.constData(), straight.size()), 0.0f);
    }
}

// A caller that keeps its blocks (a writer's encoders read them later) gets
// them filled past the cache; they must hold the same samples, and none may
// change while it keeps them.
TEST(ReaderBlocks, BlocksTheCallerKeepsHoldTheStraightDecodeAndStayUnchanged)
{
    TestFolder folder;
    const QString stereo = makeSource(folder, QStringLiteral("kept.mp3"), 300);
    const QString mono = folder.file(QStringLiteral("kept-mono.mp3"));
    writeAudioFile(mono, noiseSpec(44100, 1, 44100 * 2));
    for (const QString &path : {stereo, mono}) {
        SCOPED_TRACE(path.toStdString());
        AudioFile file;
        file.openForRead(path);
        const QList<float> straight = readToEnd(file, 44100);
        file.seek(0, 3);
        QList<SampleArray> kept;
        QList<QList<float>> copies;
        for (;;) {
            SampleArray block = file.readBlock(20000);
            if (block.upperBound() < 1)
                break;
            copies.append(QList<float>(block.samples().cbegin(), block.samples().cend()));
            kept.append(std::move(block));
        }
        ASSERT_GT(kept.size(), 2);
        QList<float> pieced;
        for (qsizetype k = 0; k < kept.size(); ++k) {
            ASSERT_EQ(kept[k].samples(), copies[k]) << "block " << k << " changed while it was kept";
            pieced.append(kept[k].samples());
        }
        ASSERT_EQ(pieced.size(), straight.size());
        EXPECT_EQ(maxDifference(pieced.constData(), straight.constData(), straight.size()), 0.0f);
    }
}

TEST(ReaderEnd, ReadsAtAndPastTheEndAreEmpty)
{
    TestFolder folder;
    const QString path = makeSource(folder, QStringLiteral("end.flac"));
    AudioFile file;
    file.openForRead(path);
    readToEnd(file, 50000);
    EXPECT_EQ(file.readBlock(1000).upperBound(), 0);
    file.seek(file.length() + 100000, 3);
    EXPECT_EQ(file.readBlock(1000).upperBound(), 0);
    file.seek(0, 3);
    EXPECT_EQ(file.readBlock(0).upperBound(), 0);
    EXPECT_EQ(file.readBlock(10).upperBound(), 20);
}

// The join runs read 22.05 kHz mono entries as 44.1 kHz stereo.
TEST(ReaderFormat, HalfRateMonoDeliveredAtFullRateStereoGivesTwiceTheFrames)
{
    TestFolder folder;
    const QString path = folder.file(QStringLiteral("mono22.wav"));
    const AudioSpec tone = sineSpec(22050, 1, 66150, 441.0);
    writeAudioFile(path, tone);

    AudioFile file;
    file.openForRead(path);
    ASSERT_EQ(file.length(), 66150);
    file.setDataFormat(44100, 2);
    QList<float> all;
    qint64 consumed = 0;
    while (true) {
        const SampleArray block = file.readBlock(22050);
        if (block.isEmpty())
            break;
        consumed += 22050;
        // Every block but the last holds exactly twice the frames it consumed.
        if (consumed < 66150) {
            EXPECT_EQ(block.frameCount(2), 44100);
        }
        all.append(block.samples());
    }
    EXPECT_EQ(all.size() / 2, 132300);
    // Both sides carry the mono signal at its own level, in time with it.
    AudioSpec twice = tone;
    twice.sampleRate = 44100;
    twice.frames = 132300;
    const QList<float> expected = generateSamples(twice);
    EXPECT_EQ(bestLag(expected, 1, all, 2, 40, 40000), 0);
    float worst = 0.0f;
    for (qint64 f = 200; f < 132000; ++f) {
        worst = std::max(worst, std::fabs(all[f * 2] - expected[f]));
        ASSERT_EQ(all[f * 2], all[f * 2 + 1]);
    }
    EXPECT_LT(worst, 0.01f);
}

TEST(ReaderFormat, SeekWithAConversionStaysInTime)
{
    TestFolder folder;
    const QString path = folder.file(QStringLiteral("rate.flac"));
    writeAudioFile(path, noiseSpec(48000, 2, 48000 * 3));
    AudioFile file;
    file.openForRead(path);
    file.setDataFormat(44100, 2);
    const QList<float> straight = readToEnd(file, 48000);
    file.seek(96000, 3);
    const SampleArray block = file.readBlock(24000);
    // 96000 source frames are 88200 output frames; away from the restart
    // edge the resampled audio is the same.
    const qint64 at = 88200;
    EXPECT_EQ(block.frameCount(2), 22050);
    EXPECT_LT(maxDifference(block.data() + 200 * 2, straight.constData() + (at + 200) * 2, 20000 * 2), 1e-4f);
}

TEST(ReaderFormat, EachOpenStartsInTheFilesOwnFormat)
{
    TestFolder folder;
    const QString first = makeSource(folder, QStringLiteral("a.wav"));
    const QString second = folder.file(QStringLiteral("b.wav"));
    writeAudioFile(second, noiseSpec(22050, 1, 22050));
    AudioFile file;
    file.openForRead(first);
    file.setDataFormat(22050, 1);
    file.close();
    file.openForRead(second);
    EXPECT_EQ(file.readBlock(1000).upperBound(), 1000);
    file.close();
    file.openForRead(first);
    EXPECT_EQ(file.readBlock(1000).upperBound(), 2000);
}

} // namespace

// A reader opened for a Play click starts where it is asked at once: the
// measurement hands the demuxer where the packets lie (MP3 has no index of
// its own), and what it delivers from there is the straight decode still.
TEST(ReaderSeek, AFreshReaderStartsInTheMiddleWithTheStraightDecode)
{
    TestFolder folder;
    for (const char *name : {"fresh.mp3", "fresh.aac", "fresh.flac"}) {
        SCOPED_TRACE(name);
        const QString path = makeSource(folder, QString::fromLatin1(name), 6000);
        const SourceLength measured = measureSource(path);
        if (QLatin1String(name).endsWith(QLatin1String(".mp3"))) {
            ASSERT_TRUE(measured.seekIndex);
            const auto &index = *measured.seekIndex;
            EXPECT_GT(index.size(), 60u) << "a point every half second or so";
            EXPECT_TRUE(std::is_sorted(index.cbegin(), index.cend(),
                                       [](const auto &a, const auto &b) { return a.dts < b.dts && a.pos < b.pos; }));
        }
        AudioFile straightFile;
        straightFile.openForRead(path);
        const qint64 length = straightFile.length();
        const QList<float> straight = readToEnd(straightFile, 44100);
        for (const qint64 target : {length / 2, length / 2 + 1151, length - 5000, qint64(1152 * 3 + 7), qint64(1)}) {
            SCOPED_TRACE(target);
            AudioFile fresh;
            fresh.openForRead(path);
            fresh.seek(target, 3);
            const SampleArray block = fresh.readBlock(3000);
            const qint64 expected = std::min<qint64>(3000, length - target);
            ASSERT_EQ(block.upperBound(), expected * 2);
            EXPECT_EQ(maxDifference(block.data(), straight.constData() + target * 2, expected * 2), 0.0f);
        }
    }
}
