#pragma once

#include "cli/CliOptions.h"

namespace korvex {
class IAudioFile2;
class Core;
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

// The FILEs that can be added, as absolute paths, and for every other one a
// line that names it as typed and says why not.
struct CheckedSources
{
    QStringList paths;
    QStringList refusals;
};
CheckedSources CheckSources(const QStringList &files, IAudioFile2 &reader);

// Each returns the exit code; a UsageError they throw is bad input.
int SplitOrJoin(const CliOptions &options, Core &core, const TerminalMessages &messages);
// Describes every file that can be read; refusals (printed already) make the
// exit code 2 all the same.
int Info(const CliOptions &options, const CheckedSources &sources, Core &core,
         const TerminalMessages &messages);
int Profiles();
// `cue`: a CUE sheet beside every FILE, of its --segments (or of the tracks
// of the sheet it was added from); an existing sheet only with --overwrite.
int WriteCueSheets(const CliOptions &options, Core &core, const TerminalMessages &messages);
int Silences(const CliOptions &options, Core &core, const TerminalMessages &messages);

// The file a join writes for -o, as an absolute path with the run's extension; throws
// UsageError when it cannot be written, is one of the sources, or exists and
// overwrite is false.
// `extension`: of the joined file, without its dot.
QString CheckedJoinOutput(const QString &output, bool overwrite, const QStringList &sources,
                          const QString &extension = QStringLiteral("wma"));

} // namespace korvex::cli
