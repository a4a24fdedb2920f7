#include "engine/RunReportApplier.h"

#include "components/SkinFace.h"
#include "engine/ConvertProgress.h"
#include "engine/RunContext.h"
#include "joblist/JobEditor.h"
#include "joblist/JobList.h"
#include "joblist/SegmentTagEdits.h"
#include "joblist/StatusWords.h"
#include "settings/Settings.h"

namespace korvex {

void RunReportApplier::entryStarted(int row)
{
    JobList &jobs = m_context.jobs();
    if (row < 0 || row >= jobs.rowCount())
        return;
    // the entry is current before it is selected, so that the selection
    // does not snap back to the entry converted before
    jobs.SelectedFileRow = row;
    jobs.selectFileRow(row);
    // The path field names the selected entry, during the run and after it.
    m_context.skin().setText(skin_object::PathText, jobs.job(row).FileName);
    m_context.skin().redraw(skin_object::PathText);
}

void RunReportApplier::rowsShown(int clockRow, const QList<SegmentRow> &rows)
{
    if (clockRow >= m_context.jobs().rowCount())
        return;
    m_context.editor.segmentView().showRunRows(clockRow, rows);
}

void RunReportApplier::rowStatus(int row, const QString &word)
{
    SegmentListModel &segments = *m_context.jobs().segmentModel();
    if (row >= 0 && row < segments.rowCount())
        segments.setStatus(row, word);
}

void RunReportApplier::pendingSetAside(int row, bool hideFromEntry)
{
    JobList &jobs = m_context.jobs();
    SegmentListModel &segments = *jobs.segmentModel();
    if (row < 0 || row >= jobs.rowCount() || segments.rowCount() == 0)
        return;
    if (segments.rowCount() == 1) {
        segments.setStatus(0, status_word::OK);
        return;
    }
    segments.removeRow(segments.rowCount() - 1);
    if (!hideFromEntry)
        return;
    jobs.job(row).Count = segments.rowCount();
    m_lowered.append(row);
}

void RunReportApplier::givePendingBack()
{
    for (const int row : std::as_const(m_lowered)) {
        if (row < m_context.jobs().rowCount())
            ++m_context.jobs().job(row).Count;
    }
    m_lowered.clear();
}

void RunReportApplier::segmentsFound(int row, const QList<Segment> &found)
{
    if (row < 0 || row >= m_context.jobs().rowCount())
        return;
    listrecord &entry = m_context.jobs().job(row);
    const int pending = entry.Count - 1;
    QList<qint64> begins;
    QList<qint64> ends;
    for (const Segment &segment : found) {
        begins.append(segment.Begin);
        ends.append(segment.End);
    }
    begins.append(entry.BeginTime.value(pending));
    ends.append(entry.EndTime.value(pending, qint64(entry.Duration) * 1000));
    entry.BeginTime = begins;
    entry.EndTime = ends;
    entry.Count = int(begins.size());
    ForgetOwnTags(entry);
    m_context.editor.lvClick();
    m_context.editor.ShowTotalTime();
}

void RunReportApplier::pieceProgress(int value)
{
    m_context.skin().setText(skin_object::PercentText, QString::number(value / 100) + QLatin1Char('%'));
    m_context.skin().redraw(skin_object::PercentText);
    m_context.progress.ShowConvertProgress(value, m_context.settings.settings().SkinFlag);
}

void RunReportApplier::runProgress(int value, const QString &text)
{
    m_context.progress.ShowRunProgress(value, text);
}

void RunReportApplier::progressCleared()
{
    m_context.skin().setText(skin_object::PercentText, QString());
    m_context.skin().redraw(skin_object::PercentText);
    m_context.progress.ShowConvertProgress(0, m_context.settings.settings().SkinFlag);
}

} // namespace korvex
