#include "engine/PiecePaths.h"

#include "engine/CopyNames.h"

namespace korvex {

QString FreePiecePath(const PieceNaming &naming, const PieceLabel &piece, const TakenTest &taken)
{
    const QString extension = naming.copying ? SourceExtension(piece.sourceFile) : naming.extension;
    if (!naming.pattern.isEmpty())
        return FreePatternPath(naming.folder, naming.pattern, piece, extension, taken);
    if (piece.ownTitle)
        return FreeTitlePath(naming.folder, piece, extension, taken);
    if (naming.copying)
        return FreeCopyPiecePath(naming.folder, naming.caption, piece.sourceFile, taken);
    return FreeSplitPath(naming.folder, naming.caption, piece.sourceFile, extension, taken);
}

} // namespace korvex
