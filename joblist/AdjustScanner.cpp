#include "joblist/AdjustScanner.h"

#include "components/AudioFile.h"
#include "components/ErrorBoxes.h"
#include "components/SourceStamp.h"
#include "joblist/CutAdjuster.h"

#include <QThread>

#include <optional>

namespace korvex {

AdjustRequest AdjustRequest::of(const QString &path, const QList<Segment> &plan, const SilenceSettings &silence)
{
    const SourceStamp stamp = SourceStamp::of(path);
    return {path, stamp.size, stamp.modifiedNs, plan, silence};
}

AdjustScanner::AdjustScanner(QObject *parent) : QObject(parent)
{
}

AdjustScanner::~AdjustScanner()
{
    {
        const std::lock_guard lock(m_mutex);
        m_stopping = true;
        m_queued.reset();
        m_latest.fetch_add(1, std::memory_order_release);  // the scan at hand ends at its next block
    }
    m_changed.notify_all();
    if (m_worker.joinable())
        m_worker.join();
}

void AdjustScanner::start(const AdjustRequest &request)
{
    Q_ASSERT(QThread::currentThread() == thread());
    {
        const std::lock_guard lock(m_mutex);
        const bool atHand = (m_queued && m_queued->request == request)
                            || (m_working && m_working->request == request && !abandoned(m_working->ticket));
        if (atHand || (m_done && m_done->first == request))
            return;
        queueLocked(request);
    }
    m_changed.notify_all();
}

void AdjustScanner::abandon()
{
    Q_ASSERT(QThread::currentThread() == thread());
    const std::lock_guard lock(m_mutex);
    m_queued.reset();
    m_latest.fetch_add(1, std::memory_order_release);
}

std::optional<MovedPlan> AdjustScanner::finished(const AdjustRequest &request)
{
    const std::lock_guard lock(m_mutex);
    if (m_done && m_done->first == request)
        return m_done->second;
    return std::nullopt;
}

// A waiter whose request was abandoned (the window showed another file while
// a run waited, or the scanner was about to go) queues it again, so a run
// never waits for a scan nobody does.
MovedPlan AdjustScanner::wait(const AdjustRequest &request)
{
    std::unique_lock lock(m_mutex);
    for (;;) {
        if (m_done && m_done->first == request)
            return m_done->second;
        if (m_stopping)
            return {request.plan, QStringLiteral("The scan for pauses was cancelled.")};
        const bool atHand = (m_queued && m_queued->request == request)
                            || (m_working && m_working->request == request && !abandoned(m_working->ticket));
        if (!atHand) {
            queueLocked(request);
            m_changed.notify_all();
        }
        m_changed.wait(lock);
    }
}

void AdjustScanner::queueLocked(const AdjustRequest &request)
{
    const quint64 ticket = m_latest.load(std::memory_order_relaxed) + 1;
    m_queued = Job{ticket, request};
    m_latest.store(ticket, std::memory_order_release);
    if (!m_worker.joinable())
        m_worker = std::thread([this] { workerLoop(); });
}

void AdjustScanner::workerLoop()
{
    std::unique_lock lock(m_mutex);
    for (;;) {
        m_changed.wait(lock, [this] { return m_stopping || m_queued.has_value(); });
        if (m_stopping)
            return;
        m_working = std::move(m_queued);
        m_queued.reset();
        const Job job = *m_working;
        lock.unlock();
        MovedPlan result = scan(job);
        lock.lock();
        m_working.reset();
        const bool wanted = !abandoned(job.ticket);
        if (wanted)
            m_done = {job.request, std::move(result)};
        lock.unlock();
        // waiters look again: at a result, or at a request that needs queueing anew
        m_changed.notify_all();
        if (wanted)
            Q_EMIT scanFinished();
        lock.lock();
    }
}

MovedPlan AdjustScanner::scan(const Job &job) const
{
    const AdjustRequest &request = job.request;
    MovedPlan moved{request.plan, {}};
    const std::optional<QString> failure = FailureText([&] {
        AudioFile reader;
        reader.openForRead(request.path, 0, 1);
        moved.plan = AdjustPlan(reader, request.plan, request.silence, [this, &job] { return abandoned(job.ticket); });
    });
    if (failure)
        return {request.plan, *failure};
    return moved;
}

} // namespace korvex
