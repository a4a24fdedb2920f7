#pragma once

#include "engine/RunReports.h"
#include "engine/RunSnapshot.h"

#include <QStringList>

#include <atomic>
#include <condition_variable>
#include <functional>
#include <mutex>
#include <utility>

namespace korvex {

// Where a run stands at one of its stop checks, counted from what the run
// itself reported: nothing in it is read from the list or the skin.
struct JobPosition
{
    int entry = -1;      // the entry worked on; -1 before the first
    int pieceRow = -1;   // the lv_time row last marked "Converting"; -1 before one
    int progress = -1;   // the piece's progress in hundredths of a percent; -1 until the piece shows one
    int outputs = 0;     // outputs closed and named so far
    int checks = 0;      // stop checks since the entry started
};

// One split or join run as the engine sees it: the reports it makes go
// through here to whoever applies them, and it answers the stop checks.
// A stop is a request any thread may make; the run honours it at its next
// check (each entry, each piece, each block).
class RunJob final : public RunReports
{
public:
    // Called at every stop check, on the thread that runs the job, with the
    // position of that check. Tests stand here where the user would act
    // during a run.
    using Checkpoint = std::function<void(RunJob &job, const JobPosition &at)>;

    explicit RunJob(RunReports &applied) : m_applied(applied) {}

    // A new run on `snapshot`: no stop asked for, no position yet, no change
    // waiting.
    void begin(RunSnapshot snapshot);
    // What the run works from, with the changes taken so far. Only the
    // job's thread reads it while the run works.
    RunSnapshot &snapshot() { return m_snapshot; }
    const RunSnapshot &snapshot() const { return m_snapshot; }
    // Any thread: the settings or tags the user changed while the run works.
    // The run takes them at its next check and uses them from their next
    // use on (fades at the next block, folder, profile and fade-in at the
    // next piece, plans at the next entry).
    void settingsChanged(const RunSettings &settings) { m_mailbox.post(settings); }
    void tagsChanged(const RunTags &tags) { m_mailbox.post(tags); }
    // The status word row `row` of lv_time showed as this run last showed
    // it; empty when the run shows no such row.
    QString shownStatus(int row) const { return m_shownWords.value(row); }
    // Any thread; also wakes a held job.
    void requestStop();
    bool stopRequested() const { return m_stopRequested.load(); }

    // Any thread. While one hold or more is taken, the job waits at its
    // next check until the last is released or a stop is asked for (a
    // modal dialog holds the run as long as it is open). A job run on the
    // thread that holds it is not held: that thread is the one that would
    // release it.
    void hold();
    void release();
    // Called on the job's thread when it begins to wait for a release.
    void setHeldNotice(std::function<void()> notice) { m_heldNotice = std::move(notice); }
    void setCheckpoint(Checkpoint checkpoint) { m_checkpoint = std::move(checkpoint); }
    // The stop check itself: counts it, calls the checkpoint, waits while
    // the job is held, takes the changes handed to it, and tells whether the
    // run is still wanted.
    bool goOn();
    const JobPosition &position() const { return m_position; }

    void entryStarted(int row) override;
    void rowsShown(int clockRow, const QList<SegmentRow> &rows) override;
    void rowStatus(int row, const QString &word) override;
    void pendingSetAside(int row, bool hideFromEntry) override;
    void outputWritten(const WrittenOutput &output) override;
    void finished(const RunOutcome &outcome) override;
    void pieceProgress(int value) override;
    void runProgress(int value, const QString &text) override;
    void progressCleared() override;

private:
    void waitWhileHeld();

    RunReports &m_applied;
    Checkpoint m_checkpoint;
    std::function<void()> m_heldNotice;
    std::mutex m_holdMutex;
    std::condition_variable m_holdChanged;
    int m_holds = 0;  // under m_holdMutex
    std::atomic<bool> m_stopRequested{false};
    JobPosition m_position;
    RunSnapshot m_snapshot;
    RunMailbox m_mailbox;
    QStringList m_shownWords;  // the status of each row the run shows
};

// A hold on a run for as long as it lives (see RunJob::hold).
class RunHold
{
public:
    explicit RunHold(RunJob &job) : m_job(&job) { m_job->hold(); }
    ~RunHold()
    {
        if (m_job)
            m_job->release();
    }
    RunHold(RunHold &&other) noexcept : m_job(std::exchange(other.m_job, nullptr)) {}
    RunHold(const RunHold &) = delete;
    RunHold &operator=(const RunHold &) = delete;
    RunHold &operator=(RunHold &&) = delete;

private:
    RunJob *m_job;
};

} // namespace korvex
