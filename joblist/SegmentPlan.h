#pragma once

#include "JobRecords.h"

#include <QList>

namespace korvex {

struct Settings;

// One piece of a plan, whole seconds from the start of the file.
struct Segment
{
    int Begin = 0;
    int End = 0;
    bool operator==(const Segment &) const = default;
};

// A piece of a plan with the row of lv_time that shows it.
struct PlannedPiece
{
    int Row = 0;
    Segment Piece;
    bool ToTrueEnd = false;  // runs past the last whole second to the file's end
    bool operator==(const PlannedPiece &) const = default;
};

// The pieces shown one per row, in order.
QList<PlannedPiece> numberedPieces(const QList<Segment> &segments);

// Marks the pieces that run on to the file's true end, so that the fraction
// of a second after the last whole second (`duration`) is in a piece: those
// that end at the duration, unless a later piece begins there and takes it.
QList<PlannedPiece> withTrueEnds(QList<PlannedPiece> pieces, int duration);

// Segments 0 … Count−1 of an entry, the pending one last.
QList<Segment> allSegments(const listrecord &entry);

// The segments a custom split converts: the confirmed ones, or the pending one
// when it is the only segment.
QList<Segment> customPlan(const listrecord &entry);

// Pieces of `seconds` seconds (below 1 counts as 1); when duration is a multiple
// of the piece length the last piece has length 0.
QList<Segment> timePlan(int duration, int seconds);

// `count` pieces of duration div count seconds (below 1 counts as 1); the
// remainder of the division is not covered. No piece is shorter than a
// second: a count above the duration gives one piece per second.
QList<Segment> countPlan(int duration, int count);

// Each segment cut to `duration` seconds; segments that begin beyond it are
// left out, wherever they stand in the list.
QList<Segment> cutToDuration(const QList<Segment> &segments, int duration);
// The same, each piece with the row of its segment in `segments`.
QList<PlannedPiece> cutPiecesToDuration(const QList<Segment> &segments, int duration);

// The custom plan of the first entry applied to an entry of `duration`
// seconds, as cutToDuration gives it.
QList<Segment> unificationPlan(const listrecord &first, int duration);

// The plan of entry `row` under settings.SplitMode.
QList<Segment> segmentPlan(const QList<listrecord> &jobs, int row, const Settings &settings);

// The total marked time of the job in whole seconds, by settings.SplitMode. In
// unification mode a segment beginning beyond an entry's end adds nothing for
// it, and the later segments are still counted.
qint64 totalMarkedSeconds(const QList<listrecord> &jobs, const Settings &settings);

} // namespace korvex
