#pragma once

#include "joblist/ListFile.h"

#include <QStringList>

namespace korvex {

class JobList;

// What the job list holds now, with the settings given.
SavedList CaptureList(const JobList &jobs, const Settings &settings);

// Taking a saved list back into the job list. The files themselves are added
// as any file is (measured afresh, tags read), so only what the user made
// comes from the list: segments, their own tags and the edited tags.

// The entries whose file is still there; the missing files' paths go to
// `missing`, in the list's order.
QList<ListEntry> PresentEntries(const QList<ListEntry> &entries, QStringList &missing);

// Puts each entry's segments and tags on the row of its file, the rows from
// firstRow on having been added from these entries in order (an entry whose
// file was refused has no row). A segment past the end of a file that is
// shorter now is shortened to it, or dropped when it begins there or later.
// Returns one line per entry that lost or shortened segments, and one per
// entry that has no row.
QStringList PutEntriesOnRows(JobList &jobs, int firstRow, const QList<ListEntry> &entries);

// "mode: time (was custom)", … for each setting that differs.
QStringList ListSettingsChanges(const ListSettings &before, const ListSettings &after);

} // namespace korvex
