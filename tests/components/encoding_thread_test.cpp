#include "components/EncodingThread.h"
#include "components/KorvexError.h"

#include <gtest/gtest.h>

using namespace korvex;

namespace {

EncodingThread::Block blockOf(float first, int rate = 44100)
{
    return {{first, first + 1}, rate, 2};
}

// Each mode works on every block, in the order handed over, and only then
// lets finish() return.
TEST(EncodingThread, WorksOnEveryBlockInOrderBeforeFinishReturns)
{
    for (const bool threaded : {true, false}) {
        SCOPED_TRACE(threaded ? "own thread" : "in caller");
        std::vector<float> seen;
        std::vector<int> rates;
        EncodingThread thread([&](EncodingThread::Block &block) {
            seen.insert(seen.end(), block.samples.begin(), block.samples.end());
            rates.push_back(block.rate);
        }, threaded, 2);
        for (int i = 0; i < 50; ++i)
            thread.hand(blockOf(float(i * 2), i < 25 ? 44100 : 22050));
        thread.finish();
        ASSERT_EQ(seen.size(), 100u);
        for (size_t i = 0; i < seen.size(); ++i)
            EXPECT_EQ(seen[i], float(i));
        EXPECT_EQ(rates.front(), 44100);
        EXPECT_EQ(rates.back(), 22050);
        EXPECT_EQ(thread.threaded(), threaded);
        // the memory of blocks worked on comes back to be filled again
        EXPECT_GE(thread.spareSamples().capacity(), 2u);
    }
}

// A failure on the thread ends its work there: the owner hears of it from
// its next call, and no block after the failing one is worked on.
TEST(EncodingThread, AFailureIsThrownToTheOwnerAndEndsTheWork)
{
    for (const bool threaded : {true, false}) {
        SCOPED_TRACE(threaded ? "own thread" : "in caller");
        int worked = 0;
        EncodingThread thread([&](EncodingThread::Block &block) {
            if (block.samples.front() >= 6)
                throw KorvexError(QStringLiteral("The disk is full."));
            ++worked;
        }, threaded, 1);
        QString heard;
        int handed = 0;
        try {
            for (; handed < 1000; ++handed)
                thread.hand(blockOf(float(handed * 2)));
            thread.finish();
        } catch (const KorvexError &error) {
            heard = error.text();
        }
        EXPECT_EQ(heard, QStringLiteral("The disk is full."));
        EXPECT_EQ(worked, 3);
        EXPECT_LT(handed, 1000);
        // and every later call says so again
        EXPECT_THROW(thread.finish(), KorvexError);
        EXPECT_THROW(thread.hand(blockOf(0)), KorvexError);
    }
}

} // namespace
