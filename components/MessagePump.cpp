#include "components/MessagePump.h"

#include <QCoreApplication>
#include <QEvent>
#include <QThread>

#include <atomic>
#include <condition_variable>
#include <deque>
#include <exception>
#include <mutex>
#include <thread>

namespace korvex {

namespace {
MessagePumpHook &currentHook()
{
    static MessagePumpHook hook;
    return hook;
}

// The thread AnswerEventsDuring hands steps to, kept: a run hands over a
// step a block, and starting a thread for each would cost more than some of
// the steps. Steps run in the order given; one handed over from inside
// another's wait runs after it. Built on the standard library's locks, which
// ThreadSanitizer sees through.
class StepHelper
{
public:
    ~StepHelper()
    {
        {
            const std::lock_guard lock(m_mutex);
            m_stopping = true;
        }
        m_changed.notify_all();
        if (m_thread.joinable())
            m_thread.join();
    }

    void start(std::function<void()> step)
    {
        {
            const std::lock_guard lock(m_mutex);
            m_steps.push_back(std::move(step));
            if (!m_thread.joinable())
                m_thread = std::thread([this] { work(); });
        }
        m_changed.notify_all();
    }

private:
    void work()
    {
        std::unique_lock lock(m_mutex);
        for (;;) {
            m_changed.wait(lock, [this] { return m_stopping || !m_steps.empty(); });
            if (m_steps.empty())
                return;
            std::function<void()> step = std::move(m_steps.front());
            m_steps.pop_front();
            lock.unlock();
            step();
            lock.lock();
        }
    }

    std::mutex m_mutex;
    std::condition_variable m_changed;
    std::deque<std::function<void()>> m_steps;
    bool m_stopping = false;
    std::thread m_thread;
};

StepHelper &helper()
{
    static StepHelper instance;
    return instance;
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
    helper().start([&work, &failure, &done, application] {
        try {
            work();
        } catch (...) {
            failure = std::current_exception();
        }
        done.store(true, std::memory_order_release);
        // wakes the wait below, which sleeps until an event comes; the
        // application object ignores it
        QCoreApplication::postEvent(application, new QEvent(QEvent::User));
    });
    while (!done.load(std::memory_order_acquire))
        QCoreApplication::processEvents(QEventLoop::AllEvents | QEventLoop::WaitForMoreEvents);
    if (failure)
        std::rethrow_exception(failure);
}

} // namespace korvex
