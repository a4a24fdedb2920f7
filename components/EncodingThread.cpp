#include "components/EncodingThread.h"

#include "components/KorvexError.h"

#include <algorithm>
#include <utility>

namespace korvex {

EncodingThread::EncodingThread(Work work, bool threaded, size_t queueLimit)
    : m_work(std::move(work)), m_threaded(threaded), m_queueLimit(std::max<size_t>(queueLimit, 1))
{
    if (m_threaded)
        m_thread = std::thread([this] { workLoop(); });
}

EncodingThread::~EncodingThread()
{
    stop();
}

void EncodingThread::hand(Block block)
{
    if (!m_threaded) {
        throwIfFailed();
        try {
            m_work(block);
        } catch (const KorvexError &error) {
            m_failure = error.text();
            throw;
        }
        m_inCallerSpare = std::move(block.samples);
        return;
    }
    {
        std::unique_lock lock(m_mutex);
        m_changed.wait(lock, [this] { return m_queue.size() < m_queueLimit || !m_failure.isEmpty() || m_ending; });
        if (m_failure.isEmpty() && !m_ending) {
            m_queue.push_back(std::move(block));
            m_changed.notify_all();
            return;
        }
    }
    endThread();
    throwIfFailed();
    throw KorvexError(QStringLiteral("The encoder was handed audio after its end."));
}

std::vector<float> EncodingThread::spareSamples()
{
    if (!m_threaded)
        return std::exchange(m_inCallerSpare, {});
    std::lock_guard lock(m_mutex);
    if (m_spares.empty())
        return {};
    std::vector<float> spare = std::move(m_spares.back());
    m_spares.pop_back();
    return spare;
}

void EncodingThread::finish()
{
    {
        std::lock_guard lock(m_mutex);
        m_ending = true;
        m_changed.notify_all();
    }
    endThread();
    throwIfFailed();
}

void EncodingThread::stop()
{
    {
        std::lock_guard lock(m_mutex);
        m_ending = true;
        m_dropping = true;
        m_queue.clear();
        m_changed.notify_all();
    }
    endThread();
}

void EncodingThread::endThread()
{
    if (m_thread.joinable())
        m_thread.join();
}

// Read once the thread has ended (or on the owner's thread without one).
void EncodingThread::throwIfFailed()
{
    if (!m_failure.isEmpty())
        throw KorvexError(m_failure);
}

void EncodingThread::workLoop()
{
    for (;;) {
        Block block;
        {
            std::unique_lock lock(m_mutex);
            m_changed.wait(lock, [this] { return !m_queue.empty() || m_ending; });
            if (m_queue.empty() || m_dropping)
                return;
            block = std::move(m_queue.front());
            m_queue.pop_front();
            m_changed.notify_all();  // room for the owner's next block
        }
        try {
            m_work(block);
        } catch (const KorvexError &error) {
            std::lock_guard lock(m_mutex);
            m_failure = error.text();
            m_queue.clear();
            m_changed.notify_all();
            return;
        }
        std::lock_guard lock(m_mutex);
        if (m_spares.size() < m_queueLimit)
            m_spares.push_back(std::move(block.samples));
    }
}

} // namespace korvex
