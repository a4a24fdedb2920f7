#pragma once

#include "FileListModel.h"
#include "JobRecords.h"
#include "SegmentListModel.h"

#include <QItemSelectionModel>
#include <QObject>

namespace korvex {

// The job list: for each entry a row of the file list `lv`, a job record and a
// tag record, always at the same position. Every change of the row structure
// goes through this class, which does it to all three; the texts of rows and
// the contents of records may be changed in place by their users. It also
// holds the segment list `lv_time`, the selections of both lists and the
// selection state the list commands share. Used on the window thread only.
class JobList : public QObject
{
    Q_OBJECT
public:
    explicit JobList(QObject *parent = nullptr);

    int rowCount() const { return int(m_jobs.size()); }
    const QList<listrecord> &JobRecords() const { return m_jobs; }
    const QList<AudioFileinfo> &TagRecords() const { return m_tags; }
    listrecord &job(int row) { return m_jobs[row]; }
    AudioFileinfo &tags(int row) { return m_tags[row]; }

    FileListModel *fileModel() { return &m_files; }
    SegmentListModel *segmentModel() { return &m_segments; }
    QItemSelectionModel *fileSelection() { return &m_fileSelection; }
    QItemSelectionModel *segmentSelection() { return &m_segmentSelection; }

    // Appends an entry and returns its row; a new tag record is empty.
    int appendEntry(const FileRow &row, const listrecord &job, const AudioFileinfo &tags = {});
    void removeEntry(int row);
    void swapEntries(int a, int b);
    // Removes every entry and empties the segment list.
    void clear();

    // The selected row of lv / lv_time, or −1 when none is selected.
    int selectedFileRow() const;
    int selectedSegmentRow() const;
    // Makes row the only selected one (and the current one); ignored when row
    // is not a row of the list.
    void selectFileRow(int row);
    void selectSegmentRow(int row);
    void deselectFileRow(int row);

    // The instructions memo `sm` lies over both lists exactly while lv is empty.
    bool memoVisible() const { return m_jobs.isEmpty(); }

    // Set while files are being added: the add pumps events, and the list
    // commands it would let through are ignored until it has finished.
    bool Adding() const { return m_adding; }
    class AddingScope
    {
    public:
        explicit AddingScope(JobList &list) : m_list(list) { m_list.m_adding = true; }
        ~AddingScope() { m_list.m_adding = false; }
        AddingScope(const AddingScope &) = delete;
        AddingScope &operator=(const AddingScope &) = delete;

    private:
        JobList &m_list;
    };

    // The last row selected in lv (the current entry) and in lv_time; whether
    // the user last clicked lv_time (Remove, Clear and Play then act on segments).
    int SelectedFileRow = 0;
    int SelectedSegmentRow = 0;
    bool SegmentSelected = false;

Q_SIGNALS:
    void memoVisibleChanged(bool visible);

private:
    static int selectedRow(const QItemSelectionModel &selection);
    static void selectRow(QItemSelectionModel &selection, int row);

    QList<listrecord> m_jobs;
    QList<AudioFileinfo> m_tags;
    FileListModel m_files;
    SegmentListModel m_segments;
    QItemSelectionModel m_fileSelection;
    QItemSelectionModel m_segmentSelection;
    bool m_adding = false;
};

} // namespace korvex
