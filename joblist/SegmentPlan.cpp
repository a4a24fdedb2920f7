#include "SegmentPlan.h"

#include "settings/Settings.h"

#include <algorithm>

namespace korvex {

namespace {

// Count as far as the arrays hold it, so a damaged record cannot read past them.
int usableCount(const listrecord &entry)
{
    const qsizetype held = qMin(entry.BeginTime.size(), entry.EndTime.size());
    return int(std::clamp<qsizetype>(entry.Count, 0, held));
}

qint64 lengthSum(const QList<Segment> &segments)
{
    qint64 sum = 0;
    for (const Segment &segment : segments)
        sum += segment.End - segment.Begin;
    return sum;
}

qint64 unificationTotal(const QList<listrecord> &jobs)
{
    qint64 sum = 0;
    for (const listrecord &entry : jobs)
        sum += lengthSum(unificationPlan(jobs.front(), entry.Duration));
    return sum;
}

} // namespace

QList<PlannedPiece> numberedPieces(const QList<Segment> &segments)
{
    QList<PlannedPiece> pieces;
    for (qsizetype k = 0; k < segments.size(); ++k)
        pieces.append(PlannedPiece{int(k), segments.at(k)});
    return pieces;
}

QList<PlannedPiece> withTrueEnds(QList<PlannedPiece> pieces, int duration)
{
    const bool tailPiece = std::any_of(pieces.cbegin(), pieces.cend(), [&](const PlannedPiece &piece) {
        return piece.Piece.Begin == duration;
    });
    for (PlannedPiece &piece : pieces) {
        const Segment &segment = piece.Piece;
        piece.ToTrueEnd = segment.End >= duration && (!tailPiece || segment.Begin >= duration);
    }
    return pieces;
}

QList<Segment> allSegments(const listrecord &entry)
{
    QList<Segment> segments;
    const int count = usableCount(entry);
    for (int k = 0; k < count; ++k)
        segments.append({entry.BeginTime.at(k), entry.EndTime.at(k)});
    return segments;
}

QList<Segment> customPlan(const listrecord &entry)
{
    QList<Segment> segments = allSegments(entry);
    if (segments.size() > 1)
        segments.removeLast();
    return segments;
}

QList<Segment> timePlan(int duration, int seconds)
{
    const qint64 n = qMax(seconds, 1);
    QList<Segment> pieces;
    for (qint64 k = 0; k <= duration / n; ++k)
        pieces.append({int(k * n), int(qMin((k + 1) * n, qint64(duration)))});
    return pieces;
}

QList<Segment> countPlan(int duration, int count)
{
    const qint64 n = qBound(1, count, qMax(duration, 1));
    const qint64 length = duration / n;
    QList<Segment> pieces;
    for (qint64 k = 0; k < n; ++k)
        pieces.append({int(k * length), int(qMin((k + 1) * length, qint64(duration)))});
    return pieces;
}

QList<PlannedPiece> cutPiecesToDuration(const QList<Segment> &segments, int duration)
{
    QList<PlannedPiece> pieces;
    for (qsizetype k = 0; k < segments.size(); ++k) {
        const Segment &segment = segments.at(k);
        // Segments marked out of order: a later one may still lie inside.
        if (segment.Begin > duration)
            continue;
        pieces.append(PlannedPiece{int(k), Segment{segment.Begin, qMin(segment.End, duration)}});
    }
    return pieces;
}

QList<Segment> cutToDuration(const QList<Segment> &segments, int duration)
{
    QList<Segment> pieces;
    for (const PlannedPiece &piece : cutPiecesToDuration(segments, duration))
        pieces.append(piece.Piece);
    return pieces;
}

QList<Segment> unificationPlan(const listrecord &first, int duration)
{
    return cutToDuration(customPlan(first), duration);
}

QList<Segment> segmentPlan(const QList<listrecord> &jobs, int row, const Settings &settings)
{
    const listrecord &entry = jobs.at(row);
    switch (settings.SplitMode) {
    case split_mode::Time:
        return timePlan(entry.Duration, settings.SplitSeconds);
    case split_mode::Count:
        return countPlan(entry.Duration, settings.SplitCount);
    case split_mode::Unification:
        return unificationPlan(jobs.front(), entry.Duration);
    default:
        return customPlan(entry);
    }
}

qint64 totalMarkedSeconds(const QList<listrecord> &jobs, const Settings &settings)
{
    if (jobs.isEmpty())
        return 0;
    qint64 sum = 0;
    switch (settings.SplitMode) {
    case split_mode::Time:
    case split_mode::Count:
        for (const listrecord &entry : jobs)
            sum += entry.Duration;
        return sum;
    case split_mode::Unification:
        return unificationTotal(jobs);
    default:
        for (const listrecord &entry : jobs)
            sum += lengthSum(customPlan(entry));
        return sum;
    }
}

} // namespace korvex
