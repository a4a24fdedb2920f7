#include "components/SerialWorker.h"

#include <gtest/gtest.h>

#include <atomic>
#include <future>
#include <thread>
#include <vector>

using namespace korvex;

// The jobs share a vector without a lock of their own: the worker's promise
// that one runs at a time is what keeps it whole (ThreadSanitizer checks
// that in `make tsan`).
TEST(SerialWorker, RunsTheJobsOfEveryThreadOneAtATimeInTheOrderEachHandedThemIn)
{
    SerialWorker worker;
    std::vector<int> done;
    std::atomic<int> running{0};
    std::atomic<int> overlaps{0};
    const auto postRange = [&](int first) {
        for (int i = first; i < first + 200; ++i) {
            worker.post([&, i] {
                if (running.fetch_add(1) != 0)
                    ++overlaps;
                done.push_back(i);
                running.fetch_sub(1);
            });
        }
    };
    std::thread other(postRange, 1000);
    postRange(0);
    other.join();
    worker.waitUntilIdle();
    EXPECT_EQ(overlaps, 0);
    ASSERT_EQ(done.size(), 400u);
    std::vector<int> mine;
    std::vector<int> others;
    for (const int i : done)
        (i < 1000 ? mine : others).push_back(i);
    ASSERT_EQ(mine.size(), 200u);
    ASSERT_EQ(others.size(), 200u);
    for (int i = 0; i < 200; ++i) {
        EXPECT_EQ(mine[size_t(i)], i);
        EXPECT_EQ(others[size_t(i)], 1000 + i);
    }
}

// How the sound session uses it: a probe running on the worker hands in the
// close of the device it opened, and whoever waits for the worker waits for
// that close too.
TEST(SerialWorker, WaitingCoversTheJobsThatJobsHandIn)
{
    SerialWorker worker;
    std::promise<void> probing;
    std::promise<void> gate;
    std::shared_future<void> opened = gate.get_future().share();
    bool closed = false;
    worker.post([&] {
        probing.set_value();
        opened.wait();
        worker.post([&] { closed = true; });
    });
    probing.get_future().wait();
    // Running, with nothing queued behind it: still busy.
    EXPECT_FALSE(worker.idle());
    gate.set_value();
    worker.waitUntilIdle();
    EXPECT_TRUE(closed);
    EXPECT_TRUE(worker.idle());
}

TEST(SerialWorker, GoesOnlyAfterEveryJobHandedInHasRun)
{
    std::promise<void> gate;
    std::shared_future<void> released = gate.get_future().share();
    std::vector<int> done;
    {
        SerialWorker worker;
        worker.post([&] {
            released.wait();
            done.push_back(1);
        });
        worker.post([&] { done.push_back(2); });
        worker.post([&] { done.push_back(3); });
        gate.set_value();
    }
    EXPECT_EQ(done, (std::vector<int>{1, 2, 3}));
}
