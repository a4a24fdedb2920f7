#include "FileListModel.h"

#include <QSize>

namespace korvex {

int FileListModel::rowCount(const QModelIndex &parent) const
{
    return parent.isValid() ? 0 : int(m_rows.size());
}

int FileListModel::columnCount(const QModelIndex &parent) const
{
    return parent.isValid() ? 0 : ColumnCount;
}

QVariant FileListModel::data(const QModelIndex &index, int role) const
{
    if (!checkIndex(index, CheckIndexOption::IndexIsValid))
        return {};
    const FileRow &r = m_rows.at(index.row());
    if (role == SizeTextRole)
        return r.sizeText;
    if (role != Qt::DisplayRole)
        return {};
    return index.column() == FileNameColumn ? r.caption : r.durationText;
}

QVariant FileListModel::headerData(int section, Qt::Orientation orientation, int role) const
{
    if (orientation != Qt::Horizontal || section < 0 || section >= ColumnCount)
        return {};
    if (role == Qt::DisplayRole)
        return section == FileNameColumn ? QStringLiteral("File name") : QStringLiteral("Time");
    if (role == Qt::SizeHintRole)
        return QSize(columnWidth(section), 0);
    return {};
}

int FileListModel::columnWidth(int column) const
{
    if (column != FileNameColumn)
        return 0;
    return m_rows.size() >= NarrowFromRows ? 113 : 120;
}

void FileListModel::setCaption(int row, const QString &caption)
{
    m_rows[row].caption = caption;
    changeRow(row);
}

void FileListModel::setDurationText(int row, const QString &text)
{
    m_rows[row].durationText = text;
    changeRow(row);
}

void FileListModel::setSizeText(int row, const QString &text)
{
    m_rows[row].sizeText = text;
    changeRow(row);
}

void FileListModel::appendRow(const FileRow &row)
{
    const int before = int(m_rows.size());
    beginInsertRows({}, before, before);
    m_rows.append(row);
    endInsertRows();
    announceWidthChange(before);
}

void FileListModel::removeRow(int row)
{
    const int before = int(m_rows.size());
    beginRemoveRows({}, row, row);
    m_rows.removeAt(row);
    endRemoveRows();
    announceWidthChange(before);
}

void FileListModel::swapRows(int a, int b)
{
    m_rows.swapItemsAt(a, b);
    changeRow(a);
    changeRow(b);
}

void FileListModel::clearRows()
{
    const int before = int(m_rows.size());
    beginResetModel();
    m_rows.clear();
    endResetModel();
    announceWidthChange(before);
}

void FileListModel::changeRow(int row)
{
    Q_EMIT dataChanged(index(row, 0), index(row, ColumnCount - 1));
}

void FileListModel::announceWidthChange(int rowsBefore)
{
    const bool wasNarrow = rowsBefore >= NarrowFromRows;
    const bool isNarrow = m_rows.size() >= NarrowFromRows;
    if (wasNarrow != isNarrow)
        Q_EMIT headerDataChanged(Qt::Horizontal, FileNameColumn, FileNameColumn);
}

} // namespace korvex
