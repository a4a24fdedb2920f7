#include "components/MessagePump.h"

#include <QCoreApplication>
#include <QTimer>
#include <gtest/gtest.h>

using namespace korvex;

TEST(MessagePump, DeliversPendingEventsByDefault)
{
    bool fired = false;
    QTimer::singleShot(0, [&] { fired = true; });
    ProcessPendingMessages();
    EXPECT_TRUE(fired);
}

TEST(MessagePump, InstalledHookReplacesDefaultUntilRestored)
{
    int calls = 0;
    auto previous = SetMessagePumpHook([&] { ++calls; });
    bool fired = false;
    QTimer::singleShot(0, [&] { fired = true; });
    ProcessPendingMessages();
    EXPECT_EQ(calls, 1);
    EXPECT_FALSE(fired);

    SetMessagePumpHook(previous);
    ProcessPendingMessages();
    EXPECT_EQ(calls, 1);
    EXPECT_TRUE(fired);
}
