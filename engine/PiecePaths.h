#pragma once

#include "engine/OutputNames.h"
#include "engine/PieceNames.h"

#include <QString>

namespace korvex {

// How the pieces of a split are named: by the name pattern when one is set,
// else after their own title when they have one, else after their entry's
// row caption. Encoded pieces take the run's format's extension, copies their
// source's.
struct PieceNaming
{
    QString folder;     // ends in "/"
    QString pattern;    // empty: none
    QString caption;    // the entry's row caption
    QString extension;  // without its dot; unused for copies
    bool copying = false;
};

// The path the split gives `piece`: the first name the naming allows that
// `taken` does not hold.
QString FreePiecePath(const PieceNaming &naming, const PieceLabel &piece, const TakenTest &taken = PathTaken);

} // namespace korvex
