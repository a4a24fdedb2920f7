#include "cli/CliList.h"

#include "cli/CliSeams.h"
#include "components/KorvexError.h"
#include "core/Core.h"
#include "joblist/ListRestore.h"

namespace korvex::cli {

SavedList ReadCliList(const QString &listPath)
{
    try {
        return ReadListFile(listPath);
    } catch (const KorvexError &error) {
        throw UsageError(error.text());
    }
}

QStringList ListedFiles(const SavedList &list, const QString &listPath)
{
    QStringList missing;
    const QList<ListEntry> present = PresentEntries(list.entries, missing);
    if (!missing.isEmpty())
        throw UsageError(QStringLiteral("%1 names files that are not there:\n  %2")
                             .arg(listPath, missing.join(QStringLiteral("\n  "))));
    if (present.isEmpty())
        throw UsageError(QStringLiteral("%1 holds no files").arg(listPath));
    QStringList files;
    for (const ListEntry &entry : present)
        files.append(entry.FileName);
    return files;
}

void PutListOnRows(const SavedList &list, Core &core)
{
    for (const QString &line : PutEntriesOnRows(core.jobs(), 0, list.entries))
        PrintError(line);
}

} // namespace korvex::cli
