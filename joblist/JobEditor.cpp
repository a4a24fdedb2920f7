#include "JobEditor.h"

#include "JobList.h"
#include "ListText.h"
#include "Scale.h"
#include "SegmentPlan.h"
#include "SegmentTagEdits.h"
#include "components/SkinFace.h"
#include "settings/Settings.h"

#include <QScopedValueRollback>

namespace korvex {

JobEditor::JobEditor(const ListDesk &desk, ListActivity &activity, QObject *parent)
    : QObject(parent)
    , m_desk(desk)
    , m_activity(activity)
    , m_jobs(desk.jobs)
    , m_settings(desk.settings)
    , m_run(activity.run)
    , m_player(activity.player)
    , m_skin(desk.skin)
    , m_view(desk, activity.player)
{
    connect(m_jobs.fileSelection(), &QItemSelectionModel::currentRowChanged, this,
            [this](const QModelIndex &current) { followCurrentRow(current.row()); });
}

void JobEditor::followCurrentRow(int row)
{
    // While rows are inserted, removed or reset the model and the records
    // differ in length; the command doing that runs lvClick itself after.
    if (m_inLvClick || row < 0 || row == m_jobs.SelectedFileRow
        || m_jobs.fileModel()->rowCount() != m_jobs.rowCount())
        return;
    lvClick();
}

void JobEditor::lvClick()
{
    const QScopedValueRollback inLvClick(m_inLvClick, true);
    m_jobs.SegmentSelected = false;
    const int rows = m_jobs.rowCount();
    if (rows == 0)
        return;
    if (m_jobs.SelectedFileRow > rows - 1)
        m_jobs.SelectedFileRow = rows - 1;
    // A negative row can only come from outside; the first entry is the
    // nearest thing to "the current entry" there is.
    if (m_jobs.SelectedFileRow < 0)
        m_jobs.SelectedFileRow = 0;
    if (m_run.Converting) {
        m_jobs.selectFileRow(m_jobs.SelectedFileRow);
        return;
    }
    if (m_player.Playing) {
        if (m_player.PlayerRow >= 0 && m_player.PlayerRow < rows)
            m_jobs.selectFileRow(m_player.PlayerRow);
        return;
    }
    if (m_jobs.selectedFileRow() < 0)
        m_jobs.selectFileRow(m_jobs.SelectedFileRow);
    const int row = m_jobs.selectedFileRow();
    m_jobs.SelectedFileRow = row;
    scaleSlider(row);
    m_view.show(row);
    m_skin.setText(skin_object::PathText, m_jobs.JobRecords().at(row).FileName);
    m_skin.redraw(skin_object::PathText);
}

void JobEditor::MoveUp()
{
    moveSelected(-1);
}

void JobEditor::MoveDown()
{
    moveSelected(+1);
}

void JobEditor::RemoveFile()
{
    if (listLocked())
        return;
    const int r = m_jobs.selectedFileRow();
    if (r < 0)
        return;
    if (playerUsesEntry(r))
        Q_EMIT stopPlaybackRequested();
    if (m_player.PlayerRow > r)
        --m_player.PlayerRow;
    m_jobs.removeEntry(r);
    if (m_player.PlayerRow >= m_jobs.rowCount())
        m_player.PlayerRow = qMax(0, m_jobs.rowCount() - 1);

    if (m_jobs.rowCount() == 0) {
        m_jobs.segmentModel()->clear();
    } else {
        const int lastRow = m_jobs.rowCount() - 1;
        if (m_jobs.SelectedFileRow < 0 || m_jobs.SelectedFileRow >= lastRow)
            m_jobs.SelectedFileRow = 0;
        m_jobs.selectFileRow(m_jobs.SelectedFileRow);
        lvClick();
    }
    ShowTotalTime();
}

void JobEditor::ClearJob()
{
    if (listLocked())
        return;
    if (m_player.Playing)
        Q_EMIT stopPlaybackRequested();
    m_jobs.clear();
    m_player.PlayerRow = 0;
    ShowTotalTime();
}

void JobEditor::ClearSegments()
{
    if (listLocked() || m_jobs.selectedFileRow() < 0)
        return;
    const int row = qBound(0, m_jobs.SelectedFileRow, m_jobs.rowCount() - 1);
    if (playerUsesEntry(row))
        Q_EMIT stopPlaybackRequested();
    m_jobs.segmentModel()->clear();
    listrecord &entry = m_jobs.job(row);
    entry.Count = 1;
    entry.BeginTime = {0};
    entry.EndTime = {qint64(entry.Duration) * 1000};
    ForgetOwnTags(entry);
    lvClick();
    ShowTotalTime();
}

void JobEditor::ShowTotalTime()
{
    m_skin.setText(skin_object::TotalText, MsTimeText(totalMarkedMs(m_jobs.JobRecords(), m_settings)));
    m_skin.redraw(skin_object::TotalText);
}

bool JobEditor::listLocked() const
{
    return m_run.Converting || m_jobs.Adding();
}

void JobEditor::moveSelected(int step)
{
    const int r = m_jobs.selectedFileRow();
    const int s = r + step;
    if (listLocked() || r < 0 || s < 0 || s >= m_jobs.rowCount())
        return;
    // The player's row follows its entry whichever of the two it is, so that
    // a playing neighbour is not swapped for the moved entry under the player.
    if (m_player.PlayerRow == r)
        m_player.PlayerRow = s;
    else if (m_player.PlayerRow == s)
        m_player.PlayerRow = r;
    m_jobs.swapEntries(r, s);
    // the list already shows the moved entry: the selection only follows it
    m_jobs.SelectedFileRow = s;
    m_jobs.deselectFileRow(r);
    m_jobs.selectFileRow(s);
    Q_EMIT fileListFocusRequested();
}

void JobEditor::scaleSlider(int row)
{
    const int range = m_jobs.JobRecords().at(row).SeekRange;
    m_skin.setRangeEnd(skin_object::Slider, range);
    m_skin.setThumbSize(skin_object::Slider, Scale(range, 52, 1100));
    m_skin.redraw(skin_object::Slider);
    m_player.PlayPositionMax = m_skin.maxPosition(skin_object::Slider);
}

bool JobEditor::playerUsesEntry(int row) const
{
    if (!m_player.Playing)
        return false;
    return row == m_player.PlayerRow || (m_settings.SplitMode == split_mode::Unification && row == 0);
}

} // namespace korvex
