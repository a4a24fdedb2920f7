#pragma once

#include <QString>

#include <functional>

namespace korvex {

// Names of output files. Every name these functions give stays inside the
// folder it is given and names no existing file: a split never writes over an
// earlier piece, a file the user keeps there, or its own source.
//
// What counts as existing is the `taken` test, the disk (PathTaken) unless
// told otherwise: korvex-cli's --resume asks which names a run would give
// into a folder holding only the names given so far.

// True when something (a file, a folder, even a dangling link) is at path.
bool PathTaken(const QString &path);
using TakenTest = std::function<bool(const QString &path)>;

// The stretch of a row caption that names the pieces: the text before its first
// "."; the whole caption when it has no "." or begins with one.
QString SplitBaseName(const QString &caption);

// Everything from a last "." (later than any "/" or ":") is replaced by
// ".wma"; a name without such an extension gets ".wma" appended.
QString ReplaceExtensionWithWma(const QString &name);
// The same with another extension (without its dot: "mp3").
QString ReplaceExtensionWith(const QString &name, const QString &extension);

// The piece name with number n: base_n.wma, where the number survives the
// extension rule (a base that begins with "." would otherwise lose it).
QString NumberedPieceName(const QString &base, qint64 n, const QString &extension = QStringLiteral("wma"));

// The stem piece names are made of: the caption cleaned of the characters a
// file name may not hold (control characters included) and of leading dots
// and blanks, which would hide the file or name nothing, then cut at its
// first "."; the source file's own name where nothing is left; shortened at a
// character boundary so that stem_N.wma fits a name's 255 bytes.
QString PieceStem(const QString &caption, const QString &sourceFile);

// The path of the next piece of a row with this caption in folder (which ends
// in "/"): stem_1.wma, then the first free stem_N.wma. A tag title such as
// "../x" or "AC/DC" cannot lead out of the folder.
// `extension` (without its dot) is the output format's; every name below takes it.
QString FreeSplitPath(const QString &folder, const QString &caption, const QString &sourceFile = {},
                      const QString &extension = QStringLiteral("wma"), const TakenTest &taken = PathTaken);

// The source's own name with ".wma" in folder, or when that is taken the first
// free numbered form of it.
QString FreeFallbackPath(const QString &folder, const QString &sourceFile,
                         const QString &extension = QStringLiteral("wma"));

// `stem` (already cleaned, never cut at a dot) with the extension in folder:
// with `numberFirst` stem_1.wma, stem_2.wma, …, otherwise stem.wma and then
// those; the first that names nothing.
QString FreeStemPath(const QString &folder, const QString &stem, bool numberFirst,
                     const QString &extension = QStringLiteral("wma"), const TakenTest &taken = PathTaken);

// The typed join output with ".wma" appended unless it already ends in ".wma"
// (in any case).
QString JoinOutputPathFor(const QString &typed, const QString &extension = QStringLiteral("wma"));

} // namespace korvex
