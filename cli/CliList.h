#pragma once

#include "cli/CliOptions.h"
#include "joblist/ListFile.h"

namespace korvex {
class Core;
}

namespace korvex::cli {

// split --list and join --list: a list saved in the window as the job
// description. Its files are the FILEs, its mode and settings come over
// Korvex.ini's and under the command line's options, and its segments and
// tags are put on the entries once they are added.

// The list of --list; throws UsageError naming the list and what is wrong.
SavedList ReadCliList(const QString &listPath);
// The list's files, every one of which must be there: a missing one is
// named (as the list gives it) in the UsageError.
QStringList ListedFiles(const SavedList &list, const QString &listPath);
// After the files were added: each entry's segments and tags on its row;
// what had to be shortened or left out is printed.
void PutListOnRows(const SavedList &list, Core &core);

} // namespace korvex::cli
