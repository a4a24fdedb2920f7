#pragma once

#include "joblist/ListDesk.h"

#include <QList>

namespace korvex {

class JobList;
class SkinFace;
struct PlayerState;
struct Segment;
struct Settings;

// Fills the segment list `lv_time` with the plan of one entry in the form of a
// mode, after putting the time of the slider position on "timecaption". The
// list commands show the form of the current mode; a run shows its own.
class SegmentView
{
public:
    SegmentView(const ListDesk &desk, PlayerState &player);

    // The form of settings.SplitMode for entry row.
    void show(int row);
    // The entry's segments, "Uncertain" for the pending one, "OK" for the others.
    void showCustom(int row);
    // The pieces of the time or count plan, all "Unconvert".
    void showTime(int row);
    void showCount(int row);
    // A time or count plan as a run moved its cuts, all "Unconvert".
    void showMovedPlan(const QList<Segment> &plan);
    // Entry 0's segments, whichever entry is current.
    void showUnification();

private:
    void showPositionTime(int row);
    void showMarkedSegments(int row);

    JobList &m_jobs;
    const Settings &m_settings;
    PlayerState &m_player;
    SkinFace &m_skin;
};

} // namespace korvex
