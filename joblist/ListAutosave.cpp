#include "joblist/ListAutosave.h"

#include "components/KorvexError.h"
#include "joblist/JobList.h"
#include "joblist/ListRestore.h"

#include <QDir>
#include <QFile>

namespace korvex {

namespace {

const QString ListName = QStringLiteral("working-list.korvex");
const QString LockName = QStringLiteral("working-list.lock");

} // namespace

ListAutosave::ListAutosave(JobList &jobs, const Settings &settings, QObject *parent)
    : QObject(parent), m_jobs(jobs), m_settings(settings), m_folder(defaultFolder())
{
    m_delay.setSingleShot(true);
    m_delay.setInterval(DelayMs);
    connect(&m_delay, &QTimer::timeout, this, &ListAutosave::saveNow);
}

ListAutosave::~ListAutosave() = default;

QString ListAutosave::defaultFolder()
{
    const QString state = qEnvironmentVariable("XDG_STATE_HOME");
    const QString base = QDir::isAbsolutePath(state) ? state : QDir::homePath() + QStringLiteral("/.local/state");
    return base + QStringLiteral("/korvex");
}

void ListAutosave::setFolder(const QString &folder)
{
    m_folder = folder;
}

QString ListAutosave::listPath() const
{
    return QDir(m_folder).filePath(ListName);
}

bool ListAutosave::claim()
{
    if (m_lock)
        return true;
    if (!QDir().mkpath(m_folder))
        return false;
    auto lock = std::make_unique<QLockFile>(QDir(m_folder).filePath(LockName));
    lock->setStaleLockTime(0);  // only a lock of a process that is gone is stale
    if (!lock->tryLock(0))
        return false;
    m_lock = std::move(lock);
    return true;
}

bool ListAutosave::leftOver() const
{
    return m_lock && QFile::exists(listPath());
}

void ListAutosave::start()
{
    if (!m_lock || m_started)
        return;
    m_started = true;
    for (QAbstractItemModel *model :
         {static_cast<QAbstractItemModel *>(m_jobs.fileModel()), static_cast<QAbstractItemModel *>(m_jobs.segmentModel())}) {
        connect(model, &QAbstractItemModel::rowsInserted, this, &ListAutosave::changed);
        connect(model, &QAbstractItemModel::rowsRemoved, this, &ListAutosave::changed);
        connect(model, &QAbstractItemModel::rowsMoved, this, &ListAutosave::changed);
        connect(model, &QAbstractItemModel::dataChanged, this, &ListAutosave::changed);
        connect(model, &QAbstractItemModel::modelReset, this, &ListAutosave::changed);
        connect(model, &QAbstractItemModel::layoutChanged, this, &ListAutosave::changed);
    }
}

void ListAutosave::changed()
{
    if (m_started)
        m_delay.start();
}

void ListAutosave::saveNow()
{
    m_delay.stop();
    if (!m_lock)
        return;
    if (m_busy && m_busy()) {
        m_delay.start();
        return;
    }
    try {
        // an empty list has nothing to restore
        if (m_jobs.rowCount() == 0)
            QFile::remove(listPath());
        else
            WriteListFile(listPath(), CaptureList(m_jobs, m_settings));
        m_lastFailure.clear();
        Q_EMIT kept();
    } catch (const KorvexError &error) {
        if (error.text() != m_lastFailure)
            Q_EMIT saveFailed(error.text());
        m_lastFailure = error.text();
    }
}

void ListAutosave::finish()
{
    m_delay.stop();
    m_started = false;
    if (!m_lock)
        return;
    QFile::remove(listPath());
    m_lock->unlock();
    m_lock.reset();
}

} // namespace korvex
