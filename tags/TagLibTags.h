#pragma once

#include "tags/Ogg.h"

#include <QString>

namespace korvex {

// Tags of the files that Korvex's own readers do not handle, read through
// TagLib. Like every tag reader, these never fail: what cannot be read stays
// empty. Values are trimmed as the other readers trim them.

// The five texts of TagLib's generic tag of a file of any format it knows
// (FLAC, MP4/M4A, Opus, WAV, AIFF, APE, WavPack, Musepack ...).
struct GenericTag
{
    QString Title;
    QString Artist;
    QString Album;
    QString Comment;
    QString Genre;
};
GenericTag ReadGenericTag(const QString &fileName);

// The comments of an Ogg file that holds Opus, FLAC or Speex instead of
// Vorbis, which the Vorbis comment library refuses. False, with `tag` empty,
// when the file is none of these.
bool ReadOggXiphTag(const QString &fileName, OGGTag &tag);

} // namespace korvex
