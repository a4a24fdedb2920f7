#pragma once

#include "engine/OutputNames.h"

#include <QString>

namespace korvex {

// What a piece's name may be made of: its place among the pieces of its
// entry, its tags and its time in the source.
struct PieceLabel
{
    QString title;       // the segment's own title, else the entry's
    QString artist;
    QString album;
    QString sourceFile;  // the entry's file
    int number = 1;      // 1 … count
    int count = 1;
    qint64 beginMs = 0;
    qint64 endMs = 0;
    bool ownTitle = false;  // the title is the segment's own
};

// "hh-mm-ss": a time that may stand in a file name.
QString NameTimeText(qint64 ms);

// The pattern with {title} {n} {n:02} {N} {artist} {album} {begin} {end}
// {file} filled in; any other brace text stays as typed. {title} is the
// source file's name (without its extension) when the piece has no title.
QString ExpandNamePattern(const QString &pattern, const PieceLabel &piece);

// The path of a piece named by `pattern` in `folder` (ending in "/"), with
// the output format's extension: the cleaned pattern name, or its first free numbered form.
QString FreePatternPath(const QString &folder, const QString &pattern, const PieceLabel &piece,
                        const QString &extension = QStringLiteral("wma"), const TakenTest &taken = PathTaken);

// The path of a piece named after its own title: the cleaned title numbered
// as pieces named after a caption are, never an existing file.
QString FreeTitlePath(const QString &folder, const PieceLabel &piece,
                      const QString &extension = QStringLiteral("wma"), const TakenTest &taken = PathTaken);

} // namespace korvex
