// What the player is handed after a seek is the file itself from there: the
// same frames, in the same order, as a straight decode with FFmpeg's own
// libraries, for the codecs whose seeking is hard (WMA's coarse timestamps,
// MP3's bit reservoir).
#include "player/PlayerFixture.h"

#include "joblist/Scale.h"

using namespace korvex;
using namespace korvex::test;

namespace {

constexpr int Rate = 44100;
constexpr int Seconds = 320;

class SeekExactnessRealTime : public PlayerTest, public ::testing::WithParamInterface<const char *>
{
protected:
    // The block the player was handed `index`-th, against the straight
    // decode from the frame where it says it starts.
    void expectStraightFrom(qint64 expectedFirst, qsizetype index)
    {
        ASSERT_LT(index, queued.size());
        const Queued &block = queued.at(index);
        EXPECT_EQ(block.firstFrame, expectedFirst);
        ASSERT_GT(block.block.frameCount(1), 0);
        ASSERT_LE(expectedFirst + block.block.frameCount(1), m_straight.frames());
        EXPECT_EQ(maxDifference(block.block.data(), m_straight.samples.constData() + expectedFirst,
                                block.block.upperBound()),
                  0.0f);
    }

    DecodedAudio m_straight;
};

TEST_P(SeekExactnessRealTime, BlocksAfterASeekToFiveMinutesAreTheStraightDecodeFromThere)
{
    const QString path = m_folder.file(QStringLiteral("long") + QLatin1String(GetParam()));
    writeAudioFile(path, noiseSpec(Rate, 1, qint64(Seconds) * Rate));
    m_straight = decodeFile(path);
    add({path});
    clickFile(0);
    const int length = int(m_straight.frames());
    const int max = positionMax();
    const int fiveMinutes = Scale(300, max, Seconds);

    // a drag while playing
    preview().Play();
    ASSERT_TRUE(state().Playing);
    ASSERT_TRUE(waitForBlocks(1));
    expectStraightFrom(0, 0);
    ASSERT_TRUE(waitForTicks(1));
    pressSlider();
    moveSlider(fiveMinutes);
    const qsizetype before = queued.size();
    releaseSlider();
    ASSERT_TRUE(waitFor([&] { return queued.size() > before; }));
    const qint64 target = Scale(fiveMinutes, length, max);
    EXPECT_NEAR(double(target) / Rate, 300.0, 0.5);
    expectStraightFrom(target, before);

    // and back, to a point that is on no codec frame's edge
    pressSlider();
    moveSlider(fiveMinutes / 3);
    const qsizetype again = queued.size();
    releaseSlider();
    ASSERT_TRUE(waitFor([&] { return queued.size() > again; }));
    expectStraightFrom(Scale(fiveMinutes / 3, length, max), again);

    // a start from the slider's position
    preview().StopPlayback();
    setSlider(fiveMinutes + 1);
    const qsizetype stopped = queued.size();
    preview().Play();
    ASSERT_TRUE(waitForBlocks(stopped + 1));
    expectStraightFrom(Scale(fiveMinutes + 1, length, max), stopped);
    EXPECT_TRUE(m_seams.messages.errors.isEmpty()) << qPrintable(m_seams.messages.errors.join('\n'));
}

INSTANTIATE_TEST_SUITE_P(Codecs, SeekExactnessRealTime, ::testing::Values(".wma", ".mp3"));

} // namespace
