#pragma once

#include <QString>

namespace korvex {

// State of the preview player that the list commands and runs consult. Owned
// by the player; everything runs on the window thread.
struct PlayerState
{
    bool Playing = false;
    bool SeekDragging = false;
    int PlayerRow = 0;          // row of lv whose file the player has loaded
    int PlayPosition = 0;       // last position taken from the slider "pb"
    int PlayPositionMax = 0;    // range end − thumb size of "pb"
    QString PositionText;       // the last text shown in "timecaption"
};

} // namespace korvex
