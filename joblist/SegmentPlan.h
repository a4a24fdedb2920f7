#pragma once

#include "JobRecords.h"

#include <QList>

namespace korvex {

struct Settings;

// One piece of a plan, milliseconds from the start of the file.
struct Segment
{
    qint64 Begin = 0;
    qint64 End = 0;
    bool operator==(const Segment &) const = default;
};

// A piece of a plan with the row of lv_time that shows it.
struct PlannedPiece
{
    int Row = 0;
    Segment Piece;
    bool ToTrueEnd = false;  // runs past its end time to the file's true end
    bool operator==(const PlannedPiece &) const = default;
};

// The pieces shown one per row, in order.
QList<PlannedPiece> numberedPieces(const QList<Segment> &segments);

// Marks the pieces that run on to the file's true end, so that the fraction
// of a second after the last whole second (`wholeEndMs`, the entry's whole
// seconds in milliseconds) is in a piece: those that end there or later,
// unless a later piece begins there and takes it.
QList<PlannedPiece> withTrueEnds(QList<PlannedPiece> pieces, qint64 wholeEndMs);
// The same with the entry's own whole seconds.
QList<PlannedPiece> withTrueEnds(QList<PlannedPiece> pieces, const listrecord &entry);

// Segments 0 … Count−1 of an entry, the pending one last.
QList<Segment> allSegments(const listrecord &entry);

// The segments a custom split converts: the confirmed ones, or the pending one
// when it is the only segment.
QList<Segment> customPlan(const listrecord &entry);

// Pieces of `seconds` seconds (below 1 counts as 1) over `durationMs`; when
// it is a multiple of the piece length the last piece has length 0.
QList<Segment> timePlan(qint64 durationMs, int seconds);

// `count` pieces (below 1 counts as 1) as equal as whole milliseconds allow,
// the last ending at `durationMs`, so the whole file is covered. No piece is
// shorter than a second: a count above the whole seconds gives that many.
QList<Segment> countPlan(qint64 durationMs, int count);

// Each segment cut to `durationMs`; segments that begin beyond it are left
// out, wherever they stand in the list.
QList<Segment> cutToDuration(const QList<Segment> &segments, qint64 durationMs);
// The same, each piece with the row of its segment in `segments`.
QList<PlannedPiece> cutPiecesToDuration(const QList<Segment> &segments, qint64 durationMs);

// The custom plan of the first entry applied to an entry of `durationMs`,
// as cutToDuration gives it.
QList<Segment> unificationPlan(const listrecord &first, qint64 durationMs);

// The time plan of an entry: over its whole seconds, the last piece running
// on to the true end.
QList<Segment> entryTimePlan(const listrecord &entry, int seconds);
// The count plan of an entry: over its true length.
QList<Segment> entryCountPlan(const listrecord &entry, int count);
// The unification plan for an entry: the first entry's segments cut to its
// whole seconds.
QList<PlannedPiece> entryUnificationPieces(const listrecord &first, const listrecord &entry);

// The plan of entry `row` under settings.SplitMode.
QList<Segment> segmentPlan(const QList<listrecord> &jobs, int row, const Settings &settings);

// The pieces a split of settings.SplitMode cuts entry `row` into, in the
// order the run converts them (a piece's number is its place here, from 1),
// with the rows that show them and the true end marked; pieces that hold no
// audio included.
QList<PlannedPiece> splitPieces(const QList<listrecord> &jobs, int row, const Settings &settings);

// The total marked time of the job in milliseconds, by settings.SplitMode. In
// unification mode a segment beginning beyond an entry's end adds nothing for
// it, and the later segments are still counted.
qint64 totalMarkedMs(const QList<listrecord> &jobs, const Settings &settings);

} // namespace korvex
