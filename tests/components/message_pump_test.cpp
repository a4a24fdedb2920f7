#include "components/MessagePump.h"

#include "components/KorvexError.h"

#include <QCoreApplication>
#include <QSemaphore>
#include <QThread>
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

// A run's slow steps go to a helper thread while the window answers events.
TEST(MessagePump, AStepHandedAsideLetsEventsThroughAndGivesBackWhatItThrows)
{
    QSemaphore eventSeen;
    QTimer::singleShot(0, [&] { eventSeen.release(); });
    Qt::HANDLE stepThread = nullptr;
    bool sawEvent = false;
    AnswerEventsDuring([&] {
        stepThread = QThread::currentThreadId();
        // only an event processed meanwhile on the calling thread releases this
        sawEvent = eventSeen.tryAcquire(1, 60000);
    });
    EXPECT_TRUE(sawEvent);
    EXPECT_NE(stepThread, QThread::currentThreadId());

    EXPECT_THROW(AnswerEventsDuring([] { throw KorvexError(QStringLiteral("disk full")); }), KorvexError);
    int done = 0;
    AnswerEventsDuring([&] { ++done; });
    EXPECT_EQ(done, 1) << "a failed step leaves the helpers usable";
}

// korvex-cli and tests that step a run by hand get their hook between steps
// only, and every step on their own thread.
TEST(MessagePump, WithAHookTheStepRunsInPlace)
{
    int calls = 0;
    auto previous = SetMessagePumpHook([&] { ++calls; });
    Qt::HANDLE stepThread = nullptr;
    AnswerEventsDuring([&] { stepThread = QThread::currentThreadId(); });
    SetMessagePumpHook(previous);
    EXPECT_EQ(stepThread, QThread::currentThreadId());
    EXPECT_EQ(calls, 0);
}
