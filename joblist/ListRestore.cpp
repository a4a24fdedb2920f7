#include "joblist/ListRestore.h"

#include "joblist/JobList.h"
#include "joblist/ListText.h"
#include "settings/Settings.h"

#include <QFileInfo>

namespace korvex {

namespace {

struct ClippedSegments
{
    int dropped = 0;
    int shortened = 0;
};

// The entry's segments fitted to the file's length as measured now.
ClippedSegments putSegments(listrecord &job, const ListEntry &entry)
{
    ClippedSegments clipped;
    const qint64 lengthMs = EntryLengthMs(job);
    job.BeginTime.clear();
    job.EndTime.clear();
    job.OwnTags.clear();
    const qsizetype confirmed = entry.Segments.size() - 1;
    for (qsizetype i = 0; i < confirmed; ++i) {
        const ListSegment &segment = entry.Segments.at(i);
        if (segment.BeginMs >= lengthMs) {
            ++clipped.dropped;
            continue;
        }
        if (segment.EndMs > lengthMs)
            ++clipped.shortened;
        job.BeginTime.append(segment.BeginMs);
        job.EndTime.append(qMin(segment.EndMs, lengthMs));
        job.OwnTags.append(segment.Own);
    }
    // The pending segment is only being marked: one that no longer fits
    // starts over, as after Ok, over the whole file.
    const ListSegment &pending = entry.Segments.constLast();
    const bool fits = pending.BeginMs < lengthMs && pending.EndMs <= lengthMs;
    job.BeginTime.append(fits ? pending.BeginMs : 0);
    job.EndTime.append(fits ? pending.EndMs : qint64(job.Duration) * 1000);
    job.OwnTags.append(fits ? pending.Own : SegmentTags{});
    job.Count = int(job.BeginTime.size());
    while (!job.OwnTags.isEmpty() && job.OwnTags.constLast().Title.isEmpty() && job.OwnTags.constLast().Artist.isEmpty())
        job.OwnTags.removeLast();
    return clipped;
}

QString clippedLine(const QString &file, const ClippedSegments &clipped, qint64 lengthMs)
{
    QStringList parts;
    if (clipped.dropped > 0)
        parts.append(QStringLiteral("%1 segment(s) beginning after its end left out").arg(clipped.dropped));
    if (clipped.shortened > 0)
        parts.append(QStringLiteral("%1 segment(s) shortened to its end").arg(clipped.shortened));
    return QStringLiteral("%1 is now %2 long: %3").arg(QFileInfo(file).fileName(), MsTimeText(lengthMs),
                                                     parts.join(QStringLiteral(", ")));
}

QString onOff(bool on, int seconds)
{
    return on ? QStringLiteral("%1 s").arg(seconds) : QStringLiteral("off");
}

} // namespace

SavedList CaptureList(const JobList &jobs, const Settings &settings)
{
    SavedList list;
    list.settings = ListSettingsOf(settings);
    for (int row = 0; row < jobs.rowCount(); ++row) {
        const listrecord &job = jobs.JobRecords().at(row);
        ListEntry entry;
        entry.FileName = job.FileName;
        entry.Tags = jobs.TagRecords().at(row);
        for (int i = 0; i < job.Count; ++i)
            entry.Segments.append({job.BeginTime.value(i), job.EndTime.value(i), job.OwnTags.value(i)});
        list.entries.append(entry);
    }
    return list;
}

QList<ListEntry> PresentEntries(const QList<ListEntry> &entries, QStringList &missing)
{
    QList<ListEntry> present;
    for (const ListEntry &entry : entries) {
        if (QFileInfo(entry.FileName).isFile())
            present.append(entry);
        else
            missing.append(entry.FileName);
    }
    return present;
}

QStringList PutEntriesOnRows(JobList &jobs, int firstRow, const QList<ListEntry> &entries)
{
    QStringList lines;
    int row = firstRow;
    for (const ListEntry &entry : entries) {
        if (row >= jobs.rowCount() || jobs.job(row).FileName != entry.FileName) {
            lines.append(QStringLiteral("%1 could not be added again").arg(QFileInfo(entry.FileName).fileName()));
            continue;
        }
        listrecord &job = jobs.job(row);
        const ClippedSegments clipped = putSegments(job, entry);
        if (clipped.dropped > 0 || clipped.shortened > 0)
            lines.append(clippedLine(entry.FileName, clipped, EntryLengthMs(job)));
        jobs.tags(row) = entry.Tags;
        ++row;
    }
    return lines;
}

QStringList ListSettingsChanges(const ListSettings &before, const ListSettings &after)
{
    QStringList changes;
    auto note = [&changes](const QString &name, const QString &now, const QString &was) {
        if (now != was)
            changes.append(QStringLiteral("%1 %2 (was %3)").arg(name, now, was));
    };
    note(QStringLiteral("mode"), ListModeWord(after.SplitMode), ListModeWord(before.SplitMode));
    note(QStringLiteral("piece length"), QStringLiteral("%1 s").arg(after.SplitSeconds),
         QStringLiteral("%1 s").arg(before.SplitSeconds));
    note(QStringLiteral("piece count"), QString::number(after.SplitCount), QString::number(before.SplitCount));
    note(QStringLiteral("fade-in"), onOff(after.FadeIn, after.FadeInSeconds), onOff(before.FadeIn, before.FadeInSeconds));
    note(QStringLiteral("fade-out"), onOff(after.FadeOut, after.FadeOutSeconds),
         onOff(before.FadeOut, before.FadeOutSeconds));
    note(QStringLiteral("soft edge"), QStringLiteral("%1 ms").arg(after.EdgeMs), QStringLiteral("%1 ms").arg(before.EdgeMs));
    note(QStringLiteral("output folder"), after.OutputFolder, before.OutputFolder);
    note(QStringLiteral("format"), outputFormatCaption(after.Format), outputFormatCaption(before.Format));
    return changes;
}

} // namespace korvex
