#include "SegmentListModel.h"

#include "ListText.h"

#include <QSize>

namespace korvex {

SegmentRow makeSegmentRow(qint64 beginMs, qint64 endMs, const QString &status)
{
    return {SegmentCaption(beginMs, endMs), MsTimeText(endMs - beginMs), status};
}

int SegmentListModel::rowCount(const QModelIndex &parent) const
{
    return parent.isValid() ? 0 : int(m_rows.size());
}

int SegmentListModel::columnCount(const QModelIndex &parent) const
{
    return parent.isValid() ? 0 : ColumnCount;
}

QVariant SegmentListModel::data(const QModelIndex &index, int role) const
{
    if (role != Qt::DisplayRole || !checkIndex(index, CheckIndexOption::IndexIsValid))
        return {};
    const SegmentRow &r = m_rows.at(index.row());
    switch (index.column()) {
    case BeginEndColumn:
        return r.caption;
    case LengthColumn:
        return r.length;
    default:
        return r.status;
    }
}

QVariant SegmentListModel::headerData(int section, Qt::Orientation orientation, int role) const
{
    if (orientation != Qt::Horizontal || section < 0 || section >= ColumnCount)
        return {};
    if (role == Qt::SizeHintRole)
        return QSize(columnWidth(section), 0);
    if (role != Qt::DisplayRole)
        return {};
    static const QString titles[ColumnCount] = {QStringLiteral("Begin Time - End"),
                                                QStringLiteral("Length"), QStringLiteral("Status")};
    return titles[section];
}

int SegmentListModel::columnWidth(int column)
{
    static constexpr int widths[ColumnCount] = {100, 50, 64};
    return column >= 0 && column < ColumnCount ? widths[column] : 0;
}

void SegmentListModel::setRows(const QList<SegmentRow> &rows)
{
    beginResetModel();
    m_rows = rows;
    endResetModel();
}

void SegmentListModel::appendRow(const SegmentRow &row)
{
    const int at = int(m_rows.size());
    beginInsertRows({}, at, at);
    m_rows.append(row);
    endInsertRows();
}

void SegmentListModel::removeRow(int row)
{
    beginRemoveRows({}, row, row);
    m_rows.removeAt(row);
    endRemoveRows();
}

void SegmentListModel::setRow(int row, const SegmentRow &value)
{
    m_rows[row] = value;
    Q_EMIT dataChanged(index(row, 0), index(row, ColumnCount - 1));
}

void SegmentListModel::setCaption(int row, const QString &caption)
{
    m_rows[row].caption = caption;
    changeCell(row, BeginEndColumn);
}

void SegmentListModel::setLength(int row, const QString &length)
{
    m_rows[row].length = length;
    changeCell(row, LengthColumn);
}

void SegmentListModel::setStatus(int row, const QString &status)
{
    m_rows[row].status = status;
    changeCell(row, StatusColumn);
}

void SegmentListModel::changeCell(int row, int column)
{
    const QModelIndex cell = index(row, column);
    Q_EMIT dataChanged(cell, cell);
}

} // namespace korvex
