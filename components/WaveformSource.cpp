#include "components/WaveformSource.h"

#include "components/AudioReader.h"
#include "components/KorvexError.h"

#include <QCryptographicHash>
#include <QDateTime>
#include <QDir>
#include <QElapsedTimer>
#include <QFile>
#include <QFileInfo>
#include <QSaveFile>
#include <QStandardPaths>

#include <algorithm>
#include <cmath>

namespace korvex {

namespace {

constexpr qint64 BlockFrames = 65536;
// How often a growing overview is handed over: often enough to be seen to
// grow, seldom enough to cost the window nothing.
constexpr int HandOverMs = 100;
// About a hundred files' overviews.
constexpr int CacheBytes = 100 * 2 * WaveOverview::Columns;
// A cache file: this tag, then the peak and the RMS columns.
const QByteArray CacheTag = QByteArrayLiteral("KVW1");

quint8 level(double fraction)
{
    return quint8(std::lround(std::clamp(fraction, 0.0, 1.0) * 255.0));
}

// Column sums of one scan.
class Columns
{
public:
    Columns(qint64 frames, int channels)
        : m_channels(std::max(channels, 1))
        , m_framesPerColumn(std::max<qint64>((frames + WaveOverview::Columns - 1) / WaveOverview::Columns, 1))
    {
    }

    void feed(const float *samples, qint64 frames, WaveOverview &overview)
    {
        for (qint64 frame = 0; frame < frames; ++frame) {
            for (int channel = 0; channel < m_channels; ++channel) {
                const double value = samples[frame * m_channels + channel];
                m_peak = std::max(m_peak, std::abs(value));
                m_squares += value * value;
            }
            if (++m_inColumn == m_framesPerColumn)
                closeColumn(overview);
        }
    }

    void finish(WaveOverview &overview)
    {
        if (m_inColumn > 0)
            closeColumn(overview);
        overview.complete = true;
    }

private:
    void closeColumn(WaveOverview &overview)
    {
        if (overview.filled < WaveOverview::Columns) {
            overview.peak[overview.filled] = level(m_peak);
            overview.rms[overview.filled] = level(std::sqrt(m_squares / double(m_inColumn * m_channels)));
            ++overview.filled;
        }
        m_peak = 0;
        m_squares = 0;
        m_inColumn = 0;
    }

