#include "components/MessagePump.h"

#include <QCoreApplication>
#include <QThread>
#include <QThreadPool>

#include <atomic>
#include <exception>

namespace korvex {

namespace {
MessagePumpHook &currentHook()
{
    static MessagePumpHook hook;
    return hook;
}

// Threads kept for AnswerEventsDuring: a run hands over a step a block, and
// starting a thread for each would cost more than some of the steps.
QThreadPool &helpers()
{
    static QThreadPool pool;
    return pool;
}
} // namespace

void ProcessPendingMessages()
{
    if (currentHook()) {
        currentHook()();
        return;
    }
    if (QCoreApplication::instance())
        QCoreApplication::processEvents();
}

MessagePumpHook SetMessagePumpHook(MessagePumpHook hook)
{
    return std::exchange(currentHook(), std::move(hook));
}

void AnswerEventsDuring(const std::function<void()> &work)
{
    QCoreApplication *application = QCoreApplication::instance();
    if (currentHook() || !application || QThread::currentThread() != application->thread()) {
        work();
        return;
    }
    std::atomic<bool> done{false};
    std::exception_ptr failure;
    // `application` by value: once `done` is set, this frame may be gone
    helpers().start([&work, &failure, &done, application] {
        try {
            work();
        } catch (...) {
            failure = std::current_exception();
        }
        done.store(true, std::memory_order_release);
        // wakes the wait below, which sleeps until an event comes
        QMetaObject::invokeMethod(application, [] {}, Qt::QueuedConnection);
    });
    while (!done.load(std::memory_order_acquire))
        QCoreApplication::processEvents(QEventLoop::AllEvents | QEventLoop::WaitForMoreEvents);
    if (failure)
        std::rethrow_exception(failure);
}

} // namespace korvex
