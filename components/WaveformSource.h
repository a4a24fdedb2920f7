#pragma once

#include <QCache>
#include <QList>
#include <QObject>
#include <QString>
#include <QThread>

#include <atomic>
#include <condition_variable>
#include <functional>
#include <mutex>

namespace korvex {

// The sound of a whole file in a fixed number of columns: for each, the
// highest sample and the RMS level, as fractions of full scale in 0..255.
// A file's overview is 2 × Columns bytes, whatever its length.
struct WaveOverview
{
    static constexpr int Columns = 1024;

    QString path;
    int filled = 0;            // columns computed so far, from the left
    bool complete = false;
    QList<quint8> peak;
    QList<quint8> rms;
};

class WaveformWorker;

// The latest overview the worker has made, waiting for the window thread. It
// crosses under a lock of ours rather than as a signal's argument, whose copy
// our code would make on one thread and read on the other, ordered only by
// Qt's locks, which ThreadSanitizer cannot see.
class OverviewMailbox
{
public:
    // Worker thread: replaces what the window thread has not taken yet.
    void put(quint64 request, const WaveOverview &overview);
    // Window thread: false when there is nothing new.
    bool take(quint64 &request, WaveOverview &overview);

private:
    std::mutex m_mutex;
    bool m_full = false;
    quint64 m_request = 0;
    WaveOverview m_overview;
};

// Holds scans back while the processors are wanted elsewhere. Shared by the
// window thread, which pauses and resumes, and the worker, which waits.
class ScanGate
{
public:
    void setPaused(bool paused);
    // Worker thread: returns once scans may go on or `abandoned` says so.
    void waitWhilePaused(const std::function<bool()> &abandoned);
    // Wakes a waiting scan to look at `abandoned` again.
    void wake();

private:
    std::mutex m_mutex;
    std::condition_variable m_changed;
    bool m_paused = false;
};

// Computes the overviews of files on a worker thread with a reader of its own
// (never the window's shared one), and hands them to the window thread as
// they grow. Only the latest request is worked on: asking for another file
// abandons the scan at hand. Finished overviews are kept in memory and in a
// cache folder (one small file each), keyed by path, size and modification
// time, so a file changed on disk is scanned anew.
class WaveformSource : public QObject
{
    Q_OBJECT
public:
    // $XDG_CACHE_HOME/korvex, else ~/.cache/korvex.
    static QString defaultCacheFolder();

    explicit WaveformSource(const QString &cacheFolder = defaultCacheFolder(), QObject *parent = nullptr);
    ~WaveformSource() override;

    // Window thread. An empty path shows nothing.
    void show(const QString &path);
    // Window thread. While paused, the scan at hand waits at its next block
    // and a new one before its first: a conversion run gets the processors.
    // What was computed stays shown, kept and cached overviews come at once,
    // and the scan goes on where it stopped when resumed.
    void setPaused(bool paused);
    // The overview of the file last asked for, as far as it has come.
    const WaveOverview &current() const { return m_current; }

Q_SIGNALS:
    // current() has grown or changed.
    void overviewChanged();
    // The hand-over of a scan to the worker, nobody else's.
    void scanRequested(quint64 request, const QString &path, const QString &key, QPrivateSignal);

private:
    void take();
    static QString cacheKey(const QString &path);

    QThread m_thread;
    WaveformWorker *m_worker = nullptr;       // lives on m_thread
    std::atomic<quint64> m_request{0};        // written here, read by the worker to notice it is abandoned
    OverviewMailbox m_mailbox;                // filled by the worker, emptied here
    ScanGate m_gate;
    // Held by the worker through each scan and taken by the destructor after
    // the thread has ended: the order QThread::wait() gives is made of Qt's
    // own locks, which ThreadSanitizer cannot see, and without this one it
    // takes the worker's last look at m_request for a race with the delete.
    std::mutex m_scanning;
    WaveOverview m_current;
    QString m_currentKey;
    QCache<QString, WaveOverview> m_finished; // cost: bytes
};

// The scan itself, on the worker thread.
class WaveformWorker : public QObject
{
    Q_OBJECT
public:
    WaveformWorker(const std::atomic<quint64> &latest, OverviewMailbox &mailbox, ScanGate &gate,
                   std::mutex &scanning, const QString &cacheFolder)
        : m_latest(latest), m_mailbox(mailbox), m_gate(gate), m_scanning(scanning), m_cacheFolder(cacheFolder)
    {
    }

    // key: what the cache file is named after.
    void scan(quint64 request, const QString &path, const QString &key);

Q_SIGNALS:
    // A new overview is in the mailbox.
    void progressed();

private:
    QString cacheFile(const QString &key) const;
    void scanHeld(quint64 request, const QString &path, const QString &key);
    bool readCache(const QString &key, WaveOverview &overview) const;
    void writeCache(const QString &key, const WaveOverview &overview) const;
    void handOver(quint64 request, const WaveOverview &overview);

    bool abandoned(quint64 request) const { return m_latest.load(std::memory_order_acquire) != request; }

    const std::atomic<quint64> &m_latest;
    OverviewMailbox &m_mailbox;
    ScanGate &m_gate;
    std::mutex &m_scanning;
    QString m_cacheFolder;
};

} // namespace korvex
