#pragma once

#include <condition_variable>
#include <deque>
#include <functional>
#include <mutex>
#include <thread>

namespace korvex {

// Runs jobs one after the other, in the order they were handed in, on a
// thread of its own that starts with the first job and ends with the worker.
// Any thread may hand in jobs and wait for them; a job may hand in more but
// never wait, and must not throw.
class SerialWorker
{
public:
    SerialWorker() = default;
    // Runs what was handed in, then ends the thread.
    ~SerialWorker();
    SerialWorker(const SerialWorker &) = delete;
    SerialWorker &operator=(const SerialWorker &) = delete;

    void post(std::function<void()> job);
    // Returns once no job waits or runs: those handed in meanwhile included.
    void waitUntilIdle();
    bool idle() const;

private:
    void run();

    // Guarded by m_mutex: the jobs not started yet, whether one runs, the
    // stop request, and the thread (started under it by the first post,
    // joined by the destructor alone).
    mutable std::mutex m_mutex;
    std::condition_variable m_changed;
    std::deque<std::function<void()>> m_jobs;
    bool m_busy = false;
    bool m_stopping = false;
    std::thread m_thread;
};

} // namespace korvex
