#pragma once

#include <QAbstractTableModel>
#include <QList>
#include <QString>

namespace korvex {

struct SegmentRow
{
    QString caption;   // "00:00:10 - 00:01:00"
    QString length;    // TimeText of end − begin
    QString status;    // one of status_word
    bool operator==(const SegmentRow &) const = default;
};

// A row for the segment [begin, end]; the length keeps its sign.
SegmentRow makeSegmentRow(qint64 beginMs, qint64 endMs, const QString &status);

// The rows of the segment list `lv_time`: the plan of one entry in the form of
// the current mode. The views rebuild it, segment marking and the runs edit its
// rows in place.
class SegmentListModel : public QAbstractTableModel
{
    Q_OBJECT
public:
    enum Column { BeginEndColumn = 0, LengthColumn = 1, StatusColumn = 2, ColumnCount = 3 };

    using QAbstractTableModel::QAbstractTableModel;

    int rowCount(const QModelIndex &parent = {}) const override;
    int columnCount(const QModelIndex &parent = {}) const override;
    QVariant data(const QModelIndex &index, int role = Qt::DisplayRole) const override;
    // Qt::DisplayRole gives the title, Qt::SizeHintRole a QSize whose width is
    // columnWidth(section).
    QVariant headerData(int section, Qt::Orientation orientation,
                        int role = Qt::DisplayRole) const override;

    // 100, 50 and 64.
    static int columnWidth(int column);

    const SegmentRow &row(int row) const { return m_rows.at(row); }
    QString status(int row) const { return m_rows.at(row).status; }

    // Empties the list and fills it with rows, in one reset.
    void setRows(const QList<SegmentRow> &rows);
    void clear() { setRows({}); }
    void appendRow(const SegmentRow &row);
    void removeRow(int row);
    void setRow(int row, const SegmentRow &value);
    void setCaption(int row, const QString &caption);
    void setLength(int row, const QString &length);
    void setStatus(int row, const QString &status);

private:
    void changeCell(int row, int column);

    QList<SegmentRow> m_rows;
};

} // namespace korvex
