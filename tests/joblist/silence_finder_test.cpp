#include "components/AudioFile.h"
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

QList<Segment> segments(std::initializer_list<std::pair<int, int>> pairs)
{
    QList<Segment> list;
    for (const auto &[begin, end] : pairs)
        list.append({begin, end});
    return list;
}

} // namespace

TEST_F(SilenceFinderTest, FiveTonesOverANoiseFloorGiveExactlyFiveSegments)
{
    const QString path = m_folder.file("talk.flac");
    writeTonesOverFloor(path, 25.0, fiveTonesWithPauses());
    const auto found = find(path);
    ASSERT_TRUE(found.has_value());
    EXPECT_EQ(*found, segments({{0, 3}, {5, 8}, {10, 13}, {15, 18}, {20, 23}}));
    EXPECT_FALSE(m_reader.isOpen());
}

TEST_F(SilenceFinderTest, BeginsRoundDownAndEndsRoundUpAfterALossyCodec)
{
    // MP3 smears each onset a little; the tones lie half a second off the
    // whole seconds so that the rounding, not the smear, decides.
    const QString path = m_folder.file("talk.mp3");
    writeTonesOverFloor(path, 25.0, fiveTonesWithPauses(0.5));
    const auto found = find(path);
    ASSERT_TRUE(found.has_value());
    EXPECT_EQ(*found, segments({{0, 4}, {5, 9}, {10, 14}, {15, 19}, {20, 24}}));
}

TEST_F(SilenceFinderTest, PausesShorterThanTheMinimumAndTheThresholdDecide)
{
    const QString path = m_folder.file("breaths.wav");
    // pauses of 0.4 s and 1.2 s
    writeTonesOverFloor(path, 10.0, {{1.0, 3.0}, {3.4, 5.0}, {6.2, 8.0}});
    EXPECT_EQ(find(path).value(), segments({{1, 5}, {6, 8}}));
    // 0.3 s splits at the short pause, but 1-3 and 3-5 touch after rounding
    EXPECT_EQ(find(path, {-40, 300}).value(), segments({{1, 5}, {6, 8}}));
    EXPECT_EQ(find(path, {-40, 1500}).value(), segments({{1, 8}}));
    // a threshold below the noise floor hears the floor as sound
    EXPECT_EQ(find(path, {-80, 700}).value(), segments({{0, 10}}));
}

TEST_F(SilenceFinderTest, AFileWithoutPauseIsOneSegmentAndASilentFileNone)
{
    const QString loud = m_folder.file("loud.ogg");
    writeTonesOverFloor(loud, 7.5, {{0.0, 7.5}});
    // the entry's Duration is 7 s: the end is kept within the file
    EXPECT_EQ(find(loud).value(), segments({{0, 7}}));

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

TEST(SegmentsFromStretches, RoundClampMergeAndDrop)
{
    const int rate = 1000;
    // [0.2, 2.4) → 0-3; [2.9, 4.0) rounds to 2-4 and overlaps: one segment
    EXPECT_EQ(SegmentsFromStretches({{200, 2400}, {2900, 4000}}, rate, 10, 700), segments({{0, 4}}));
    // exactly touching whole seconds: a pause shorter than the minimum
    EXPECT_EQ(SegmentsFromStretches({{0, 3000}, {3000, 5000}}, rate, 10, 700), segments({{0, 5}}));
    // a gap of one second is kept when the minimum is below it
    EXPECT_EQ(SegmentsFromStretches({{0, 3000}, {4000, 5000}}, rate, 10, 700), segments({{0, 3}, {4, 5}}));
    // past the Duration: cut, and a stretch that begins at its end is dropped
    EXPECT_EQ(SegmentsFromStretches({{0, 1500}, {9500, 9900}}, rate, 9, 300), segments({{0, 2}}));
    EXPECT_TRUE(SegmentsFromStretches({}, rate, 9, 700).isEmpty());
}

TEST(SilenceSettingsFile, DefaultsRoundTripAndClamping)
{
    TestFolder folder;
    SettingsFile file(folder.file("Korvex.ini"));
    EXPECT_EQ(ReadSilenceSettings(file), (SilenceSettings{-40, 700}));
    WriteSilenceSettings(file, {-55, 1200});
    EXPECT_EQ(ReadSilenceSettings(file), (SilenceSettings{-55, 1200}));
    EXPECT_EQ(file.readInteger("Silence", "Threshold", 0), -55);
    EXPECT_EQ(file.readInteger("Silence", "MinLength", 0), 1200);
    file.writeString("Silence", "Threshold", "12");
    file.writeString("Silence", "MinLength", "-5");
    EXPECT_EQ(ReadSilenceSettings(file), (SilenceSettings{-1, 10}));
}
