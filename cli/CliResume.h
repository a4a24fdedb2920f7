#pragma once

#include "engine/SkippedPieces.h"

namespace korvex {
class Core;
class IAudioFile2;
}

namespace korvex::cli {

// split --resume: a re-run of the same job writes only what an earlier run
// left unwritten, and writes it as that run would have: the entries, their
// segments and the mode stay as they are, and the run is told which pieces
// to skip, so that every piece it writes keeps its number, track number,
// title and name.
//
// Each piece's name is the one the run gives it into a folder holding none
// of the job's pieces (by the name pattern, the piece's own title or the row
// caption, in the run's format, the names given so far taken). A piece is
// there when a file of that name exists, no temporary file of it is left
// beside it, and the reader finds it as long as planned within a codec frame
// of its format (PieceComplete). A file at a planned name that is not
// complete (a stopped run's shorter piece) is renamed NAME.incomplete, never
// deleted, and the piece is written again.
struct ResumePlan
{
    int planned = 0;   // pieces of the whole job
    int present = 0;   // of them, complete already
    int setAside = 0;  // incomplete files renamed
    SkippedPieces complete;  // for RunControl::SkipInNextSplit
};

// Call after the list and the options are applied, before the run starts.
ResumePlan PrepareResume(Core &core, IAudioFile2 &probe);

} // namespace korvex::cli
