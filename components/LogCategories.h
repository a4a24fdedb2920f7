#pragma once

#include <QLoggingCategory>

namespace korvex {

// Korvex's own diagnostic lines, quiet unless enabled like korvex.ffmpeg
// (components/FfmpegLog.h): QT_LOGGING_RULES="korvex.run.debug=true" shows
// what a run does, "korvex.*.debug=true" everything. What the user must know
// is said in an error box or on the terminal, never only here.

// Runs: what they write, publish and give up.
Q_DECLARE_LOGGING_CATEGORY(lcRun)
// The WMA encoder pool: its workers, the frames it encodes again quieter,
// the failure that ends an encoding.
Q_DECLARE_LOGGING_CATEGORY(lcEncode)
// Measuring sources as they are added: each file's result or failure.
Q_DECLARE_LOGGING_CATEGORY(lcMeasure)

} // namespace korvex
