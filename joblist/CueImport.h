#pragma once

#include "joblist/CueSheet.h"
#include "joblist/JobRecords.h"

#include <QStringList>

namespace korvex {

// One audio file a CUE sheet names, with the tracks in it and the album's tags.
struct CueEntry
{
    QString audioPath;  // absolute
    QList<CueTrack> tracks;
    QString album;
    QString performer;
    QString date;
    QString genre;
};

// The audio files of a CUE sheet and what they get from it. A file the
// sheet names that is not there (nor beside the sheet under the same name
// with another extension, as sheets copied from a disc image often say
// ".wav" for the ".flac" beside them), a sheet that cannot be read, one
// without tracks and one whose track starts go backwards each give a line
// in `problems` naming the sheet; what else the sheet holds is still given.
QList<CueEntry> ReadCueEntries(const QString &cuePath, QStringList &problems);

// Whether a path names a CUE sheet, by its extension.
bool IsCueSheetPath(const QString &path);

// The tracks as the entry's confirmed segments, each from its INDEX 01 to
// the next one's and the last to the file's end, with the tracks' titles and
// performers as the segments' own tags; a new pending segment over the whole
// file follows, as after Ok. The album, album performer, date and genre
// become the entry's tags where the sheet has them; the title where the file
// had none. Tracks that start at or past the file's end are left out.
void ApplyCueEntry(listrecord &entry, AudioFileinfo &tags, const CueEntry &cue);

// Where the sheet of a source goes: beside it, its name with ".cue".
QString CueSheetPathFor(const QString &source);

// A sheet of the entry's confirmed segments (only the pending one when it is
// the only segment), each a track with its own title and performer, and the
// entry's tags as the album's. Throws KorvexError when the segments do not
// start in rising order, which a sheet cannot hold.
CueSheet CueSheetForEntry(const listrecord &entry, const AudioFileinfo &tags);

// Writes the sheet to `path` whole or not at all (an existing file is
// replaced: the caller asked first). Throws KorvexError naming the file.
void SaveCueSheet(const QString &path, const CueSheet &sheet);

} // namespace korvex
