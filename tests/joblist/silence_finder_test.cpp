#include "components/AudioFile.h"
#include "joblist/Scale.h"
#include "joblist/SilenceFinder.h"
#include "settings/SettingsFile.h"
#include "settings/SilenceSettings.h"
#include "support/TempDir.h"
#include "support/TonesAndPauses.h"

#include <QFile>
#include <gtest/gtest.h>

using namespace korvex;
using namespace korvex::test;

namespace {

class SilenceFinderTest : public ::testing::Test
{
protected:
    std::optional<QList<Segment>> find(const QString &path, const SilenceSettings &settings = {},
                                       const SilenceFinder::Progress &progress = {})
    {
        SilenceFinder finder(m_reader);
        return finder.find(path, settings, progress);
    }

    TestFolder m_folder;
    AudioFile m_reader;
};

QList<Segment> ms(std::initializer_list<std::pair<qint64, qint64>> pairs)
{
    QList<Segment> list;
    for (const auto &[begin, end] : pairs)
        list.append({begin, end});
    return list;
}

// The pieces lie within `tolerance` ms of the expected ones (the level gate
// sees 10 ms windows; a lossy codec smears an onset a little more), and the
// first begins at 0 and the last ends at `endMs` exactly.
void expectPiecesNear(const QList<Segment> &found, const QList<Segment> &expected, qint64 endMs,
                      qint64 tolerance)
{
    ASSERT_EQ(found.size(), expected.size());
    for (qsizetype k = 0; k < found.size(); ++k) {
        EXPECT_NEAR(double(found[k].Begin), double(expected[k].Begin), double(tolerance)) << "piece " << k;
        EXPECT_NEAR(double(found[k].End), double(expected[k].End), double(tolerance)) << "piece " << k;
        if (k > 0) {
            EXPECT_EQ(found[k].Begin, found[k - 1].End) << "nothing between pieces " << k - 1 << " and " << k;
        }
    }
    EXPECT_EQ(found.front().Begin, 0);
    EXPECT_EQ(found.back().End, endMs);
}

} // namespace

TEST_F(SilenceFinderTest, FiveTonesGiveFivePiecesCutInTheMiddleOfEachPause)
{
    const QString path = m_folder.file("talk.flac");
    writeTonesOverFloor(path, 25.0, fiveTonesWithPauses());
    const auto found = find(path);
    ASSERT_TRUE(found.has_value());
    expectPiecesNear(*found, ms({{0, 4000}, {4000, 9000}, {9000, 14000}, {14000, 19000}, {19000, 25000}}), 25000,
                     10);
    EXPECT_FALSE(m_reader.isOpen());

    // after a lossy codec, off the whole seconds
    const QString mp3 = m_folder.file("talk.mp3");
    writeTonesOverFloor(mp3, 25.0, fiveTonesWithPauses(0.5));
    const auto lossy = find(mp3);
    ASSERT_TRUE(lossy.has_value());
    AudioFile probe;
    probe.openForRead(mp3, 0, 1);
    const qint64 endMs = Scale64(probe.length(), 1000, probe.sampleRate());
    probe.close();
    expectPiecesNear(*lossy, ms({{0, 4500}, {4500, 9500}, {9500, 14500}, {14500, 19500}, {19500, endMs}}), endMs,
                     30);
}

TEST_F(SilenceFinderTest, OnlyPausesOfTheMinimumLengthCutAndTheThresholdDecides)
{
    const QString path = m_folder.file("breaths.wav");
    // pauses of 0.4 s and 1.2 s
    writeTonesOverFloor(path, 10.0, {{1.0, 3.0}, {3.4, 5.0}, {6.2, 8.0}});
    expectPiecesNear(find(path).value(), ms({{0, 5600}, {5600, 10000}}), 10000, 10);
    // 0.3 s cuts at the short pause too, which whole seconds used to lose
    expectPiecesNear(find(path, {-40, 300}).value(), ms({{0, 3200}, {3200, 5600}, {5600, 10000}}), 10000, 10);
    expectPiecesNear(find(path, {-40, 1500}).value(), ms({{0, 10000}}), 10000, 0);
    // a threshold below the noise floor hears the floor as sound
    expectPiecesNear(find(path, {-80, 700}).value(), ms({{0, 10000}}), 10000, 0);
}

TEST_F(SilenceFinderTest, OffsetPutsTheCutAlongThePauseAndTrimLeavesPauseOut)
{
    const QString path = m_folder.file("two.flac");
    writeTonesOverFloor(path, 10.0, {{1.0, 3.0}, {5.0, 8.0}});
    expectPiecesNear(find(path, {-40, 700, 0.0, 0}).value(), ms({{0, 3000}, {3000, 10000}}), 10000, 10);
    expectPiecesNear(find(path, {-40, 700, 1.0, 0}).value(), ms({{0, 5000}, {5000, 10000}}), 10000, 10);
    expectPiecesNear(find(path, {-40, 700, 0.25, 0}).value(), ms({{0, 3500}, {3500, 10000}}), 10000, 10);
    // at most 0.5 s of pause on either side, the file's own silence included
    const QList<Segment> trimmed = find(path, {-40, 700, 0.5, 500}).value();
    ASSERT_EQ(trimmed.size(), 2);
    EXPECT_NEAR(double(trimmed[0].Begin), 500, 10);
    EXPECT_NEAR(double(trimmed[0].End), 3500, 10);
    EXPECT_NEAR(double(trimmed[1].Begin), 4500, 10);
    EXPECT_NEAR(double(trimmed[1].End), 8500, 10);
    // a trim longer than half the pause stops at the cut
    const QList<Segment> long_ = find(path, {-40, 700, 0.5, 1500}).value();
    EXPECT_NEAR(double(long_[0].End), 4000, 10);
    EXPECT_EQ(long_[1].Begin, long_[0].End);
}

