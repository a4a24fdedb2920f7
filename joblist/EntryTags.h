#pragma once

#include "joblist/JobRecords.h"

#include <QString>

namespace korvex {

// What the tags of a source file give a new entry: the row caption (empty
// when the tags name nothing) and the tag record.
struct EntryTags
{
    QString caption;
    AudioFileinfo tags;
};

// Files chosen one by one: by the lower-cased extension, ".wma" from the WMA
// header, ".ogg" from the Vorbis comments (Ogg Opus, FLAC and Speex through
// TagLib), ".mp3" from ID3v1 then ID3v2 (an ID3v2 title wins), every other
// extension from TagLib's generic tag. Captions are cleaned of the characters
// a file name may not hold and trimmed; the record's title is kept as
// written, trimmed only. Year is never taken.
// Throws KorvexError when a reader fails (an unreadable MP3, an Ogg file that
// is none of the four codecs).
EntryTags TagsForFile(const QString &path);

// Files found in a folder: the WMA header title, as it is, names the row;
// the tag record is filled as for a chosen WMA file.
EntryTags TagsForFolderEntry(const QString &path);

} // namespace korvex
