#pragma once

#include "cli/CliOptions.h"
#include "settings/Settings.h"

namespace korvex::cli {

// --format and the quality options into the run's settings: the format for
// this run, and the qualities of Korvex.ini with the options' changes. A
// quality option that the run's format has no use for (--vbr with FLAC) or a
// bitrate outside the format's range is a UsageError; fades with copy stay
// for the copying runs to refuse.
void ApplyEncodingOptions(const CliOptions &options, Settings &settings, const SettingsFile &file);

// The extension of the run's outputs: --format's, else Korvex.ini's format's.
QString RunOutputExtension(const CliOptions &options);

} // namespace korvex::cli
