#pragma once

#include "joblist/JobRecords.h"

namespace korvex {

// OwnTags runs beside BeginTime and EndTime: every edit that removes, adds or
// replaces segments goes through these, so a title never slides onto the
// neighbouring segment.

// Removes segment `index` with its own tags, if it has any.
void RemoveSegmentAt(listrecord &entry, int index);

// After Count changed: no segment past the list keeps tags of its own.
void TrimOwnTags(listrecord &entry);

// The segments were replaced by ones that carry no titles (cleared, found
// in silences, typed as times).
void ForgetOwnTags(listrecord &entry);

// The segments (with their own tags, parallel) as the entry's confirmed
// ones, and a new pending segment over the whole file after them, as after Ok.
void SetTitledSegments(listrecord &entry, QList<qint64> begins, QList<qint64> ends, QList<SegmentTags> own);

// Segment `index`'s own title and artist over the entry's tags.
AudioFileinfo SegmentTagsOver(const AudioFileinfo &entryTags, const listrecord &entry, int index);

// Whether segment `index` has a title of its own.
bool HasOwnTitle(const listrecord &entry, int index);

} // namespace korvex
