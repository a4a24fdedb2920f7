#pragma once

#include <QList>
#include <QString>

#include <array>
#include <cstddef>

struct vorbis_comment;

namespace korvex {

// Vorbis comments of one Ogg file, decoded from UTF-8.
struct OGGTag
{
    QString Album;
    QString Title;
    QString Artist;
    QString Comment;
    QString Genre;
    QString Date;
    QString TrackNumber;
};

// Field names in the order of the fields of OGGTag.
inline constexpr std::array<const char *, 7> OggCommentKeys = {"album", "title", "artist", "comment",
                                                               "genre", "date",  "tracknumber"};

struct TStrComment
{
    QString Name;   // empty when the comment has no valid field name
    QString Value;  // the whole comment when Name is empty
    QString Full;
};

// Owns its records, in the order of the comment packet.
using TStrComments = QList<TStrComment>;

TStrComments GetStrComments(const vorbis_comment &comments);

// The values of the comments whose names are among OggCommentKeys; the last
// comment of a name wins; values are trimmed.
OGGTag OggTagFromComments(const TStrComments &comments);

// Fills `tag` from the file's comment header, read by the comment library
// loaded for this call. Library missing: empty fields, no error. Throws
// KorvexError when the file cannot be opened or is no Ogg Vorbis stream.
void ReadOggTag(const QString &fileName, OGGTag &tag);

// Where ReadOggTag looks for the comment library: $KORVEX_VCEDIT when set,
// else beside the running executable (a build tree) or in the installed
// module folder.
QString VceditLibraryPath();

// File access handed to the comment library; `datasource` is the address of
// a QIODevice pointer.
std::size_t OggReadCallback(void *buffer, std::size_t size, std::size_t count, void *datasource);
std::size_t OggWriteCallback(const void *buffer, std::size_t size, std::size_t count, void *datasource);

} // namespace korvex
