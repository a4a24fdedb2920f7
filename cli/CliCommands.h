#pragma once

#include "cli/CliOptions.h"

namespace korvex {
class Workbench;
}

namespace korvex::cli {

class TerminalMessages;

// Exit codes of korvex-cli.
namespace exit_code {
inline constexpr int Done = 0;
inline constexpr int RunFailed = 1;
inline constexpr int BadInput = 2;
inline constexpr int Stopped = 130;
} // namespace exit_code

// Each returns the exit code; a UsageError they throw is bad input.
int SplitOrJoin(const CliOptions &options, Workbench &bench, const TerminalMessages &messages);
int Info(const CliOptions &options, Workbench &bench, const TerminalMessages &messages);
int Profiles();
int Silences(const CliOptions &options, Workbench &bench, const TerminalMessages &messages);

// The FILEs as absolute paths; throws UsageError for a missing or unreadable one.
QStringList CheckedFiles(const QStringList &files);
// -o of a join as an absolute path; throws UsageError when it cannot be written.
QString CheckedJoinOutput(const QString &output);

} // namespace korvex::cli
