#pragma once

#include <QList>
#include <QString>

struct AVDictionary;
struct AVFormatContext;

namespace korvex {

// A chapter of a file: milliseconds from its start and its title.
struct Chapter
{
    qint64 startMs = 0;
    qint64 endMs = 0;
    QString title;
    bool operator==(const Chapter &) const = default;
};

// The chapters FFmpeg's demuxer reports for the file (MP4/M4B chapters,
// Matroska editions, Ogg chapter comments, ID3v2 CHAP frames, ASF markers),
// in the order of their starts; a chapter without an end ends where the next
// one starts, the last at the file's end. Empty for a file without chapters
// and for one FFmpeg cannot open.
QList<Chapter> ReadChapters(const QString &path);

// Gives an output its chapters before its header is written; a muxer that
// has a form for them (ASF: markers) writes them.
void AddChapters(AVFormatContext &format, const QList<Chapter> &chapters);

// The chapters as Vorbis comments (CHAPTER000=00:01:02.500, CHAPTER000NAME=...),
// the form players read in Ogg Vorbis and FLAC, whose muxers here write no
// chapters of their own.
void AddChapterComments(AVDictionary *&comments, const QList<Chapter> &chapters);

} // namespace korvex
