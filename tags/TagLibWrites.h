#pragma once

#include <QString>

namespace korvex {

// The texts an output file is tagged with; empty ones are left out.
struct OutputTagTexts
{
    QString Title;
    QString Artist;
    QString Album;
    QString Year;
    QString Genre;
};

// Writes the texts into an MP3 (ID3v2.4), Ogg Vorbis or Opus (Vorbis
// comments) or MP4/M4A (atoms) file through TagLib. The kind of file is given
// by `extension` ("mp3", "ogg", "opus", "m4a"; any case), as the file itself
// may still have a temporary name. False when the file could not be tagged or
// is of another kind: it is left as it was.
bool WriteTagLibTags(const QString &path, const QString &extension, const OutputTagTexts &texts);

} // namespace korvex
