#pragma once

#include <QByteArray>
#include <QString>

#include <array>

class QIODevice;

namespace korvex {

// Result of ReadID3v2: the text of seven frames, already decoded by the
// frame's own encoding byte.
struct ID3StructV2
{
    QString Title;
    QString Artist;
    QString Album;
    QString Year;
    QString Track;
    QString Comment;
    QString Genre;
};

// The 128-byte block at the end of an MP3, exactly as it lies in the file.
#pragma pack(push, 1)
struct ID3StructV1
{
    char Tag[3];
    char Title[30];
    char Artist[30];
    char Album[30];
    char Year[4];
    char Comment[28];
    char Track[2];  // zero byte and track number (ID3v1.1), not interpreted
    quint8 Genre;   // genre number, not interpreted
};
#pragma pack(pop)
static_assert(sizeof(ID3StructV1) == 128, "ID3v1 block is 128 bytes");

// Frame identifiers that ReadID3v2 keeps, in the order of TagInfo::FrameValues.
inline constexpr std::array<const char *, 7> FrameIDs = {"TIT2", "TPE1", "TALB", "TRCK",
                                                         "TYER", "TCON", "COMM"};
// The same frames in ID3v2.2, whose identifiers have three letters.
inline constexpr std::array<const char *, 7> FrameIDsV22 = {"TT2", "TP1", "TAL", "TRK", "TYE", "TCO", "COM"};

// Work record of one ReadID3v2 call. FrameValues hold the first 250 bytes of
// the body of the last frame seen for each entry of FrameIDs.
struct TagInfo
{
    QByteArray Header;
    qint64 FileSize = 0;
    std::array<QByteArray, 7> FrameValues;
};

// Module-level results, read by the caller right after each call.
extern ID3StructV2 ID3v2Tag;
extern ID3StructV1 ID3v1Tag;

void ClearID3v2Tag();

// Fills ID3v2Tag from the tag at the start of the file; never fails, an
// unreadable file leaves the fields empty. Never touches permissions.
// Besides the ID3v2.3/2.4 frame layout it reads ID3v2.2 frames, undoes
// unsynchronisation (of the whole tag up to ID3v2.3, of each frame that says
// so in ID3v2.4, where a data length indicator is passed over as well), and
// leaves a comment whose description begins with "iTun" (player data, not
// the user's words) out.
void ReadID3v2(const QString &fileName);

// Fills ID3v1Tag from the last 128 bytes. Throws KorvexError when the file
// cannot be opened or read.
void ReadID3v1(const QString &fileName);

// The walk of ReadID3v2 over an already opened device, for callers that hold
// the bytes in memory.
ID3StructV2 ParseID3v2(QIODevice &device);

// Text of a zero-padded ID3v1 field up to its first zero byte, as Latin-1.
template <std::size_t N>
QString ID3v1Text(const char (&field)[N])
{
    return QString::fromLatin1(field, qstrnlen(field, N));
}

} // namespace korvex
