#include "SegmentView.h"

#include "JobList.h"
#include "ListText.h"
#include "Scale.h"
#include "SegmentPlan.h"
#include "StatusWords.h"
#include "components/SkinFace.h"
#include "joblist/PlayerState.h"
#include "settings/Settings.h"

namespace korvex {

namespace {

QList<SegmentRow> unconvertedRows(const QList<Segment> &plan)
{
    QList<SegmentRow> rows;
    for (const Segment &piece : plan)
        rows.append(makeSegmentRow(piece.Begin, piece.End, status_word::Unconvert));
    return rows;
}

} // namespace

SegmentView::SegmentView(const ListDesk &desk, PlayerState &player)
    : m_jobs(desk.jobs), m_settings(desk.settings), m_player(player), m_skin(desk.skin)
{
}

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
    showPositionTime(row);
    showMarkedSegments(row);
}

void SegmentView::showTime(int row)
{
    showPositionTime(row);
    m_jobs.segmentModel()->setRows(
        unconvertedRows(entryTimePlan(m_jobs.JobRecords().at(row), m_settings.SplitSeconds)));
}

void SegmentView::showCount(int row)
{
    showPositionTime(row);
    m_jobs.segmentModel()->setRows(
        unconvertedRows(entryCountPlan(m_jobs.JobRecords().at(row), m_settings.SplitCount)));
}

void SegmentView::showMovedPlan(const QList<Segment> &plan)
{
    m_jobs.segmentModel()->setRows(unconvertedRows(plan));
}

void SegmentView::showUnification()
{
    showPositionTime(qBound(0, m_jobs.SelectedFileRow, m_jobs.rowCount() - 1));
    showMarkedSegments(0);
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
    const QList<Segment> segments = allSegments(m_jobs.JobRecords().at(row));
    QList<SegmentRow> rows;
    for (qsizetype k = 0; k < segments.size(); ++k) {
        const bool pending = k == segments.size() - 1;
        rows.append(makeSegmentRow(segments.at(k).Begin, segments.at(k).End,
                                   pending ? status_word::Uncertain : status_word::OK));
    }
    m_jobs.segmentModel()->setRows(rows);
}

} // namespace korvex
