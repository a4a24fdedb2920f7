#include "engine/RunJob.h"

#include "joblist/SegmentListModel.h"
#include "joblist/StatusWords.h"

#include <QCoreApplication>
#include <QThread>

namespace korvex {

void RunJob::begin(RunSnapshot snapshot)
{
    m_stopRequested.store(false);
    m_position = JobPosition();
    m_snapshot = std::move(snapshot);
    m_mailbox.clear();
    m_shownWords.clear();
}

void RunJob::requestStop()
{
    const std::lock_guard lock(m_holdMutex);
    m_stopRequested.store(true);
    m_holdChanged.notify_all();
}

void RunJob::hold()
{
    const std::lock_guard lock(m_holdMutex);
    ++m_holds;
}

void RunJob::release()
{
    const std::lock_guard lock(m_holdMutex);
    if (m_holds > 0 && --m_holds == 0)
        m_holdChanged.notify_all();
}

bool RunJob::goOn()
{
    ++m_position.checks;
    if (m_checkpoint)
        m_checkpoint(*this, m_position);
    waitWhileHeld();
    m_mailbox.deliverTo(m_snapshot);
    return !stopRequested();
}

void RunJob::waitWhileHeld()
{
    const QCoreApplication *application = QCoreApplication::instance();
    if (application == nullptr || QThread::currentThread() == application->thread())
        return;
    std::unique_lock lock(m_holdMutex);
    if (m_holds == 0 || stopRequested())
        return;
    if (m_heldNotice)
        m_heldNotice();
    m_holdChanged.wait(lock, [this] { return m_holds == 0 || stopRequested(); });
}

void RunJob::entryStarted(int row)
{
    m_position.entry = row;
    m_position.checks = 0;
    m_applied.entryStarted(row);
}

void RunJob::rowsShown(int clockRow, const QList<SegmentRow> &rows)
{
    m_shownWords.clear();
    for (const SegmentRow &shown : rows)
        m_shownWords.append(shown.status);
    m_applied.rowsShown(clockRow, rows);
}

void RunJob::rowStatus(int row, const QString &word)
{
    if (word == status_word::Converting) {
        m_position.pieceRow = row;
        m_position.progress = -1;
    }
    if (row >= 0 && row < m_shownWords.size())
        m_shownWords[row] = word;
    m_applied.rowStatus(row, word);
}

// As the list does it: a single row is marked "OK", otherwise the last row
// goes and, for a split, the entry's plan leaves it out.
void RunJob::pendingSetAside(int row, bool hideFromEntry)
{
    if (m_shownWords.size() == 1) {
        m_shownWords[0] = status_word::OK;
    } else if (m_shownWords.size() > 1) {
        m_shownWords.removeLast();
        if (hideFromEntry && row >= 0 && row < m_snapshot.rowCount())
            m_snapshot.records[row].Count = int(m_shownWords.size());
    }
    m_applied.pendingSetAside(row, hideFromEntry);
}

void RunJob::outputWritten(const WrittenOutput &output)
{
    ++m_position.outputs;
    m_applied.outputWritten(output);
}

void RunJob::finished(const RunOutcome &outcome)
{
    m_applied.finished(outcome);
}

void RunJob::pieceProgress(int value)
{
    m_position.progress = value;
    m_applied.pieceProgress(value);
}

void RunJob::runProgress(int value, const QString &text)
{
    m_applied.runProgress(value, text);
}

void RunJob::progressCleared()
{
    m_position.progress = -1;
    m_applied.progressCleared();
}

} // namespace korvex
