#pragma once

#include "components/MuxedComments.h"
#include "components/OutputEncoding.h"

#include <QString>

namespace korvex {

// What an encoded output is tagged with; empty texts and a zero year or track
// are left out.
struct OutputTagValues
{
    QString Title;
    QString Artist;
    QString Album;
    QString Year;
    QString Genre;
    int Track = 0;
};

// Writes the values through TagLib in the codec's own tag: ID3v2.4 in MP3,
// Vorbis comments in Ogg Vorbis, Opus and FLAC, MP4 atoms in M4A, a RIFF INFO
// chunk and an ID3v2.4 chunk in WAV. The file is named by `path` whatever
// its extension (a temporary name). False when the file could not be read or
// saved; WMA is not handled here.
bool WriteEncodedTags(const QString &path, EncodedCodec codec, const OutputTagValues &values);

// The Vorbis comments WriteEncodedTags gives an Ogg file, for writing them as
// the file is muxed: TITLE, ARTIST, ALBUM, GENRE, DATE (the year as written)
// and TRACKNUMBER, each only when it holds something.
MuxedComments VorbisCommentsOf(const OutputTagValues &values);

} // namespace korvex