    int m_channels;
    qint64 m_framesPerColumn;
    qint64 m_inColumn = 0;
    double m_peak = 0;
    double m_squares = 0;
};

WaveOverview emptyOverview(const QString &path)
{
    WaveOverview overview;
    overview.path = path;
    overview.peak = QList<quint8>(WaveOverview::Columns, 0);
    overview.rms = QList<quint8>(WaveOverview::Columns, 0);
    return overview;
}

} // namespace

QString WaveformWorker::cacheFile(const QString &key) const
{
    const QByteArray name = QCryptographicHash::hash(key.toUtf8(), QCryptographicHash::Sha1).toHex();
    return m_cacheFolder + QLatin1Char('/') + QString::fromLatin1(name) + QStringLiteral(".wave");
}

// A cache file of the wrong size or tag is not ours, or was cut short: it is
// scanned anew and replaced.
bool WaveformWorker::readCache(const QString &key, WaveOverview &overview) const
{
    if (m_cacheFolder.isEmpty())
        return false;
    QFile file(cacheFile(key));
    if (!file.open(QIODevice::ReadOnly))
        return false;
    const QByteArray bytes = file.read(CacheTag.size() + 2 * WaveOverview::Columns + 1);
    if (bytes.size() != CacheTag.size() + 2 * WaveOverview::Columns || !bytes.startsWith(CacheTag))
        return false;
    for (int column = 0; column < WaveOverview::Columns; ++column) {
        overview.peak[column] = quint8(bytes[CacheTag.size() + column]);
        overview.rms[column] = quint8(bytes[CacheTag.size() + WaveOverview::Columns + column]);
    }
    overview.filled = WaveOverview::Columns;
    overview.complete = true;
    return true;
}

// Best effort: without a cache the next run scans again.
void WaveformWorker::writeCache(const QString &key, const WaveOverview &overview) const
{
    if (m_cacheFolder.isEmpty() || !QDir().mkpath(m_cacheFolder))
        return;
    QSaveFile file(cacheFile(key));
    if (!file.open(QIODevice::WriteOnly))
        return;
    file.write(CacheTag);
    file.write(reinterpret_cast<const char *>(overview.peak.constData()), overview.peak.size());
    file.write(reinterpret_cast<const char *>(overview.rms.constData()), overview.rms.size());
    file.commit();
}

void OverviewMailbox::put(quint64 request, const WaveOverview &overview)
{
    std::lock_guard lock(m_mutex);
    m_request = request;
    m_overview = overview;
    m_full = true;
}

bool OverviewMailbox::take(quint64 &request, WaveOverview &overview)
{
    std::lock_guard lock(m_mutex);
    if (!m_full)
        return false;
    request = m_request;
    overview = std::move(m_overview);
    m_full = false;
    return true;
}

void WaveformWorker::handOver(quint64 request, const WaveOverview &overview)
{
    m_mailbox.put(request, overview);
    Q_EMIT progressed();
}

void ScanGate::setPaused(bool paused)
{
    {
        const std::lock_guard lock(m_mutex);
        m_paused = paused;
    }
    m_changed.notify_all();
}

void ScanGate::waitWhilePaused(const std::function<bool()> &abandoned)
{
    std::unique_lock lock(m_mutex);
    m_changed.wait(lock, [&] { return !m_paused || abandoned(); });
}

// Taking the lock orders the caller's change before a waiting scan's next
// look at it, so the wake cannot slip in between the look and the wait.
void ScanGate::wake()
{
    {
        const std::lock_guard lock(m_mutex);
    }
    m_changed.notify_all();
}

void WaveformWorker::scan(quint64 request, const QString &path, const QString &key)
{
    const std::lock_guard scanning(m_scanning);
    scanHeld(request, path, key);
}

void WaveformWorker::scanHeld(quint64 request, const QString &path, const QString &key)
{
    if (abandoned(request))
        return;
    WaveOverview overview = emptyOverview(path);
    if (readCache(key, overview)) {
        handOver(request, overview);
        return;
    }
    try {
        AudioReader reader(path);
        Columns columns(reader.length(), reader.channelCount());
        QElapsedTimer sinceHandOver;
        sinceHandOver.start();
        for (;;) {
            m_gate.waitWhilePaused([this, request] { return abandoned(request); });
            if (abandoned(request))
                return;  // for another file
            const SampleArray block = reader.read(BlockFrames);
            if (block.isEmpty())
                break;
            columns.feed(block.data(), block.frameCount(reader.channelCount()), overview);
            if (sinceHandOver.elapsed() >= HandOverMs) {
                handOver(request, overview);
                sinceHandOver.restart();
            }
        }
        columns.finish(overview);
        writeCache(key, overview);
    } catch (const KorvexError &) {
        // a file that cannot be read shows no sound; adding it has said why
        overview.complete = true;
    }
    handOver(request, overview);
}

QString WaveformSource::defaultCacheFolder()
{
    const QString folder = QStandardPaths::writableLocation(QStandardPaths::GenericCacheLocation);
    return folder.isEmpty() ? QString() : folder + QStringLiteral("/korvex");
}

WaveformSource::WaveformSource(const QString &cacheFolder, QObject *parent)
    : QObject(parent), m_finished(CacheBytes)
{
    m_worker = new WaveformWorker(m_request, m_mailbox, m_gate, m_scanning, cacheFolder);
    m_worker->moveToThread(&m_thread);
    connect(&m_thread, &QThread::finished, m_worker, &QObject::deleteLater);
    connect(m_worker, &WaveformWorker::progressed, this, &WaveformSource::take, Qt::QueuedConnection);
    // A queued signal, not a posted functor: Qt's own code copies the
    // arguments into its event and hands it over under Qt's locks, which
    // ThreadSanitizer cannot see into. A functor's captures would be written
    // by this thread's code and read by the worker's with no visible order.
    connect(this, &WaveformSource::scanRequested, m_worker, &WaveformWorker::scan, Qt::QueuedConnection);
    m_thread.setObjectName(QStringLiteral("waveform"));
    m_thread.start(QThread::LowPriority);
}

WaveformSource::~WaveformSource()
{
    m_request.fetch_add(1, std::memory_order_release);  // the scan at hand ends at its next block
    m_gate.wake();                                       // also when it waits for a resume
    {
        // Cut here, so the worker's destruction on its thread finds no
        // connection back to this object, which is about to go. The cut may
        // free the connection's slot object, which the worker read to call
        // its last scan; a scan runs under m_scanning, so taking it first
        // orders that read before the free where ThreadSanitizer sees it
        // (Qt's own reference count on the slot object it cannot see).
        const std::lock_guard noScanNow(m_scanning);
        disconnect(this, &WaveformSource::scanRequested, m_worker, nullptr);
    }
    m_thread.quit();
    m_thread.wait();
    const std::lock_guard lastScanOver(m_scanning);
}

QString WaveformSource::cacheKey(const QString &path)
{
    const QFileInfo info(path);
    return QStringLiteral("%1|%2|%3").arg(path).arg(info.size()).arg(info.lastModified().toMSecsSinceEpoch());
}

void WaveformSource::show(const QString &path)
{
    const QString key = path.isEmpty() ? QString() : cacheKey(path);
    if (key == m_currentKey)
        return;
    m_currentKey = key;
    const quint64 request = m_request.fetch_add(1, std::memory_order_acq_rel) + 1;
    m_gate.wake();  // a paused scan of the file no longer shown ends
    if (path.isEmpty()) {
        m_current = WaveOverview();
    } else if (const WaveOverview *kept = m_finished.object(key)) {
        m_current = *kept;
    } else {
        m_current = emptyOverview(path);
        Q_EMIT scanRequested(request, path, key, QPrivateSignal());
    }
    Q_EMIT overviewChanged();
}

void WaveformSource::setPaused(bool paused)
{
    m_gate.setPaused(paused);
}

void WaveformSource::take()
{
    quint64 request = 0;
    WaveOverview overview;
    if (!m_mailbox.take(request, overview))
        return;  // taken at an earlier signal
    if (request != m_request.load(std::memory_order_acquire))
        return;  // a file no longer shown
    m_current = overview;
    if (overview.complete)
        m_finished.insert(m_currentKey, new WaveOverview(overview), 2 * WaveOverview::Columns);
    Q_EMIT overviewChanged();
}

} // namespace korvex
