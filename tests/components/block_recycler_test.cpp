#include "components/BlockRecycler.h"

#include <gtest/gtest.h>

using namespace korvex;

namespace {

QList<float> filledWith(BlockRecycler &blocks, qsizetype size, float value)
{
    QList<float> &block = blocks.take(size);
    std::fill(block.begin(), block.end(), value);
    return block;  // the copy handed out
}

} // namespace

// A block handed out is never written again while anyone holds a copy: a
// writer's encoders read it on other threads long after the reader moved on.
TEST(BlockRecycler, NeverFillsABlockSomeoneStillHolds)
{
    BlockRecycler blocks(4);
    QList<QList<float>> held;
    for (int i = 0; i < 10; ++i)
        held.append(filledWith(blocks, 1000, float(i)));
    for (int i = 0; i < 10; ++i) {
        SCOPED_TRACE(i);
        ASSERT_EQ(held[i].size(), 1000);
        EXPECT_EQ(held[i].first(), float(i));
        EXPECT_EQ(held[i].last(), float(i));
    }
}

TEST(BlockRecycler, FillsTheSameMemoryAgainOnceEveryCopyIsLetGo)
{
    BlockRecycler blocks(4);
    QList<float> first = filledWith(blocks, 1000, 1.0f);
    const float *memory = first.constData();
    QList<float> second = first;  // a writer's copy
    first = {};
    EXPECT_NE(blocks.take(1000).constData(), memory) << "a copy was still held";
    EXPECT_EQ(blocks.heldElsewhere(), 1u);
    second = {};
    EXPECT_EQ(blocks.take(1000).constData(), memory);
    EXPECT_EQ(blocks.heldElsewhere(), 0u);
}

TEST(BlockRecycler, TakesTheBlockThatRestedLongestAndFollowsTheSizeAsked)
{
    BlockRecycler blocks(3);
    QList<QList<float>> out{filledWith(blocks, 500, 1.0f), filledWith(blocks, 500, 2.0f),
                            filledWith(blocks, 500, 3.0f)};
    const float *a = out[0].constData();
    const float *b = out[1].constData();
    const float *c = out[2].constData();
    EXPECT_TRUE(a != b && b != c && a != c);
    out[1] = {};
    EXPECT_EQ(blocks.take(500).constData(), b);
    out.clear();
    // All three are free now: after b they come round in the order they were made.
    EXPECT_EQ(blocks.take(500).constData(), c);
    EXPECT_EQ(blocks.take(200).constData(), a);
    EXPECT_EQ(blocks.take(200).size(), 200);
    EXPECT_EQ(blocks.take(800).size(), 800);
}

// With every kept block out, a block is made that is not kept: the memory
// held stays bounded however long the holders keep theirs.
TEST(BlockRecycler, KeepsNoMoreBlocksThanItWasToldAndStillHandsOutFreshOnes)
{
    BlockRecycler blocks(2);
    QList<float> one = filledWith(blocks, 100, 1.0f);
    QList<float> two = filledWith(blocks, 100, 2.0f);
    QList<float> three = filledWith(blocks, 100, 3.0f);
    QList<float> four = filledWith(blocks, 100, 4.0f);
    EXPECT_EQ(one.first(), 1.0f);
    EXPECT_EQ(two.first(), 2.0f);
    EXPECT_EQ(three.first(), 3.0f);
    EXPECT_EQ(four.first(), 4.0f);
    EXPECT_NE(three.constData(), four.constData());
}
