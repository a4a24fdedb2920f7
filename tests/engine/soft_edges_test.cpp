#include "components/SampleArray.h"
#include "engine/SoftEdges.h"

#include <gtest/gtest.h>

using namespace korvex;

namespace {

// A stretch of `frames` stereo frames of 1.0, ramped block by block.
QList<float> rampedInBlocks(qint64 frames, qint64 edge, qint64 blockFrames)
{
    QList<float> out;
    for (qint64 first = 0; first < frames; first += blockFrames) {
        const qint64 n = qMin(blockFrames, frames - first);
        SampleArray block(QList<float>(n * 2, 1.0f));
        ApplySoftEdges(block, 2, first, frames, edge);
        out.append(block.samples());
    }
    return out;
}

} // namespace

TEST(SoftEdges, RampUpAtTheStartAndDownAtTheEndWhateverTheBlocks)
{
    const QList<float> whole = rampedInBlocks(1000, 100, 1000);
    EXPECT_EQ(rampedInBlocks(1000, 100, 7), whole);
    EXPECT_EQ(rampedInBlocks(1000, 100, 64), whole);
    // both channels alike, near zero at the edges, rising one step a frame
    EXPECT_EQ(whole[0], whole[1]);
    EXPECT_LT(whole[0], 0.01f);
    EXPECT_LT(whole[2 * 999], 0.01f);
    EXPECT_NEAR(whole[2 * 50], 0.505f, 0.001f);
    EXPECT_NEAR(whole[2 * 949], 0.505f, 0.001f);
    for (qint64 f = 1; f < 100; ++f)
        EXPECT_GT(whole[2 * f], whole[2 * (f - 1)]);
    // untouched between the ramps
    for (qint64 f = 100; f < 900; ++f)
        ASSERT_EQ(whole[2 * f], 1.0f) << f;
}

TEST(SoftEdges, AShortStretchRampsToItsMiddleAndNoEdgeChangesNothing)
{
    const QList<float> brief = rampedInBlocks(50, 100, 16);
    EXPECT_LT(brief[0], 0.01f);
    EXPECT_LT(brief[2 * 49], 0.01f);
    EXPECT_NEAR(brief[2 * 24], brief[2 * 25], 1e-6f);
    EXPECT_LT(brief[2 * 25], 0.3f);
    EXPECT_EQ(rampedInBlocks(50, 0, 16), QList<float>(100, 1.0f));
}
