#include "SegmentedRecord.h"

namespace korvex::test {

void setSegments(listrecord &entry, const QList<Segment> &segments)
{
    entry.Count = int(segments.size());
    entry.BeginTime.clear();
    entry.EndTime.clear();
    for (const Segment &s : segments) {
        entry.BeginTime.append(s.Begin);
        entry.EndTime.append(s.End);
    }
}

listrecord segmentedRecord(int duration, const QList<Segment> &segments)
{
    listrecord entry;
    entry.Duration = duration;
    setSegments(entry, segments);
    return entry;
}

} // namespace korvex::test
