#include "joblist/TagEditSession.h"

#include "joblist/JobList.h"

#include <QSize>

#include <algorithm>

namespace korvex {

int TagRowsModel::rowCount(const QModelIndex &parent) const
{
    return parent.isValid() ? 0 : int(m_captions.size());
}

int TagRowsModel::columnCount(const QModelIndex &parent) const
{
    return parent.isValid() ? 0 : 1;
}

QVariant TagRowsModel::data(const QModelIndex &index, int role) const
{
    if (!checkIndex(index, CheckIndexOption::IndexIsValid) || role != Qt::DisplayRole)
        return {};
    return m_captions.at(index.row());
}

QVariant TagRowsModel::headerData(int section, Qt::Orientation orientation, int role) const
{
    if (orientation != Qt::Horizontal || section != 0)
        return {};
    if (role == Qt::DisplayRole)
        return QStringLiteral("File Name");
    if (role == Qt::SizeHintRole)
        return QSize(columnWidth(), 0);
    return {};
}

int TagRowsModel::columnWidth() const
{
    return m_captions.size() >= NarrowFromRows ? 127 : 143;
}

void TagRowsModel::setCaption(int row, const QString &caption)
{
    m_captions[row] = caption;
    const QModelIndex changed = index(row, 0);
    Q_EMIT dataChanged(changed, changed, {Qt::DisplayRole});
}

void TagRowsModel::setCaptions(const QStringList &captions)
{
    const int widthBefore = columnWidth();
    beginResetModel();
    m_captions = captions;
    endResetModel();
    if (columnWidth() != widthBefore)
        Q_EMIT headerDataChanged(Qt::Horizontal, 0, 0);
}

QString TagFieldText(const AudioFileinfo &record, TagField field)
{
    switch (field) {
    case TagField::Title:
        return record.Title;
    case TagField::Artist:
        return record.Artist;
    case TagField::Album:
        return record.Album;
    case TagField::Year:
        return record.Year;
    case TagField::Genre:
        return record.Genre;
    case TagField::Comment:
        return record.Comment;
    }
    return {};
}

void SetTagField(AudioFileinfo &record, TagField field, const QString &text)
{
    switch (field) {
    case TagField::Title:
        record.Title = text;
        break;
    case TagField::Artist:
        record.Artist = text;
        break;
    case TagField::Album:
        record.Album = text;
        break;
    case TagField::Year:
        record.Year = text;
        break;
    case TagField::Genre:
        record.Genre = text;
        break;
    case TagField::Comment:
        record.Comment = text;
        break;
    }
}

TagEditSession::TagEditSession(JobList &jobs) : m_jobs(jobs), m_selection(&m_rows)
{
}

int TagEditSession::currentRow() const
{
    const QModelIndexList rows = m_selection.selectedRows();
    return rows.isEmpty() ? -1 : rows.first().row();
}

const AudioFileinfo *TagEditSession::currentRecord() const
{
    const int row = currentRow();
    return row >= 0 && row < WorkTagRecords.size() ? &WorkTagRecords[row] : nullptr;
}

void TagEditSession::selectRow(int row)
{
    if (row < 0 || row >= m_rows.rowCount())
        return;
    m_selection.setCurrentIndex(m_rows.index(row, 0),
                                QItemSelectionModel::ClearAndSelect | QItemSelectionModel::Rows);
}

void TagEditSession::selectFirstRowIfNone()
{
    if (currentRow() < 0)
        selectRow(0);
}

bool TagEditSession::takeRows()
{
    QStringList captions;
    for (int row = 0; row < m_jobs.rowCount(); ++row)
        captions.append(m_jobs.fileModel()->row(row).caption);
    m_rows.setCaptions(captions);
    return !captions.isEmpty();
}

void TagEditSession::takeTags()
{
    WorkTagRecords = m_jobs.TagRecords();
}

void TagEditSession::clearRows()
{
    m_rows.setCaptions({});
}

void TagEditSession::store(TagField field, const QString &text)
{
    const int row = currentRow();
    if (row >= 0 && row < WorkTagRecords.size())
        SetTagField(WorkTagRecords[row], field, text);
}

void TagEditSession::storeAll(TagField field, const QString &text)
{
    const int rows = qMin(m_rows.rowCount(), int(WorkTagRecords.size()));
    for (int row = 0; row < rows; ++row)
        SetTagField(WorkTagRecords[row], field, text);
}

void TagEditSession::captionFromTitle(const QString &title)
{
    const int row = currentRow();
    if (row >= 0 && !title.isEmpty())
        m_rows.setCaption(row, title);
}

void TagEditSession::commit()
{
    if (!hasRows())
        return;
    const int rows = std::min({m_rows.rowCount(), int(WorkTagRecords.size()), m_jobs.rowCount()});
    for (int row = 0; row < rows; ++row)
        m_jobs.tags(row) = WorkTagRecords[row];
    for (int row = 0; row < rows; ++row) {
        const QString &title = WorkTagRecords[row].Title;
        if (!title.isEmpty())
            m_jobs.fileModel()->setCaption(row, title);
    }
}

} // namespace korvex
