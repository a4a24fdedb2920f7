#include "joblist/CueExport.h"

#include "components/ErrorBoxes.h"
#include "components/Seams.h"
#include "joblist/CueImport.h"
#include "joblist/JobList.h"

#include <QFileInfo>

namespace korvex {

void ExportSelectedCue(JobList &jobs, MessageSeam &messages)
{
    const int row = jobs.selectedFileRow();
    if (row < 0 || row >= jobs.rowCount())
        return;
    const QString path = CueSheetPathFor(jobs.job(row).FileName);
    const QFileInfo there(path);
    if ((there.exists() || there.isSymLink())
        && !messages.question(QStringLiteral("%1 already exists.\nDo you want to replace it?").arg(path)))
        return;
    if (!ShowingFailure(messages, [&] { SaveCueSheet(path, CueSheetForEntry(jobs.job(row), jobs.tags(row))); }))
        return;
    messages.information(QStringLiteral("The CUE sheet was written to %1.").arg(path));
}

} // namespace korvex
