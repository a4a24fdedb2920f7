#include "SegmentedRecord.h"

namespace korvex::test {

QList<Segment> inMs(const QList<Segment> &wholeSeconds)
{
    QList<Segment> segments;
    for (const Segment &s : wholeSeconds)
        segments.append({s.Begin * 1000, s.End * 1000});
    return segments;
}

void setSegments(listrecord &entry, const QList<Segment> &wholeSeconds)
{
    entry.Count = int(wholeSeconds.size());
    entry.BeginTime.clear();
    entry.EndTime.clear();
    for (const Segment &s : inMs(wholeSeconds)) {
        entry.BeginTime.append(s.Begin);
        entry.EndTime.append(s.End);
    }
}

listrecord segmentedRecord(int duration, const QList<Segment> &wholeSeconds)
{
    listrecord entry;
    entry.Duration = duration;
    setSegments(entry, wholeSeconds);
    return entry;
}

} // namespace korvex::test
