#pragma once

namespace korvex {
class Core;
class IAudioFile2;
}

namespace korvex::cli {

// split --resume: a re-run of the same job writes only what an earlier run
// left unwritten. Each piece's name is the one a run into a folder without
// earlier pieces gives it (stem_1, stem_2, … in the order of the run, a stem
// shared by several entries numbered on); a piece counts as there when a file
// of that name exists, no temporary file of it is left beside it, and the
// reader finds it as long as the piece is planned, within a codec frame.
//
// What is not there is left for the run: entries keep only those pieces, as
// custom segments, and the run's own naming gives them their planned names,
// which are the lowest free ones. A file at a planned name that is not
// complete (a stopped run's shorter piece) is renamed NAME.incomplete first,
// never deleted.
struct ResumePlan
{
    int planned = 0;   // pieces of the whole job
    int present = 0;   // of them, complete already
    int setAside = 0;  // incomplete files renamed
};

// Changes the job list and the mode as described; call after the list and
// the options are applied, before the run starts.
ResumePlan PrepareResume(Core &core, IAudioFile2 &probe);

} // namespace korvex::cli
