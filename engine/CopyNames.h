#pragma once

#include "engine/OutputNames.h"

#include <QString>

namespace korvex {

// Names of outputs cut without re-encoding, which keep their source's
// extension. Like every output name, they stay in their folder and never name
// an existing file.

// The source's extension without its dot, in lower case ("mp3", "m4a").
QString SourceExtension(const QString &sourceFile);

// stem_1.EXT, then the first free stem_N.EXT, the stem as the encoded pieces
// take it from the row's caption.
QString FreeCopyPiecePath(const QString &folder, const QString &caption, const QString &sourceFile,
                          const TakenTest &taken = PathTaken);

// The typed join output with ".EXT" appended unless it ends in it (any case).
QString CopyJoinPathFor(const QString &typed, const QString &extension);

} // namespace korvex
