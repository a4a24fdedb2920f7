#include "joblist/SegmentTagEdits.h"

namespace korvex {

void RemoveSegmentAt(listrecord &entry, int index)
{
    if (index < 0)
        return;
    if (index < entry.BeginTime.size())
        entry.BeginTime.removeAt(index);
    if (index < entry.EndTime.size())
        entry.EndTime.removeAt(index);
    if (index < entry.OwnTags.size())
        entry.OwnTags.removeAt(index);
}

void TrimOwnTags(listrecord &entry)
{
    if (entry.OwnTags.size() > entry.BeginTime.size())
        entry.OwnTags.resize(entry.BeginTime.size());
}

void ForgetOwnTags(listrecord &entry)
{
    entry.OwnTags.clear();
}

void SetTitledSegments(listrecord &entry, QList<qint64> begins, QList<qint64> ends, QList<SegmentTags> own)
{
    begins.append(0);
    ends.append(qint64(entry.Duration) * 1000);
    entry.BeginTime = std::move(begins);
    entry.EndTime = std::move(ends);
    entry.Count = int(entry.BeginTime.size());
    entry.OwnTags = std::move(own);
}

AudioFileinfo SegmentTagsOver(const AudioFileinfo &entryTags, const listrecord &entry, int index)
{
    AudioFileinfo tags = entryTags;
    if (index < 0 || index >= entry.OwnTags.size())
        return tags;
    const SegmentTags &own = entry.OwnTags.at(index);
    if (!own.Title.isEmpty())
        tags.Title = own.Title;
    if (!own.Artist.isEmpty())
        tags.Artist = own.Artist;
    return tags;
}

bool HasOwnTitle(const listrecord &entry, int index)
{
    return index >= 0 && index < entry.OwnTags.size() && !entry.OwnTags.at(index).Title.isEmpty();
}

} // namespace korvex
