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

private:
    void take(quint64 request, const WaveOverview &overview);
    static QString cacheKey(const QString &path);

    QThread m_thread;
    WaveformWorker *m_worker = nullptr;       // lives on m_thread
    std::atomic<quint64> m_request{0};        // written here, read by the worker to notice it is abandoned
    ScanGate m_gate;
    WaveOverview m_current;
    QString m_currentKey;
    QCache<QString, WaveOverview> m_finished; // cost: bytes
};

// The scan itself, on the worker thread.
class WaveformWorker : public QObject
{
    Q_OBJECT
public:
    WaveformWorker(const std::atomic<quint64> &latest, ScanGate &gate, const QString &cacheFolder)
        : m_latest(latest), m_gate(gate), m_cacheFolder(cacheFolder)
    {
    }

    // key: what the cache file is named after.
    void scan(quint64 request, const QString &path, const QString &key);

Q_SIGNALS:
    void progressed(quint64 request, const korvex::WaveOverview &overview);

private:
    QString cacheFile(const QString &key) const;
    bool readCache(const QString &key, WaveOverview &overview) const;
    void writeCache(const QString &key, const WaveOverview &overview) const;

    bool abandoned(quint64 request) const { return m_latest.load(std::memory_order_acquire) != request; }

    const std::atomic<quint64> &m_latest;
    ScanGate &m_gate;
    QString m_cacheFolder;
};

} // namespace korvex

Q_DECLARE_METATYPE(korvex::WaveOverview)
