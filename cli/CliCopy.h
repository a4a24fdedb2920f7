#pragma once

#include "cli/CliOptions.h"

#include <QStringList>

namespace korvex {
struct Settings;
}

namespace korvex::cli {

// Cutting without re-encoding is refused before anything is written (a
// UsageError: exit 2, saying why) when fades or soft edges are set, when a
// FILE's codec cannot be copied, or, for a join, when the FILEs differ in
// codec, rate, channels or codec setup.
void CheckCopyPossible(const Settings &settings, const QStringList &files, bool join);

// The extension of the joined file without its dot: the first FILE's when the
// format (--format, else Korvex.ini's) is "Same as source", else the format's.
QString JoinExtension(const CliOptions &options, const QStringList &files);

} // namespace korvex::cli
