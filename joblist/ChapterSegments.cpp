#include "joblist/ChapterSegments.h"

#include "components/Seams.h"
#include "joblist/JobEditor.h"
#include "joblist/JobList.h"
#include "joblist/SegmentTagEdits.h"

#include <QFileInfo>

namespace korvex {

namespace {

// How far short of the file's end a last chapter may stop and still be
// taken to end there.
constexpr qint64 EndSlackMs = 1000;

} // namespace

void SetSegmentsFromChapters(listrecord &entry, const QList<Chapter> &chapters)
{
    const qint64 lengthMs = EntryLengthMs(entry);
    QList<qint64> begins;
    QList<qint64> ends;
    QList<SegmentTags> own;
    for (const Chapter &chapter : chapters) {
        if (chapter.startMs >= lengthMs)
            continue;
        qint64 end = qMin(chapter.endMs, lengthMs);
        if (end < lengthMs && lengthMs - end < EndSlackMs && &chapter == &chapters.constLast())
            end = lengthMs;
        begins.append(chapter.startMs);
        ends.append(qMax(end, chapter.startMs));
        own.append({chapter.title, QString()});
    }
    SetTitledSegments(entry, begins, ends, own);
}

void SegmentsFromChapters(JobEditor &editor, MessageSeam &messages)
{
    JobList &jobs = editor.desk().jobs;
    const int row = jobs.selectedFileRow();
    if (row < 0 || row >= jobs.rowCount())
        return;
    listrecord &entry = jobs.job(row);
    const QString name = QFileInfo(entry.FileName).fileName();
    const QList<Chapter> chapters = ReadChapters(entry.FileName);
    if (chapters.isEmpty()) {
        messages.information(QStringLiteral("%1 has no chapters.").arg(name));
        return;
    }
    const int confirmed = entry.Count - 1;
    if (confirmed > 0
        && !messages.question(QStringLiteral("%1 has %2 confirmed segment(s). Replace them with its %3 chapters?")
                                  .arg(name)
                                  .arg(confirmed)
                                  .arg(chapters.size())))
        return;
    SetSegmentsFromChapters(entry, chapters);
    editor.lvClick();
    editor.ShowTotalTime();
}

} // namespace korvex
