#pragma once

#include <QString>

namespace korvex {

// The preview player's place in the job list: what the list commands and runs
// consult. The preview player (above the list) writes it; the list commands
// read it and keep PlayerRow and PlayerSegment on their entries, which is why
// it lives beside the list. Everything runs on the program thread.
struct PlayerState
{
    bool Playing = false;
    bool SeekDragging = false;
    int PlayerRow = 0;          // row of lv whose file the player has loaded
    int PlayerSegment = 0;      // row of lv_time last played as a segment; kept after the stop
    // Frames added to the player's count: in file playback the frame where
    // playback or the last seek started, in segment playback the offset from
    // the segment's begin.
    qint64 StartFrame = 0;
    int PlayPosition = 0;       // last position taken from or given to the slider "pb"
    int PlayPositionMax = 0;    // range end − thumb size of "pb"
    QString PositionText;       // the last text shown in "timecaption"
    // The time "timecaption" shows, in seconds of the current entry's file,
    // and the slider position it was shown for: what Begin and End take
    // while the slider stands there.
    int ClockSeconds = 0;
    int ClockPosition = 0;
    QString SavedStatus;        // status word of row PlayerSegment before it became "Playing"
    // The playback under way was started as segment playback. Its display,
    // seeks and end follow the way it was started, whatever is clicked later.
    bool SegmentPlayback = false;
};

} // namespace korvex
