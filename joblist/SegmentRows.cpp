#include "joblist/SegmentRows.h"

#include "joblist/SegmentPlan.h"
#include "joblist/StatusWords.h"

namespace korvex {

QList<SegmentRow> unconvertedRows(const QList<Segment> &plan)
{
    QList<SegmentRow> rows;
    for (const Segment &piece : plan)
        rows.append(makeSegmentRow(piece.Begin, piece.End, status_word::Unconvert));
    return rows;
}

QList<SegmentRow> markedRows(const listrecord &entry)
{
    const QList<Segment> segments = allSegments(entry);
    QList<SegmentRow> rows;
    for (qsizetype k = 0; k < segments.size(); ++k) {
        const bool pending = k == segments.size() - 1;
        rows.append(makeSegmentRow(segments.at(k).Begin, segments.at(k).End,
                                   pending ? status_word::Uncertain : status_word::OK));
    }
    return rows;
}

} // namespace korvex
