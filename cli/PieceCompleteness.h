#pragma once

#include "settings/OutputFormat.h"

#include <QString>

namespace korvex {
class IAudioFile2;
}

namespace korvex::cli {

// How far, in seconds, a whole piece's length as its reader gives it may lie
// from its planned length: one codec frame of the format it is written in
// (and the frames a custom piece may end early by); for a copy, the whole
// packets a copy may keep at each end, none for MP3, whose copies are exact.
// `sourceFile` names the source a copy keeps the kind of; `outputRate` and
// `sourceRate` are the piece's and its source's sample rates.
double LengthSlackSeconds(OutputFormat format, const QString &sourceFile, int outputRate, int sourceRate);

// The file at `path` holds a whole piece of `plannedSeconds`: it is a file,
// no temporary file of it is left beside it (a run that was killed while
// writing it) and `probe` reads it as long as planned within the format's
// slack. False for anything the probe cannot read.
bool PieceComplete(const QString &path, double plannedSeconds, OutputFormat format, const QString &sourceFile,
                   int sourceRate, IAudioFile2 &probe);

} // namespace korvex::cli