TEST_F(SilenceFinderTest, AFileWithoutPauseIsOnePieceAndASilentFileNone)
{
    const QString loud = m_folder.file("loud.ogg");
    writeTonesOverFloor(loud, 7.5, {{0.0, 7.5}});
    // the whole file, its half second after the last whole one included
    EXPECT_EQ(find(loud).value(), ms({{0, 7500}}));

    const QString silent = m_folder.file("silent.flac");
    writeTonesOverFloor(silent, 4.0, {}, -200.0);
    EXPECT_TRUE(find(silent).value().isEmpty());
    const QString hiss = m_folder.file("hiss.flac");
    writeTonesOverFloor(hiss, 4.0, {}, -65.0);
    EXPECT_TRUE(find(hiss).value().isEmpty());
}

TEST_F(SilenceFinderTest, ProgressCountsFramesAndCanStopTheScan)
{
    const QString path = m_folder.file("long.flac");
    writeTonesOverFloor(path, 12.0, {{2.0, 9.0}});
    qint64 lastDone = 0;
    qint64 lastTotal = 0;
    int calls = 0;
    ASSERT_TRUE(find(path, {}, [&](qint64 done, qint64 total) {
                    EXPECT_GT(done, lastDone);
                    lastDone = done;
                    lastTotal = total;
                    ++calls;
                    return true;
                }).has_value());
    EXPECT_EQ(lastDone, 12 * 44100);
    EXPECT_EQ(lastTotal, 12 * 44100);
    EXPECT_GT(calls, 1);

    calls = 0;
    EXPECT_FALSE(find(path, {}, [&](qint64, qint64) { return ++calls < 2; }).has_value());
    EXPECT_EQ(calls, 2);
    EXPECT_FALSE(m_reader.isOpen());
}

TEST_F(SilenceFinderTest, AnUnreadableFileThrowsAndLeavesTheReaderClosed)
{
    const QString path = m_folder.file("not-audio.mp3");
    QFile file(path);
    ASSERT_TRUE(file.open(QIODevice::WriteOnly));
    file.write(QByteArray(5000, 'x'));
    file.close();
    EXPECT_ANY_THROW(find(path));
    EXPECT_FALSE(m_reader.isOpen());
}

TEST(PiecesFromStretches, NeverJoinStretchesAndCoverTheWholeFile)
{
    const int rate = 1000;
    // sound ending at 34.08 s and beginning again at 35.98 s, which whole
    // seconds once rounded into touching segments, stays two pieces
    EXPECT_EQ(PiecesFromStretches({{20000, 34080}, {35980, 40000}}, rate, 45000, {}),
              ms({{0, 35030}, {35030, 45000}}));
    EXPECT_EQ(PiecesFromStretches({{0, 3000}, {3010, 5000}}, rate, 10000, {}), ms({{0, 3005}, {3005, 10000}}));
    // frames become the nearest millisecond at any rate, past 2^31 frames too
    const qint64 hour29 = qint64(29) * 3600 * 48000;
    EXPECT_EQ(PiecesFromStretches({{0, hour29}, {hour29 + 48000, hour29 + 96000}}, 48000, hour29 + 144000, {}),
              ms({{0, qint64(29) * 3600000 + 500}, {qint64(29) * 3600000 + 500, qint64(29) * 3600000 + 3000}}));
    EXPECT_EQ(CutsBetween({{0, 100}, {300, 400}, {1000, 1100}}, 0.5), (QList<qint64>{200, 700}));
    EXPECT_TRUE(PiecesFromStretches({}, rate, 9000, {}).isEmpty());
    EXPECT_TRUE(PiecesFromStretches({{0, 10}}, 0, 9000, {}).isEmpty());
}

TEST(SilenceSettingsFile, DefaultsRoundTripAndClamping)
{
    TestFolder folder;
    SettingsFile file(folder.file("Korvex.ini"));
    EXPECT_EQ(ReadSilenceSettings(file), (SilenceSettings{-40, 700, 0.5, 0}));
    WriteSilenceSettings(file, {-55, 1200, 0.25, 300});
    EXPECT_EQ(ReadSilenceSettings(file), (SilenceSettings{-55, 1200, 0.25, 300}));
    EXPECT_EQ(file.readInteger("Silence", "Threshold", 0), -55);
    EXPECT_EQ(file.readInteger("Silence", "MinLength", 0), 1200);
    EXPECT_EQ(file.readString("Silence", "Offset", ""), "0.25");
    EXPECT_EQ(file.readInteger("Silence", "Trim", 0), 300);
    file.writeString("Silence", "Threshold", "12");
    file.writeString("Silence", "MinLength", "-5");
    file.writeString("Silence", "Offset", "1.7");
    file.writeString("Silence", "Trim", "-20");
    EXPECT_EQ(ReadSilenceSettings(file), (SilenceSettings{-1, 10, 1.0, 0}));
    file.writeString("Silence", "Offset", "half");
    EXPECT_EQ(ReadSilenceSettings(file).Offset, 0.5);

    // Adjust lives in [Function] in whole seconds
    WriteSilenceSettings(file, {-40, 700, 0.5, 0, 2600});
    EXPECT_EQ(file.readInteger("Function", "Adjust", 0), 3);
    EXPECT_EQ(ReadSilenceSettings(file).AdjustMs, 3000);
    file.writeString("Function", "Adjust", "-4");
    EXPECT_EQ(ReadSilenceSettings(file).AdjustMs, 0);
}
