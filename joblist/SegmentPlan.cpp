#include "SegmentPlan.h"

#include "Scale.h"
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
        sum += lengthSum(unificationPlan(jobs.front(), qint64(entry.Duration) * 1000));
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

QList<PlannedPiece> withTrueEnds(QList<PlannedPiece> pieces, qint64 wholeEndMs)
{
    const bool tailPiece = std::any_of(pieces.cbegin(), pieces.cend(), [&](const PlannedPiece &piece) {
        return piece.Piece.Begin == wholeEndMs;
    });
    for (PlannedPiece &piece : pieces) {
        const Segment &segment = piece.Piece;
        piece.ToTrueEnd = segment.End >= wholeEndMs && (!tailPiece || segment.Begin >= wholeEndMs);
    }
    return pieces;
}

QList<PlannedPiece> withTrueEnds(QList<PlannedPiece> pieces, const listrecord &entry)
{
    return withTrueEnds(std::move(pieces), qint64(entry.Duration) * 1000);
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

QList<Segment> timePlan(qint64 durationMs, int seconds)
{
    const qint64 n = qint64(qMax(seconds, 1)) * 1000;
    QList<Segment> pieces;
    for (qint64 k = 0; k <= durationMs / n; ++k)
        pieces.append({k * n, qMin((k + 1) * n, durationMs)});
    return pieces;
}

QList<Segment> countPlan(qint64 durationMs, int count)
{
    const qint64 n = qBound(qint64(1), qint64(count), qMax(durationMs / 1000, qint64(1)));
    QList<Segment> pieces;
    // Each border at the millisecond nearest to k/n of the length, so the
    // pieces differ by a millisecond at most and the last ends at the end.
    for (qint64 k = 0; k < n; ++k)
        pieces.append({Scale64(k, durationMs, n), Scale64(k + 1, durationMs, n)});
    return pieces;
}

QList<Segment> entryTimePlan(const listrecord &entry, int seconds)
{
    return timePlan(qint64(entry.Duration) * 1000, seconds);
}

QList<Segment> entryCountPlan(const listrecord &entry, int count)
{
    return countPlan(EntryLengthMs(entry), count);
}

QList<PlannedPiece> entryUnificationPieces(const listrecord &first, const listrecord &entry)
{
    return cutPiecesToDuration(allSegments(first), qint64(entry.Duration) * 1000);
}

QList<PlannedPiece> cutPiecesToDuration(const QList<Segment> &segments, qint64 durationMs)
{
    QList<PlannedPiece> pieces;
    for (qsizetype k = 0; k < segments.size(); ++k) {
        const Segment &segment = segments.at(k);
        // Segments marked out of order: a later one may still lie inside.
        if (segment.Begin > durationMs)
            continue;
        pieces.append(PlannedPiece{int(k), Segment{segment.Begin, qMin(segment.End, durationMs)}});
    }
    return pieces;
}

QList<Segment> cutToDuration(const QList<Segment> &segments, qint64 durationMs)
{
    QList<Segment> pieces;
    for (const PlannedPiece &piece : cutPiecesToDuration(segments, durationMs))
        pieces.append(piece.Piece);
    return pieces;
}

QList<Segment> unificationPlan(const listrecord &first, qint64 durationMs)
{
    return cutToDuration(customPlan(first), durationMs);
}

QList<Segment> segmentPlan(const QList<listrecord> &jobs, int row, const Settings &settings)
{
    const listrecord &entry = jobs.at(row);
    switch (settings.SplitMode) {
    case split_mode::Time:
        return entryTimePlan(entry, settings.SplitSeconds);
    case split_mode::Count:
        return entryCountPlan(entry, settings.SplitCount);
    case split_mode::Unification:
        return unificationPlan(jobs.front(), qint64(entry.Duration) * 1000);
    default:
        return customPlan(entry);
    }
}

QList<PlannedPiece> splitPieces(const QList<listrecord> &jobs, int row, const Settings &settings)
{
    const listrecord &entry = jobs.at(row);
    // unification keeps the rows of the first entry's segments
    QList<PlannedPiece> pieces = settings.SplitMode == split_mode::Unification
                                     ? cutPiecesToDuration(customPlan(jobs.front()), qint64(entry.Duration) * 1000)
                                     : numberedPieces(segmentPlan(jobs, row, settings));
    return withTrueEnds(std::move(pieces), entry);
}

qint64 totalMarkedMs(const QList<listrecord> &jobs, const Settings &settings)
{
    if (jobs.isEmpty())
        return 0;
    qint64 sum = 0;
    switch (settings.SplitMode) {
    case split_mode::Time:
    case split_mode::Count:
        for (const listrecord &entry : jobs)
            sum += qint64(entry.Duration) * 1000;
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
