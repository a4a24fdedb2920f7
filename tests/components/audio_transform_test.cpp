#include "components/AudioTransform.h"
#include "components/KorvexError.h"

#include <gtest/gtest.h>

using namespace korvex;

namespace {

SampleArray ones(qsizetype frames, int channels)
{
    return SampleArray(QList<float>(frames * channels, 1.0f));
}

TEST(GainRamp, FadeInRisesLinearlyFromSilenceOnEveryChannel)
{
    AudioTransform transform;
    SampleArray block = ones(5, 2);
    transform.gainRamp(block, 2, 0.0f, 100.0f);
    const float expected[] = {0.0f, 0.25f, 0.5f, 0.75f, 1.0f};
    for (int f = 0; f < 5; ++f) {
        EXPECT_FLOAT_EQ(block.at1(2 * f + 1), expected[f]) << f;
        EXPECT_FLOAT_EQ(block.at1(2 * f + 2), expected[f]) << f;
    }
}

TEST(GainRamp, FadeOutEndsInSilenceAndScalesTheSignalNotReplacesIt)
{
    AudioTransform transform;
    SampleArray block(QList<float>{0.5f, -0.5f, 0.5f, -0.5f, 0.5f, -0.5f});
    transform.gainRamp(block, 1, 100.0f, 0.0f);
    EXPECT_FLOAT_EQ(block.at1(1), 0.5f);
    EXPECT_FLOAT_EQ(block.at1(2), -0.4f);
    EXPECT_FLOAT_EQ(block.at1(4), -0.2f);
    EXPECT_FLOAT_EQ(block.at1(6), 0.0f);
}

TEST(GainRamp, OneFrameTakesTheStartGainAndEmptyBlocksAreLeftAlone)
{
    AudioTransform transform;
    SampleArray single = ones(1, 2);
    transform.gainRamp(single, 2, 30.0f, 100.0f);
    EXPECT_FLOAT_EQ(single.at1(1), 0.3f);
    EXPECT_FLOAT_EQ(single.at1(2), 0.3f);
    SampleArray empty;
    transform.gainRamp(empty, 2, 0.0f, 100.0f);
    EXPECT_EQ(empty.upperBound(), 0);
    EXPECT_THROW(transform.gainRamp(single, 0, 0.0f, 100.0f), KorvexError);
}

} // namespace
