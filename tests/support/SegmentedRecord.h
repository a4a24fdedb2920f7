#pragma once

#include "joblist/JobRecords.h"
#include "joblist/SegmentPlan.h"

namespace korvex::test {

// Segments given in whole seconds, as most tests mark them, in milliseconds.
QList<Segment> inMs(const QList<Segment> &wholeSeconds);

// Gives entry the segments, in whole seconds (the last one pending), in place
// of its own.
void setSegments(listrecord &entry, const QList<Segment> &wholeSeconds);

// A record of `duration` seconds holding the segments (whole seconds), the
// last one pending.
listrecord segmentedRecord(int duration, const QList<Segment> &wholeSeconds);

} // namespace korvex::test
