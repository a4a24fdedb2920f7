#include "components/SerialWorker.h"

#include <cassert>

namespace korvex {

SerialWorker::~SerialWorker()
{
    {
        std::lock_guard lock(m_mutex);
        m_stopping = true;
    }
    m_changed.notify_all();
    if (m_thread.joinable())
        m_thread.join();
}

void SerialWorker::post(std::function<void()> job)
{
    {
        std::lock_guard lock(m_mutex);
        m_jobs.push_back(std::move(job));
        if (!m_thread.joinable())
            m_thread = std::thread(&SerialWorker::run, this);
    }
    m_changed.notify_all();
}

void SerialWorker::waitUntilIdle()
{
    std::unique_lock lock(m_mutex);
    // A job that waited for its own worker would wait forever.
    assert(std::this_thread::get_id() != m_thread.get_id());
    m_changed.wait(lock, [this] { return m_jobs.empty() && !m_busy; });
}

bool SerialWorker::idle() const
{
    std::lock_guard lock(m_mutex);
    return m_jobs.empty() && !m_busy;
}

void SerialWorker::run()
{
    std::unique_lock lock(m_mutex);
    for (;;) {
        m_changed.wait(lock, [this] { return !m_jobs.empty() || m_stopping; });
        if (m_jobs.empty())
            return;
        std::function<void()> job = std::move(m_jobs.front());
        m_jobs.pop_front();
        m_busy = true;
        lock.unlock();
        job();
        job = nullptr;  // what the job holds goes on this thread, before it counts as done
        lock.lock();
        m_busy = false;
        m_changed.notify_all();
    }
}

} // namespace korvex
