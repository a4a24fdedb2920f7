#pragma once

#include "joblist/JobRecords.h"

#include <QAbstractTableModel>
#include <QItemSelectionModel>
#include <QList>
#include <QString>
#include <QStringList>

namespace korvex {

class JobList;

// The rows of the tag dialog's list `lv_id3`: one column, "File Name".
class TagRowsModel : public QAbstractTableModel
{
    Q_OBJECT
public:
    // The column narrows to make room for the scroll bar.
    static constexpr int NarrowFromRows = 20;

    using QAbstractTableModel::QAbstractTableModel;

    int rowCount(const QModelIndex &parent = {}) const override;
    int columnCount(const QModelIndex &parent = {}) const override;
    QVariant data(const QModelIndex &index, int role = Qt::DisplayRole) const override;
    // Qt::DisplayRole gives "File Name", Qt::SizeHintRole a QSize whose width
    // is columnWidth().
    QVariant headerData(int section, Qt::Orientation orientation, int role = Qt::DisplayRole) const override;

    // 143 for up to 19 rows, 127 from 20 rows on.
    int columnWidth() const;
    const QString &caption(int row) const { return m_captions.at(row); }
    void setCaption(int row, const QString &caption);
    void setCaptions(const QStringList &captions);

private:
    QStringList m_captions;
};

// The six tags the dialog edits, one box each.
enum class TagField { Title, Artist, Album, Year, Genre, Comment };

QString TagFieldText(const AudioFileinfo &record, TagField field);
void SetTagField(AudioFileinfo &record, TagField field, const QString &text);

// What the tag dialog does to the job list, without its widgets: the rows of
// `lv_id3`, the current row, and `WorkTagRecords`, the copy of the job list's
// tag records that the boxes edit. Nothing reaches the job list before
// commit(). Used on the window thread only, while the dialog is open (it is
// modal, so the job list keeps its rows meanwhile).
class TagEditSession
{
public:
    explicit TagEditSession(JobList &jobs);
    TagEditSession(const TagEditSession &) = delete;
    TagEditSession &operator=(const TagEditSession &) = delete;

    TagRowsModel *rows() { return &m_rows; }
    QItemSelectionModel *selection() { return &m_selection; }

    // One record per row; row i belongs to job-list entry i.
    QList<AudioFileinfo> WorkTagRecords;

    bool hasRows() const { return m_rows.rowCount() > 0; }
    // The selected row of lv_id3, or −1.
    int currentRow() const;
    // The record of the current row; null when there is none.
    const AudioFileinfo *currentRecord() const;
    void selectRow(int row);
    void selectFirstRowIfNone();

    // Rows captioned as the job list's rows are; false when the job list is
    // empty (the list then stays empty).
    bool takeRows();
    // A fresh copy of the job list's tag records: every edit is dropped.
    void takeTags();
    void clearRows();

    // The box's text into the current row's record; nothing without one.
    void store(TagField field, const QString &text);
    // The box's text into the record of every row.
    void storeAll(TagField field, const QString &text);
    // The current row's caption follows its title; an empty title leaves the
    // caption, so that no row of the list goes blank.
    void captionFromTitle(const QString &title);

    // Hands the records back to the job list and renames its rows after the
    // titles that are not empty. Records are assigned one by one, in place:
    // a run paused under the modal dialog may still hold one of them.
    void commit();

private:
    JobList &m_jobs;
    TagRowsModel m_rows;
    QItemSelectionModel m_selection;
};

} // namespace korvex
