#pragma once

#include "joblist/SegmentPlan.h"
#include "settings/SilenceSettings.h"

#include <QList>
#include <QObject>
#include <QString>

#include <atomic>
#include <condition_variable>
#include <mutex>
#include <optional>
#include <thread>

namespace korvex {

// One file's time or count plan and what moves its cuts. The file's size and
// modification time are part of it, so a file changed on disk is scanned
// anew.
struct AdjustRequest
{
    QString path;
    qint64 size = 0;
    qint64 modifiedNs = -1;
    QList<Segment> plan;
    SilenceSettings silence;

    // The request for `plan` over the file at `path` as it is on disk now.
    static AdjustRequest of(const QString &path, const QList<Segment> &plan, const SilenceSettings &silence);
    bool operator==(const AdjustRequest &) const = default;
};

// What a finished scan made of a request: the plan with its cuts moved into
// pauses, or the plan as it was and why the file could not be scanned.
struct MovedPlan
{
    QList<Segment> plan;
    QString failure;
};

// Moves the cuts of one plan at a time into pauses on a worker thread with a
// reader of its own (never the window's shared one), so that a selected file
// shows its plain plan at once and the moved one when the pauses near its
// cuts have been read. Only the latest request is worked on: asking for
// another abandons the scan at hand at its next cut. The last finished
// result is kept, so a run that asks for what was shown waits for nothing.
class AdjustScanner : public QObject
{
    Q_OBJECT
public:
    explicit AdjustScanner(QObject *parent = nullptr);
    // Abandons the scan at hand and waits for the worker to notice.
    ~AdjustScanner() override;
    AdjustScanner(const AdjustScanner &) = delete;
    AdjustScanner &operator=(const AdjustScanner &) = delete;

    // Owner thread. Has `request` scanned unless it is the one at hand or
    // the one finished; any other scan is abandoned.
    void start(const AdjustRequest &request);
    // Owner thread. Abandons the scan at hand; its result is never kept.
    void abandon();
    // Any thread. The result of `request` when its scan has finished.
    std::optional<MovedPlan> finished(const AdjustRequest &request);
    // Any thread. The result of `request`, waiting for its scan, which is
    // started again if another request took its place meanwhile. It blocks:
    // the window thread calls it through AnswerEventsDuring.
    MovedPlan wait(const AdjustRequest &request);

Q_SIGNALS:
    // A scan has finished: finished() of its request has the result. Sent
    // from the worker; connected queued, it arrives on the owner's thread.
    void scanFinished();

private:
    struct Job
    {
        quint64 ticket = 0;
        AdjustRequest request;
    };

    // Caller holds m_mutex. Starts the worker with the first request.
    void queueLocked(const AdjustRequest &request);
    void workerLoop();
    // The moved plan; anything when the job was abandoned meanwhile.
    MovedPlan scan(const Job &job) const;
    bool abandoned(quint64 ticket) const { return m_latest.load(std::memory_order_acquire) != ticket; }

    // Written under m_mutex by whoever queues or abandons; read without it
    // by the worker between cuts to notice that its scan is no longer wanted.
    std::atomic<quint64> m_latest{0};

    // Guarded by m_mutex: the worker (started with the first request, by
    // whichever thread queues it; joined at destruction, when nobody queues
    // any more), the request waiting for it, the one it works on, the last
    // finished one with its result, and the stop flag. m_changed wakes the
    // worker for a queued request and the waiters for a finished (or
    // abandoned) scan.
    std::mutex m_mutex;
    std::thread m_worker;
    std::condition_variable m_changed;
    std::optional<Job> m_queued;
    std::optional<Job> m_working;
    std::optional<std::pair<AdjustRequest, MovedPlan>> m_done;
    bool m_stopping = false;
};

} // namespace korvex
