#pragma once

namespace korvex {

// The one guard of Korvex: set while a split or join run is in progress.
// Commands that would change the job list, start playback or start another run
// do nothing while it is set; a run ends its loops when it finds it cleared.
struct RunState
{
    bool Converting = false;
};

} // namespace korvex
