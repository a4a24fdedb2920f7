#pragma once

#include <QByteArray>
#include <QList>
#include <QString>

namespace korvex {

// A CUE sheet as Korvex reads and writes it: the album's title, performer,
// date and genre, and per FILE the tracks with their start times. Times are
// milliseconds; a sheet counts in frames of 1/75 s.
struct CueTrack
{
    int number = 0;
    QString title;
    QString performer;
    qint64 startMs = -1;   // INDEX 01; -1 where the track has none
    qint64 pregapMs = -1;  // INDEX 00; -1 where the track has none
};

struct CueFile
{
    QString name;  // as the sheet writes it, relative to the sheet's folder
    QString type = QStringLiteral("WAVE");
    QList<CueTrack> tracks;
};

struct CueSheet
{
    QString title;
    QString performer;
    QString date;   // REM DATE
    QString genre;  // REM GENRE
    QList<CueFile> files;
};

// The sheet's text: UTF-8 with or without its byte order mark; bytes that are
// no UTF-8 are read as Windows-1252 (Latin-1 with the printable 0x80-0x9F),
// as sheets written by older rippers are.
QString DecodeCueText(const QByteArray &bytes);

// Reads every line it knows and passes over the rest; never fails. Quoted
// values may hold blanks; an unclosed quote runs to the line's end. A TRACK
// before any FILE belongs to a file without a name.
CueSheet ParseCueSheet(const QString &text);

// "mm:ss:ff" in milliseconds (a frame is 1/75 s, rounded to the nearest
// millisecond); -1 for anything else.
qint64 CueTimeMs(const QString &text);
// Milliseconds as "mm:ss:ff", to the nearest frame.
QString CueTimeText(qint64 ms);

// The sheet as UTF-8 text with CRLF line ends, no byte order mark.
QByteArray WriteCueSheet(const CueSheet &sheet);

} // namespace korvex
