#include "engine/EngineFixture.h"
#include "engine/RunProgress.h"

using namespace korvex;
using namespace korvex::test;

namespace {

class ConvertBarTest : public EngineTest
{
protected:
    ConvertBarTest()
    {
        bench().skin.setRect(QStringLiteral("convertpb"), QRect(10, 20, 335, 8));
        bench().progress.bind();
    }
    int widthAfter(int value)
    {
        bench().control.ShowConvertProgress(value);
        return bench().skin.rect(QStringLiteral("convertpb")).width();
    }
};

TEST_F(ConvertBarTest, WidthFollowsProgressAndAFullBarIsShownEmpty)
{
    EXPECT_EQ(widthAfter(5000), 168);  // 167.5 rounds up
    EXPECT_EQ(widthAfter(9999), 335);
    EXPECT_EQ(widthAfter(10000), 0);
    EXPECT_EQ(widthAfter(1), 0);
    EXPECT_EQ(bench().skin.rect(QStringLiteral("convertpb")).left(), 10);
}

TEST_F(ConvertBarTest, AnOverfullBarIsDrawnOnlyWithTheSkinFlag)
{
    EXPECT_EQ(widthAfter(5000), 168);
    EXPECT_EQ(widthAfter(10100), 168);  // 338 is wider than the bar: unchanged
    settings().SkinFlag = true;
    EXPECT_EQ(widthAfter(10100), 338);
}

TEST_F(ConvertBarTest, StopConversionClearsTheFlagAndTheBar)
{
    widthAfter(4000);
    bench().run.Converting = true;
    bench().control.Stop();
    EXPECT_FALSE(bench().run.Converting);
    EXPECT_EQ(bench().skin.rect(QStringLiteral("convertpb")).width(), 0);
}

TEST_F(ConvertBarTest, StopAsksThePlayerToStopFirst)
{
    int playerStops = 0;
    QObject::connect(&bench().control, &RunControl::stopPlaybackRequested, [&] { ++playerStops; });
    bench().control.Stop();
    EXPECT_EQ(playerStops, 0);
    bench().player.Playing = true;
    bench().control.Stop();
    EXPECT_EQ(playerStops, 1);
}

} // namespace

// A join of many long files counts more frames than an int holds; its
// progress is still the share of the whole output.
TEST_F(ConvertBarTest, ProgressOfMoreFramesThanAnIntHolds)
{
    RunProgress progress(bench().context);
    const qint64 total = qint64(4) * 1000 * 1000 * 1000;  // about 25 hours at 44.1 kHz
    progress.showFrames(total * 3 / 4, total);
    EXPECT_EQ(bench().skin.text(QStringLiteral("pbpos")), QStringLiteral("75%"));
    EXPECT_EQ(bench().skin.rect(QStringLiteral("convertpb")).width(), 251);  // 335 × 0.75 = 251.25
    progress.showFrames(total - 1, total);
    EXPECT_EQ(bench().skin.text(QStringLiteral("pbpos")), QStringLiteral("100%"));
    progress.showFrames(1, 3);  // 33.33 %: the same rounding as for short runs
    EXPECT_EQ(bench().skin.text(QStringLiteral("pbpos")), QStringLiteral("33%"));
    EXPECT_EQ(bench().skin.rect(QStringLiteral("convertpb")).width(), 112);
}
