#include "engine/RunReportApplier.h"

#include "components/SkinFace.h"
#include "engine/RunContext.h"
#include "joblist/JobList.h"

namespace korvex {

void RunReportApplier::entryStarted(int row)
{
    JobList &jobs = m_work.jobs();
    if (row < 0 || row >= jobs.rowCount())
        return;
    // the entry is current before it is selected, so that the selection
    // does not snap back to the entry converted before
    jobs.SelectedFileRow = row;
    jobs.selectFileRow(row);
    // The path field names the selected entry, during the run and after it.
    m_work.skin().setText(skin_object::PathText, jobs.job(row).FileName);
    m_work.skin().redraw(skin_object::PathText);
}

void RunReportApplier::rowStatus(int row, const QString &word)
{
    SegmentListModel &segments = *m_work.jobs().segmentModel();
    if (row >= 0 && row < segments.rowCount())
        segments.setStatus(row, word);
}

} // namespace korvex
