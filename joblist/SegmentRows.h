#pragma once

#include "joblist/SegmentListModel.h"

#include <QList>

namespace korvex {

struct Segment;
struct listrecord;

// The rows lv_time shows for a plan, worked out from values alone, so that
// a run can tell the list what to show without reading it.

// Every piece of a time, count or moved plan, "Unconvert".
QList<SegmentRow> unconvertedRows(const QList<Segment> &plan);
// An entry's segments: "OK" for the confirmed ones, "Uncertain" for the
// pending one.
QList<SegmentRow> markedRows(const listrecord &entry);

} // namespace korvex
