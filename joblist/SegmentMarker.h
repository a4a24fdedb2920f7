#pragma once

#include <QObject>
#include <QString>

namespace korvex {

class JobEditor;
class JobList;
class MessageSeam;
class SkinFace;
struct ListActivity;
struct PlayerState;
struct RunState;
struct Settings;
struct listrecord;

// Segment marking: Begin and End take the time the clock shows for the
// slider's position (in the file the slider stands in) as the begin or end
// of the pending segment (the last row of lv_time), OK confirms it and opens
// a new one over the whole file, Remove takes a confirmed segment out again.
// They edit the current entry in custom mode and entry 0 in unification
// mode, whose segments are every entry's plan. Also the selection of lv_time.
// Window thread only.
class SegmentMarker : public QObject
{
    Q_OBJECT
public:
    static const QString OnlyCustomOrUnification;
    static const QString BeginAfterEnd;
    static const QString PendingNotRemovable;
    // Begin, End or OK while a segment plays from a list that shows other rows.
    static const QString ListShowsOtherRows;

    // Works on the editor's list, under the editor's activity.
    SegmentMarker(JobEditor &editor, MessageSeam &messages, QObject *parent = nullptr);

    void MarkBegin();
    void MarkEnd();
    void ConfirmSegment();
    void RemoveSegment();
    // A click on lv_time: a row is selected and Remove, Clear and Play act on
    // segments until the next click on lv.
    void lv_timeClick();
    void lv_timeDblClick() { lv_timeClick(); }

Q_SIGNALS:
    // The segment being played is about to be removed (a direct connection:
    // the player puts the row's own status word back before it goes).
    void stopPlaybackRequested();

private:
    enum class End { Begin, End };
    void mark(End end);
    // The entry Begin, End, OK and Remove edit, when lv_time shows its
    // segments; nullptr otherwise.
    listrecord *editedEntry();
    bool markingGuard() const;
    bool refusedByMode();
    int clockTime();
    void showPendingRow(const listrecord &entry);

    JobList &m_jobs;
    const Settings &m_settings;
    const RunState &m_run;
    PlayerState &m_player;
    SkinFace &m_skin;
    JobEditor &m_editor;
    MessageSeam &m_messages;
    bool m_inClick = false;
};

} // namespace korvex
