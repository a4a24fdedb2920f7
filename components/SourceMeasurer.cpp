#include "components/SourceMeasurer.h"

#include "components/KorvexError.h"
#include "components/MessagePump.h"

#include <QCoreApplication>
#include <QThread>

#include <algorithm>
#include <exception>

namespace korvex {

SourceMeasurer::SourceMeasurer(ReaderFactory makeReader, int workers, QObject *parent)
    : QObject(parent)
    , m_makeReader(std::move(makeReader))
{
    m_pool.setMaxThreadCount(workers > 0 ? workers : std::clamp(QThread::idealThreadCount(), 1, MaxWorkers));
}

SourceMeasurer::~SourceMeasurer()
{
    {
        QMutexLocker lock(&m_mutex);
        m_wantedFrom = m_nextTicket;
    }
    // Also for the workers' last queued wake-up: this object must outlive it.
    m_pool.waitForDone();
}

int SourceMeasurer::measure(const QStringList &paths)
{
    Q_ASSERT(QThread::currentThread() == thread());
    const int first = m_nextTicket;
    for (const QString &path : paths) {
        const int ticket = m_nextTicket++;
        {
            QMutexLocker lock(&m_mutex);
            m_outstanding.insert(ticket);
        }
        m_pool.start([this, ticket, path] { run(ticket, path); });
    }
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
        QMutexLocker lock(&m_mutex);
        m_wantedFrom = m_nextTicket;
        m_results.clear();
    }
    waitForNews([this] { return idle(); });
}

// A ticket never queued, or already taken, has nothing to wait for.
std::optional<MeasuredSource> SourceMeasurer::takeIfReady(int ticket)
{
    QMutexLocker lock(&m_mutex);
    if (m_results.contains(ticket))
        return m_results.take(ticket);
    if (!m_outstanding.contains(ticket))
        return MeasuredSource{false, 0, 0, QStringLiteral("Nothing was asked to be measured.")};
    return std::nullopt;
}

bool SourceMeasurer::idle()
{
    QMutexLocker lock(&m_mutex);
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
            QMutexLocker lock(&m_mutex);
            m_changed.wait(&m_mutex, 100);
            continue;
        }
        ProcessPendingMessages();
        if (ready())
            return;
        QCoreApplication::processEvents(QEventLoop::WaitForMoreEvents);
    }
}

void SourceMeasurer::run(int ticket, const QString &path)
{
    bool wanted = false;
    {
        QMutexLocker lock(&m_mutex);
        wanted = ticket >= m_wantedFrom;
    }
    const MeasuredSource result = wanted ? measureOne(path) : MeasuredSource{};
    {
        QMutexLocker lock(&m_mutex);
        if (ticket >= m_wantedFrom)
            m_results.insert(ticket, result);
        m_outstanding.remove(ticket);
        m_changed.wakeAll();
    }
    QMetaObject::invokeMethod(this, [] {}, Qt::QueuedConnection);
}

// Exactly what the window thread asked of its own reader one file after the
// other: open for reading, duration, length, close; any failure on the way
// makes the file one that could not be measured.
MeasuredSource SourceMeasurer::measureOne(const QString &path) const
{
    MeasuredSource result;
    try {
        const std::unique_ptr<IAudioFile2> reader = m_makeReader();
        reader->openForRead(path, 0, 1);
        result.durationMs = reader->duration();
        result.frames = reader->length();
        reader->close();
        result.measured = true;
    } catch (const KorvexError &error) {
        result = {false, 0, 0, error.text()};
    } catch (const std::exception &error) {
        result = {false, 0, 0, QString::fromLocal8Bit(error.what())};
    } catch (...) {
        result = {false, 0, 0, QStringLiteral("Unable to measure '%1'.").arg(path)};
    }
    return result;
}

} // namespace korvex
