#pragma once

#include "joblist/ListActivity.h"
#include "joblist/ListDesk.h"
#include "joblist/SegmentView.h"

#include <QObject>

namespace korvex {

class JobList;
class SkinFace;
struct Settings;

// The list commands of the main window on the job list: the reaction to a
// change of the file selection, moving, removing and clearing entries,
// clearing an entry's segments, and the total marked time on "tataltime".
// Every command but lvClick and ShowTotalTime does nothing while a run is
// converting or files are being added.
class JobEditor : public QObject
{
    Q_OBJECT
public:
    JobEditor(const ListDesk &desk, ListActivity &activity, QObject *parent = nullptr);

    // The selection of lv has or may have changed: fixes the current entry,
    // scales the slider to it, shows its segment view and its path. During a
    // run the selection snaps back to the entry being converted, during
    // playback to the entry being played.
    void lvClick();
    void MoveUp();
    void MoveDown();
    void RemoveFile();
    void ClearJob();
    void ClearSegments();
    void ShowTotalTime();

    SegmentView &segmentView() { return m_view; }
    // The list these commands edit, for the commands built on them.
    const ListDesk &desk() const { return m_desk; }
    ListActivity &activity() const { return m_activity; }

Q_SIGNALS:
    // The entry the player is using is about to go away or lose its segments.
    // The player stops at once (a direct connection), so that it never reads a
    // record that is no longer there.
    void stopPlaybackRequested();
    // lv should take the keyboard focus (after a move).
    void fileListFocusRequested();

private:
    bool listLocked() const;
    // The current row of lv moved (a click, the arrow keys, a program):
    // what a click shows follows it, once the list is whole again.
    void followCurrentRow(int row);
    void moveSelected(int step);
    void scaleSlider(int row);
    bool playerUsesEntry(int row) const;

    ListDesk m_desk;
    ListActivity &m_activity;
    JobList &m_jobs;
    const Settings &m_settings;
    const RunState &m_run;
    PlayerState &m_player;
    SkinFace &m_skin;
    SegmentView m_view;
    bool m_inLvClick = false;
};

} // namespace korvex
