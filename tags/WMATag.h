#pragma once

#include <QString>

namespace korvex {

// Widths of the text fields of WMAHeaderInfo, terminator included: a field
// holds at most width - 1 characters.
namespace WMAFieldWidth {
inline constexpr int Year = 128;
inline constexpr int Author = 128;
inline constexpr int Title = 128;
inline constexpr int AlbumTitle = 128;
inline constexpr int Description = 255;
inline constexpr int Copyright = 128;
inline constexpr int Genre = 32;
} // namespace WMAFieldWidth

// WMA tag values as read from or written to a file's header.
struct WMAHeaderInfo
{
    qint32 Found = 0;  // -1 when a header was read
    QString Year;
    quint16 TrackNumber = 0;
    QString Author;
    QString Title;
    QString AlbumTitle;
    QString Description;
    QString Copyright;  // only the header walk fills it; never written
    QString Genre;
};

// Fills `info` completely: through the WMA info layer when it opens the file,
// else by walking the header itself. Never fails and never changes the file's
// permissions.
void ReadWMAHeader(const QString &fileName, WMAHeaderInfo &info);

// Stores the record's values as the file's attributes. True when the layer
// opened the file and saved them. A read-only file is made writable for the
// write and gets its mode back afterwards.
bool WriteWMATags(const QString &fileName, const WMAHeaderInfo &info);

} // namespace korvex
