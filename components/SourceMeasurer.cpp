#include "components/SourceMeasurer.h"

#include "components/KorvexError.h"
#include "components/LogCategories.h"
#include "components/MessagePump.h"

#include <QCoreApplication>
#include <QThread>

#include <algorithm>
#include <chrono>
#include <exception>

namespace korvex {

SourceMeasurer::SourceMeasurer(ReaderFactory makeReader, int workers, QObject *parent)
    : QObject(parent)
    , m_makeReader(std::move(makeReader))
    , m_workerCount(workers > 0 ? workers : std::clamp(QThread::idealThreadCount(), 1, MaxWorkers))
{
}

SourceMeasurer::~SourceMeasurer()
{
    {
        const std::lock_guard lock(m_mutex);
        m_stopping = true;
        m_queue.clear();
    }
    m_queued.notify_all();
    for (std::thread &worker : m_workers)
        worker.join();
}

int SourceMeasurer::measure(const QStringList &paths)
{
    Q_ASSERT(QThread::currentThread() == thread());
    if (m_workers.empty()) {
        for (int i = 0; i < m_workerCount; ++i)
            m_workers.emplace_back([this] { workerLoop(); });
    }
    const int first = m_nextTicket;
    {
        const std::lock_guard lock(m_mutex);
        for (const QString &path : paths) {
            m_outstanding.insert(m_nextTicket);
            m_queue.push_back({m_nextTicket++, path});
        }
    }
    m_queued.notify_all();
    qCDebug(lcMeasure) << paths.size() << "file(s) queued for" << m_workers.size() << "worker(s)";
    return first;
}

MeasuredSource SourceMeasurer::take(int ticket)
{
    Q_ASSERT(QThread::currentThread() == thread());
    std::optional<MeasuredSource> result;
    waitForNews([&] { return (result = takeIfReady(ticket)).has_value(); });
    return *result;
}

void SourceMeasurer::discard()
{
    Q_ASSERT(QThread::currentThread() == thread());
    {
        const std::lock_guard lock(m_mutex);
        m_wantedFrom = m_nextTicket;
        for (const Job &job : m_queue)
            m_outstanding.remove(job.ticket);
        m_queue.clear();
        m_results.clear();
    }
    waitForNews([this] { return idle(); });
}

// A ticket never queued, or already taken, has nothing to wait for.
std::optional<MeasuredSource> SourceMeasurer::takeIfReady(int ticket)
{
    const std::lock_guard lock(m_mutex);
    if (m_results.contains(ticket))
        return m_results.take(ticket);
    if (!m_outstanding.contains(ticket))
        return MeasuredSource{false, 0, 0, QStringLiteral("Nothing was asked to be measured."), {}};
    return std::nullopt;
}

bool SourceMeasurer::idle()
{
    const std::lock_guard lock(m_mutex);
    return m_outstanding.isEmpty();
}

// On the application's thread the wait is a wait for events, which a
// finishing worker's wake-up ends: the check after each round of events
// sees any result that came in before the next wait began. Elsewhere (no
// event loop to keep alive) it sleeps on the condition.
void SourceMeasurer::waitForNews(const std::function<bool()> &ready)
{
    const QCoreApplication *app = QCoreApplication::instance();
    const bool pumping = app && QThread::currentThread() == app->thread();
    while (!ready()) {
        if (!pumping) {
            std::unique_lock lock(m_mutex);
            m_finished.wait_for(lock, std::chrono::milliseconds(100));
            continue;
        }
        ProcessPendingMessages();
        if (ready())
            return;
        QCoreApplication::processEvents(QEventLoop::WaitForMoreEvents);
    }
}

void SourceMeasurer::workerLoop()
{
    for (;;) {
        Job job;
        {
            std::unique_lock lock(m_mutex);
            m_queued.wait(lock, [this] { return m_stopping || !m_queue.empty(); });
            if (m_stopping)
                return;
            job = std::move(m_queue.front());
            m_queue.pop_front();
        }
        const MeasuredSource result = measureOne(job.path);
        {
            const std::lock_guard lock(m_mutex);
            if (job.ticket >= m_wantedFrom)
                m_results.insert(job.ticket, result);
            m_outstanding.remove(job.ticket);
        }
        m_finished.notify_all();
        // The owner may be waiting for events rather than on m_finished.
        // By name, so Qt makes and frees the call itself: a functor would be
        // made here and freed on the owner's thread, ordered by Qt's own locks.
        QMetaObject::invokeMethod(this, "wake", Qt::QueuedConnection);
    }
}

// Exactly what the window thread asked of its own reader one file after the
// other: open for reading, duration, length, close; any failure on the way
// makes the file one that could not be measured.
MeasuredSource SourceMeasurer::measureOne(const QString &path) const
{
    MeasuredSource result;
    // Taken first: a file changed while it is measured no longer matches.
    const SourceStamp stamp = SourceStamp::of(path);
    try {
        const std::unique_ptr<IAudioFile2> reader = m_makeReader();
        reader->openForRead(path, 0, 1);
        result.durationMs = reader->duration();
        result.frames = reader->length();
        reader->close();
        result.measured = true;
        result.stamp = stamp;
    } catch (const KorvexError &error) {
        result = {false, 0, 0, error.text(), {}};
    } catch (const std::exception &error) {
        result = {false, 0, 0, QString::fromLocal8Bit(error.what()), {}};
    } catch (...) {
        result = {false, 0, 0, QStringLiteral("Unable to measure '%1'.").arg(path), {}};
    }
    if (result.measured)
        qCDebug(lcMeasure) << path << result.durationMs << "ms," << result.frames << "frames";
    else
        qCInfo(lcMeasure) << path << "could not be measured:" << result.failure;
    return result;
}

} // namespace korvex
