#include "engine/JoinChapters.h"

#include "engine/RunSnapshot.h"
#include "joblist/SegmentTagEdits.h"

#include <QFileInfo>

namespace korvex {

QString JoinPartTitle(const RunSnapshot &run, int row, int segment, bool ownTitles)
{
    const listrecord &entry = run.record(row);
    const AudioFileinfo &entryTags = run.entryTags(row);
    const AudioFileinfo tags = ownTitles ? SegmentTagsOver(entryTags, entry, segment) : entryTags;
    return tags.Title.isEmpty() ? QFileInfo(entry.FileName).completeBaseName() : tags.Title;
}

QList<Chapter> ClosedChapters(QList<Chapter> marks, qint64 totalMs)
{
    for (qsizetype k = 0; k < marks.size(); ++k)
        marks[k].endMs = qMax(marks.at(k).startMs, k + 1 < marks.size() ? marks.at(k + 1).startMs : totalMs);
    return marks;
}

} // namespace korvex
