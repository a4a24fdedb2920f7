#include "joblist/SegmentMarker.h"

#include "components/Seams.h"
#include "components/SkinFace.h"
#include "joblist/JobEditor.h"
#include "joblist/JobList.h"
#include "joblist/ListActivity.h"
#include "joblist/ListText.h"
#include "joblist/Scale.h"
#include "joblist/SegmentTagEdits.h"
#include "joblist/StatusWords.h"
#include "settings/Settings.h"

#include <QScopedValueRollback>

namespace korvex {

const QString SegmentMarker::OnlyCustomOrUnification =
    QStringLiteral("Only chose \"Custom\" or \"unification\" function, this button is usable.");
const QString SegmentMarker::BeginAfterEnd = QStringLiteral("Start-time must not be larger than end-time.");
const QString SegmentMarker::PendingNotRemovable =
    QStringLiteral("This item, the procedure will automatically process. Need not delete.");
const QString SegmentMarker::ListShowsOtherRows =
    QStringLiteral("While this segment plays, the segment list does not show the segments Begin, End and OK "
                   "work on. Press Stop, then mark again.");

SegmentMarker::SegmentMarker(JobEditor &editor, MessageSeam &messages, QObject *parent)
    : QObject(parent)
    , m_jobs(editor.desk().jobs)
    , m_settings(editor.desk().settings)
    , m_run(editor.activity().run)
    , m_player(editor.activity().player)
    , m_skin(editor.desk().skin)
    , m_editor(editor)
    , m_messages(messages)
{
    // rows reached with the arrow keys are chosen as a click chooses them
    connect(m_jobs.segmentSelection(), &QItemSelectionModel::currentRowChanged, this,
            [this](const QModelIndex &current) {
                if (current.isValid() && !m_inClick)
                    lv_timeClick();
            });
}

void SegmentMarker::MarkBegin()
{
    mark(End::Begin);
}

void SegmentMarker::MarkEnd()
{
    mark(End::End);
}

void SegmentMarker::mark(End end)
{
    if (!markingGuard() || refusedByMode())
        return;
    listrecord *entry = editedEntry();
    if (!entry)
        return;
    QList<qint64> &times = end == End::Begin ? entry->BeginTime : entry->EndTime;
    // The slider marks whole seconds, as the position clock shows them.
    times[entry->Count - 1] = qint64(clockTime()) * 1000;
    showPendingRow(*entry);
    m_editor.ShowTotalTime();
}

void SegmentMarker::ConfirmSegment()
{
    if (!markingGuard() || refusedByMode())
        return;
    listrecord *entry = editedEntry();
    if (!entry)
        return;
    const int n = entry->Count;
    if (entry->EndTime.at(n - 1) - entry->BeginTime.at(n - 1) < 0) {
        m_messages.error(BeginAfterEnd);
        return;
    }
    // the entry first: whoever redraws on the rows' change finds it whole
    const qint64 wholeEndMs = qint64(entry->Duration) * 1000;
    entry->BeginTime.resize(n + 1);
    entry->EndTime.resize(n + 1);
    entry->BeginTime[n] = 0;
    entry->EndTime[n] = wholeEndMs;
    entry->Count = n + 1;
    TrimOwnTags(*entry);
    SegmentListModel &rows = *m_jobs.segmentModel();
    rows.setStatus(n - 1, status_word::Ok);
    rows.appendRow(makeSegmentRow(0, wholeEndMs, status_word::Uncertain));
    m_editor.ShowTotalTime();
}

void SegmentMarker::RemoveSegment()
{
    const int mode = m_settings.SplitMode;
    if (m_run.Converting || (mode != split_mode::Custom && mode != split_mode::Unification))
        return;
    const int r = m_jobs.selectedSegmentRow();
    listrecord *entry = editedEntry();
    if (m_jobs.selectedFileRow() < 0 || r < 0 || !entry)
        return;
    SegmentListModel &rows = *m_jobs.segmentModel();
    // The row being played shows "Playing"; what it is, is its own word.
    const bool played = m_player.Playing && m_player.SegmentPlayback && r == m_player.PlayerSegment;
    const QString word = played && rows.status(r) == status_word::Playing ? m_player.SavedStatus : rows.status(r);
    if (word == status_word::Uncertain) {
        m_messages.error(PendingNotRemovable);
        return;
    }
    if (played)
        Q_EMIT stopPlaybackRequested();
    else if (m_player.Playing && m_player.SegmentPlayback && r < m_player.PlayerSegment)
        --m_player.PlayerSegment;  // the played row moves up with its segment

    RemoveSegmentAt(*entry, r);
    rows.removeRow(r);
    const int count = rows.rowCount();
    if (m_jobs.SelectedSegmentRow > count - 1)
        m_jobs.SelectedSegmentRow = count - 1;
    m_jobs.selectSegmentRow(m_jobs.SelectedSegmentRow);
    entry->BeginTime.resize(count);
    entry->EndTime.resize(count);
    entry->Count = count;
    TrimOwnTags(*entry);
    m_editor.ShowTotalTime();
}

void SegmentMarker::lv_timeClick()
{
    const int rows = m_jobs.segmentModel()->rowCount();
    if (rows == 0)
        return;
    const QScopedValueRollback inClick(m_inClick, true);
    m_jobs.SelectedSegmentRow = qBound(0, m_jobs.SelectedSegmentRow, rows - 1);
    if (m_jobs.selectedSegmentRow() < 0)
        m_jobs.selectSegmentRow(m_jobs.SelectedSegmentRow);
    m_jobs.SelectedSegmentRow = m_jobs.selectedSegmentRow();
    m_jobs.SegmentSelected = true;
}

bool SegmentMarker::markingGuard() const
{
    return !m_run.Converting && m_jobs.selectedFileRow() >= 0 && m_jobs.segmentModel()->rowCount() > 0;
}

bool SegmentMarker::refusedByMode()
{
    const int mode = m_settings.SplitMode;
    if (mode != split_mode::Time && mode != split_mode::Count)
        return false;
    m_messages.error(OnlyCustomOrUnification);
    return true;
}

listrecord *SegmentMarker::editedEntry()
{
    const int entries = m_jobs.rowCount();
    if (entries == 0)
        return nullptr;
    const int row =
        m_settings.SplitMode == split_mode::Unification ? 0 : qBound(0, m_jobs.SelectedFileRow, entries - 1);
    listrecord &entry = m_jobs.job(row);
    // The list can still show what a run left (its pieces, the pending row
    // set aside) or the pieces of the mode set before a change made while
    // something played. Its rows are then not these segments: the list is
    // shown afresh, which loses nothing, unless a segment plays from it.
    if (m_jobs.segmentModel()->rowCount() != entry.Count) {
        if (m_player.Playing && m_player.SegmentPlayback) {
            m_messages.error(ListShowsOtherRows);
            return nullptr;
        }
        m_editor.segmentView().show(qBound(0, m_jobs.SelectedFileRow, entries - 1));
        m_jobs.SegmentSelected = false;
        if (m_jobs.segmentModel()->rowCount() != entry.Count)
            return nullptr;
    }
    return &entry;
}

// What "timecaption" shows: Begin and End take that time, in the file the
// slider stands in. A slider moved without the time being shown (nothing
// does that today) is read afresh.
int SegmentMarker::clockTime()
{
    m_player.PlayPosition = m_skin.position(skin_object::Slider);
    if (m_player.PlayPosition == m_player.ClockPosition)
        return m_player.ClockSeconds;
    const int max = m_skin.maxPosition(skin_object::Slider);
    const int row = m_jobs.SelectedFileRow;
    if (max <= 0 || row < 0 || row >= m_jobs.rowCount())
        return 0;
    return Scale(m_player.PlayPosition, m_jobs.job(row).Duration, max);
}

void SegmentMarker::showPendingRow(const listrecord &entry)
{
    const int last = entry.Count - 1;
    const qint64 begin = entry.BeginTime.at(last);
    const qint64 end = entry.EndTime.at(last);
    SegmentListModel &rows = *m_jobs.segmentModel();
    rows.setCaption(last, SegmentCaption(begin, end));
    rows.setLength(last, end - begin < 0 ? TimeText(0) : MsTimeText(end - begin));
}

} // namespace korvex
