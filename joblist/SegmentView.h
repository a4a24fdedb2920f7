#pragma once

#include "joblist/AdjustScanner.h"
#include "joblist/ListDesk.h"

#include <QList>

#include <memory>
#include <optional>

namespace korvex {

class JobList;
class SettingsFile;
class SkinFace;
struct PlayerState;
struct Segment;
struct SegmentRow;
struct Settings;

// Fills the segment list `lv_time` with the plan of one entry in the form of a
// mode, after putting the time of the slider position on "timecaption". The
// list commands show the form of the current mode; a run shows its own.
//
// When [Function] Adjust is set, a time or count plan is shown as it is at
// once and its cuts are moved into pauses on a worker (AdjustScanner); the
// moved plan replaces the plain one when the scan is done, as long as the
// list still shows that plain plan. Showing anything else abandons the scan.
class SegmentView
{
public:
    SegmentView(const ListDesk &desk, PlayerState &player);
    ~SegmentView();
    SegmentView(const SegmentView &) = delete;
    SegmentView &operator=(const SegmentView &) = delete;

    // Where [Silence] and [Function] Adjust are read; without it (a view
    // made on its own) only Settings::SilenceOverride moves cuts.
    void readSilenceSettingsFrom(const SettingsFile &file) { m_file = &file; }

    // The form of settings.SplitMode for entry row.
    void show(int row);
    // The entry's segments, "Uncertain" for the pending one, "OK" for the others.
    void showCustom(int row);
    // The pieces of the time or count plan, all "Unconvert".
    void showTime(int row);
    void showCount(int row);
    // The rows a run shows, with the position clock set for entry
    // `clockRow` (left as it is for -1). A scan the list waited for no
    // longer replaces them.
    void showRunRows(int clockRow, const QList<SegmentRow> &rows);
    // The scanner behind the moved plans: its scanFinished() tells that one
    // may have been shown; a run waits on it for the plan it converts.
    AdjustScanner &adjustScanner();
    // What moves the cuts of entry `row`'s time or count `plan` into pauses
    // as the silence settings say; none while Adjust is off.
    std::optional<AdjustRequest> adjustRequest(int row, const QList<Segment> &plan) const;
    // [Silence] and Adjust as the settings hold them now.
    SilenceSettings silenceSettings() const;
    // Entry 0's segments, whichever entry is current.
    void showUnification();

private:
    void showPositionTime(int row);
    void showMarkedSegments(int row);
    // Shows a time or count plan and, when Adjust is on, starts moving its cuts.
    void showPlan(int row, const QList<Segment> &plan);
    // A time or count plan as a finished scan moved its cuts, all "Unconvert".
    void showMovedPlan(const QList<Segment> &plan);
    // The scanner's news: the moved plan awaited, if the list still shows
    // the plain one it belongs to.
    void showFinishedScan();
    void forgetScan();

    JobList &m_jobs;
    const Settings &m_settings;
    PlayerState &m_player;
    SkinFace &m_skin;
    const SettingsFile *m_file = nullptr;
    // Made with the first plan to adjust, so a session that never adjusts
    // starts no thread.
    std::unique_ptr<AdjustScanner> m_scanner;
    // The request whose moved plan the list waits for, if any.
    std::optional<AdjustRequest> m_awaited;
};

} // namespace korvex
