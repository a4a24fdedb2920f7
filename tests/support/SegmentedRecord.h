#pragma once

#include "joblist/JobRecords.h"
#include "joblist/SegmentPlan.h"

namespace korvex::test {

// Gives entry the segments (the last one pending) in place of its own.
void setSegments(listrecord &entry, const QList<Segment> &segments);

// A record of `duration` seconds holding the segments, the last one pending.
listrecord segmentedRecord(int duration, const QList<Segment> &segments);

} // namespace korvex::test
