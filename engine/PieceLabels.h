#pragma once

#include "engine/PieceNames.h"
#include "joblist/JobRecords.h"
#include "joblist/SegmentPlan.h"

namespace korvex {

// What a split knows of an entry when it names and tags its pieces.
struct LabelSource
{
    AudioFileinfo tags;  // the entry's
    // The entry's segments whose own titles and artists name and tag its
    // pieces; a record without segment tags where they name none.
    listrecord titled;
    QString file;           // the entry's source
    qint64 durationMs = 0;  // the source's length as its reader gives it
};

// Piece `number` (from 1) of the `count` pieces of an entry's plan.
PieceLabel LabelOfPiece(const LabelSource &source, const PlannedPiece &planned, int number, int count);

// Whether the segments' own titles of entry `row` name its pieces in a split
// of `splitMode`: in a custom split every entry's; in a unification only the
// first entry's (the other files are cut at its times but hold other pieces);
// by time or count none.
bool SegmentTitlesNamePieces(int splitMode, int row);

} // namespace korvex
