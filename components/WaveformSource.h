#pragma once

#include <QCache>
#include <QList>
#include <QObject>
#include <QString>
#include <QThread>

#include <atomic>

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
    WaveOverview m_current;
    QString m_currentKey;
    QCache<QString, WaveOverview> m_finished; // cost: bytes
};

// The scan itself, on the worker thread.
class WaveformWorker : public QObject
{
    Q_OBJECT
public:
    WaveformWorker(const std::atomic<quint64> &latest, const QString &cacheFolder)
        : m_latest(latest), m_cacheFolder(cacheFolder)
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

    const std::atomic<quint64> &m_latest;
    QString m_cacheFolder;
};

} // namespace korvex

Q_DECLARE_METATYPE(korvex::WaveOverview)
