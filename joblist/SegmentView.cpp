#include "SegmentView.h"

#include "JobList.h"
#include "ListText.h"
#include "Scale.h"
#include "SegmentPlan.h"
#include "SegmentRows.h"
#include "components/SkinFace.h"
#include "joblist/PlayerState.h"
#include "settings/Settings.h"

namespace korvex {

namespace {

bool listShows(const SegmentListModel &model, const QList<SegmentRow> &rows)
{
    if (model.rowCount() != rows.size())
        return false;
    for (qsizetype k = 0; k < rows.size(); ++k) {
        if (model.row(int(k)) != rows.at(k))
            return false;
    }
    return true;
}

} // namespace

SegmentView::SegmentView(const ListDesk &desk, PlayerState &player)
    : m_jobs(desk.jobs), m_settings(desk.settings), m_player(player), m_skin(desk.skin)
{
}

SegmentView::~SegmentView() = default;

void SegmentView::show(int row)
{
    switch (m_settings.SplitMode) {
    case split_mode::Time:
        showTime(row);
        break;
    case split_mode::Count:
        showCount(row);
        break;
    case split_mode::Unification:
        showUnification();
        break;
    default:
        showCustom(row);
        break;
    }
}

void SegmentView::showCustom(int row)
{
    forgetScan();
    showPositionTime(row);
    showMarkedSegments(row);
}

void SegmentView::showTime(int row)
{
    showPositionTime(row);
    showPlan(row, entryTimePlan(m_jobs.JobRecords().at(row), m_settings.SplitSeconds));
}

void SegmentView::showCount(int row)
{
    showPositionTime(row);
    showPlan(row, entryCountPlan(m_jobs.JobRecords().at(row), m_settings.SplitCount));
}

void SegmentView::showMovedPlan(const QList<Segment> &plan)
{
    m_awaited.reset();
    m_jobs.segmentModel()->setRows(unconvertedRows(plan));
}

void SegmentView::showUnification()
{
    forgetScan();
    showPositionTime(qBound(0, m_jobs.SelectedFileRow, m_jobs.rowCount() - 1));
    showMarkedSegments(0);
}

void SegmentView::showRunRows(int clockRow, const QList<SegmentRow> &rows)
{
    // from here the list shows what the run says: a scan it waited for
    // must not replace that
    m_awaited.reset();
    if (clockRow >= 0)
        showPositionTime(clockRow);
    m_jobs.segmentModel()->setRows(rows);
}

AdjustScanner &SegmentView::adjustScanner()
{
    if (!m_scanner) {
        m_scanner = std::make_unique<AdjustScanner>();
        QObject::connect(m_scanner.get(), &AdjustScanner::scanFinished, m_scanner.get(),
                         [this] { showFinishedScan(); }, Qt::QueuedConnection);
    }
    return *m_scanner;
}

void SegmentView::showPlan(int row, const QList<Segment> &plan)
{
    m_jobs.segmentModel()->setRows(unconvertedRows(plan));
    m_awaited = adjustRequest(row, plan);
    if (!m_awaited) {
        forgetScan();
        return;
    }
    adjustScanner().start(*m_awaited);
    // a plan scanned before (shown again, or by the run that asks next) is there at once
    showFinishedScan();
}

SilenceSettings SegmentView::silenceSettings() const
{
    if (m_file)
        return RunSilenceSettings(m_settings, *m_file);
    return Clamped(m_settings.SilenceOverride.value_or(SilenceSettings{}));
}

std::optional<AdjustRequest> SegmentView::adjustRequest(int row, const QList<Segment> &plan) const
{
    const SilenceSettings silence = silenceSettings();
    if (silence.AdjustMs <= 0)
        return std::nullopt;
    return AdjustRequest::of(m_jobs.JobRecords().at(row).FileName, plan, silence);
}

void SegmentView::showFinishedScan()
{
    if (!m_awaited || !m_scanner)
        return;
    const std::optional<MovedPlan> moved = m_scanner->finished(*m_awaited);
    if (!moved)
        return;
    const QList<Segment> plain = m_awaited->plan;
    m_awaited.reset();
    // a file that cannot be read keeps its plain plan here; a run says why
    if (moved->failure.isEmpty() && listShows(*m_jobs.segmentModel(), unconvertedRows(plain)))
        showMovedPlan(moved->plan);
}

void SegmentView::forgetScan()
{
    m_awaited.reset();
    if (m_scanner)
        m_scanner->abandon();
}

// The time of the slider's position in the file the slider is scaled to,
// the current entry's (in the unification view too: the knob stands in that
// file, whoever's segments the list shows).
void SegmentView::showPositionTime(int row)
{
    const int duration = m_jobs.JobRecords().at(row).Duration;
    const int positionMax = m_skin.maxPosition(skin_object::Slider);
    m_player.PlayPosition = qBound(0, m_skin.position(skin_object::Slider), qMax(0, positionMax));
    // A slider without room (no entry scaled it yet) stands at 0, not at −1.
    const int seconds = positionMax > 0 ? Scale(m_player.PlayPosition, duration, positionMax) : 0;
    m_player.ClockSeconds = seconds;
    m_player.ClockPosition = m_player.PlayPosition;
    m_player.PositionText = TimeText(seconds);
    m_skin.setText(skin_object::PositionCaption, m_player.PositionText);
    m_skin.redraw(skin_object::PositionCaption);
}

void SegmentView::showMarkedSegments(int row)
{
    m_jobs.segmentModel()->setRows(markedRows(m_jobs.JobRecords().at(row)));
}

} // namespace korvex
