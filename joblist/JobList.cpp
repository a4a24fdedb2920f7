#include "JobList.h"

namespace korvex {

JobList::JobList(QObject *parent)
    : QObject(parent)
    , m_fileSelection(&m_files)
    , m_segmentSelection(&m_segments)
{
}

int JobList::appendEntry(const FileRow &row, const listrecord &job, const AudioFileinfo &tags)
{
    m_jobs.append(job);
    m_tags.append(tags);
    m_files.appendRow(row);
    if (m_jobs.size() == 1)
        Q_EMIT memoVisibleChanged(false);
    return rowCount() - 1;
}

void JobList::removeEntry(int row)
{
    if (row < 0 || row >= rowCount())
        return;
    m_jobs.removeAt(row);
    m_tags.removeAt(row);
    m_files.removeRow(row);
    if (m_jobs.isEmpty())
        Q_EMIT memoVisibleChanged(true);
}

void JobList::swapEntries(int a, int b)
{
    m_jobs.swapItemsAt(a, b);
    m_tags.swapItemsAt(a, b);
    m_files.swapRows(a, b);
}

void JobList::clear()
{
    const bool hadRows = !m_jobs.isEmpty();
    m_jobs.clear();
    m_tags.clear();
    m_files.clearRows();
    m_segments.clear();
    if (hadRows)
        Q_EMIT memoVisibleChanged(true);
}

int JobList::selectedFileRow() const
{
    return selectedRow(m_fileSelection);
}

int JobList::selectedSegmentRow() const
{
    return selectedRow(m_segmentSelection);
}

void JobList::selectFileRow(int row)
{
    selectRow(m_fileSelection, row);
}

void JobList::selectSegmentRow(int row)
{
    selectRow(m_segmentSelection, row);
}

void JobList::deselectFileRow(int row)
{
    const QModelIndex index = m_files.index(row, 0);
    if (index.isValid())
        m_fileSelection.select(index, QItemSelectionModel::Deselect | QItemSelectionModel::Rows);
}

int JobList::selectedRow(const QItemSelectionModel &selection)
{
    const QModelIndexList indexes = selection.selectedIndexes();
    return indexes.isEmpty() ? -1 : indexes.front().row();
}

void JobList::selectRow(QItemSelectionModel &selection, int row)
{
    const QModelIndex index = selection.model()->index(row, 0);
    if (!index.isValid())
        return;
    selection.setCurrentIndex(index, QItemSelectionModel::ClearAndSelect | QItemSelectionModel::Rows);
}

} // namespace korvex
