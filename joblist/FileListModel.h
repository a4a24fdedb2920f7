#pragma once

#include <QAbstractTableModel>
#include <QList>
#include <QString>

namespace korvex {

// What a row of the file list shows: the caption, the duration text (column
// "Time", kept 0 wide) and the size text, which no column shows and which is
// read with SizeTextRole.
struct FileRow
{
    QString caption;
    QString durationText;
    QString sizeText;
    bool operator==(const FileRow &) const = default;
};

// The rows of the file list `lv`. Only JobList changes its row structure, so
// that rows, job records and tag records stay in step; the texts of a row may
// be set by anyone.
class FileListModel : public QAbstractTableModel
{
    Q_OBJECT
public:
    enum Column { FileNameColumn = 0, TimeColumn = 1, ColumnCount = 2 };
    static constexpr int SizeTextRole = Qt::UserRole + 1;
    // The "File name" column narrows to make room for the scroll bar.
    static constexpr int NarrowFromRows = 13;

    using QAbstractTableModel::QAbstractTableModel;

    int rowCount(const QModelIndex &parent = {}) const override;
    int columnCount(const QModelIndex &parent = {}) const override;
    QVariant data(const QModelIndex &index, int role = Qt::DisplayRole) const override;
    // Qt::DisplayRole gives the title, Qt::SizeHintRole a QSize whose width is
    // columnWidth(section).
    QVariant headerData(int section, Qt::Orientation orientation,
                        int role = Qt::DisplayRole) const override;

    // 120 for "File name" (113 from 13 rows on), 0 for "Time".
    int columnWidth(int column) const;

    const FileRow &row(int row) const { return m_rows.at(row); }
    void setCaption(int row, const QString &caption);
    void setDurationText(int row, const QString &text);
    void setSizeText(int row, const QString &text);

private:
    friend class JobList;
    void appendRow(const FileRow &row);
    void removeRow(int row);
    void swapRows(int a, int b);
    void clearRows();
    void changeRow(int row);
    void announceWidthChange(int rowsBefore);

    QList<FileRow> m_rows;
};

} // namespace korvex
