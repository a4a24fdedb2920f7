#pragma once

namespace korvex {

// The job list's lock while a split or join run converts its entries. The
// core's command table refuses what would change the list, start playback or
// start another run while it is set, and the list commands keep the same
// guard for the callers that reach them directly; a run ends its loops when
// it finds it cleared. Kept beside the list it locks: the list commands
// consult it, and the engine above them writes it.
struct RunState
{
    bool Converting = false;
};

} // namespace korvex
