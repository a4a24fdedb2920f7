#pragma once

#include "components/IAudioFile2.h"
#include "components/SourceStamp.h"

#include <QHash>
#include <QObject>
#include <QSet>
#include <QStringList>

#include <condition_variable>
#include <deque>
#include <functional>
#include <memory>
#include <mutex>
#include <optional>
#include <thread>
#include <vector>

namespace korvex {

// What a reading component says of one source once it has opened it: the
// duration in milliseconds and the length in frames, or why it could not; and
// the file's size and time of change as they were before it was opened.
struct MeasuredSource
{
    bool measured = false;
    qint64 durationMs = 0;
    qint64 frames = 0;
    QString failure;
    SourceStamp stamp;
};

// Opens sources and takes their duration and length on a few worker threads,
// every file with a reading component of its own: an FFmpeg context is never
// shared between threads. The owner queues a list of files and takes the
// results one by one in the order it chooses, usually the list's; meanwhile
// the workers measure the files after it on the other cores.
class SourceMeasurer : public QObject
{
    Q_OBJECT
public:
    // Makes a reading component. Called on the worker threads, several at
    // a time, so it must not touch shared state.
    using ReaderFactory = std::function<std::unique_ptr<IAudioFile2>()>;

    // workers 0: one per processor, at most MaxWorkers.
    explicit SourceMeasurer(ReaderFactory makeReader, int workers = 0, QObject *parent = nullptr);
    // Drops the files not yet started and waits for the ones being measured.
    ~SourceMeasurer() override;
    SourceMeasurer(const SourceMeasurer &) = delete;
    SourceMeasurer &operator=(const SourceMeasurer &) = delete;

    // Each worker decodes a whole file at times (a WMA file is counted frame
    // by frame); beyond a few, the disk sets the pace, not the processors.
    static constexpr int MaxWorkers = 4;
    int workers() const { return m_workerCount; }

    // Owner thread. Queues the files in order; the first gets the returned
    // ticket, each next one the ticket after.
    int measure(const QStringList &paths);
    // Owner thread. The result of a queued ticket, once. Until it is ready
    // the owner's events go on being processed (ProcessPendingMessages, then
    // a wait for the next event: every finished file posts one), so a window
    // stays alive however long the file takes.
    MeasuredSource take(int ticket);
    // Owner thread. Drops the files not yet started and the results not
    // taken, and waits as take() does for the ones being measured.
    void discard();

private:
    // Posted by the workers only to wake an owner that waits for events.
    Q_INVOKABLE void wake() {}
    struct Job
    {
        int ticket = 0;
        QString path;
    };

    void workerLoop();
    MeasuredSource measureOne(const QString &path) const;
    std::optional<MeasuredSource> takeIfReady(int ticket);
    bool idle();
    void waitForNews(const std::function<bool()> &ready);

    const ReaderFactory m_makeReader;   // called on the workers
    const int m_workerCount;

    // Owner thread only: the next ticket, and the workers, started with the
    // first list and joined at destruction.
    int m_nextTicket = 0;
    std::vector<std::thread> m_workers;

    // Guarded by m_mutex: the files not yet started, the results not yet
    // taken, the tickets queued or being measured, the first ticket still
    // wanted (a result for one before it is dropped), and the stop flag.
    // m_queued wakes the workers; m_finished is signalled whenever a ticket
    // leaves m_outstanding.
    std::mutex m_mutex;
    std::condition_variable m_queued;
    std::condition_variable m_finished;
    std::deque<Job> m_queue;
    QHash<int, MeasuredSource> m_results;
    QSet<int> m_outstanding;
    int m_wantedFrom = 0;
    bool m_stopping = false;
};

} // namespace korvex
