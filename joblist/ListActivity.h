#pragma once

#include "joblist/PlayerState.h"
#include "joblist/RunState.h"

namespace korvex {

// What goes on over the job list that its commands must respect: a run
// converting its entries, the preview player using one of them. The core owns
// it; the runs and the player write it, the list commands consult it and keep
// the player's rows on their entries when entries move.
struct ListActivity
{
    RunState run;
    PlayerState player;
};

} // namespace korvex
