#pragma once

#include "components/SourceStamp.h"

#include <QList>
#include <QString>

namespace korvex {

// A segment's own title and artist (from a CUE sheet's track or a chapter);
// an empty field falls back to the entry's tags.
struct SegmentTags
{
    QString Title;
    QString Artist;
};

// The job record of one entry of the job list. Segment times are milliseconds
// from the start of the file (whole seconds where the user marked them from the
// slider). BeginTime and EndTime hold at least Count elements;
// segments 0 … Count−2 are confirmed and segment Count−1 is the pending one
// that Begin and End edit.
struct listrecord
{
    int Count = 1;
    QString FileName;
    QList<qint64> BeginTime{0};  // milliseconds
    QList<qint64> EndTime{0};    // milliseconds
    int Duration = 0;       // whole seconds (milliseconds div 1000)
    int SeekRange = 0;      // range end of the slider "pb" while this entry is current
    qint64 Frames = 0;      // sample frames as the reading component reports them
    qint64 DurationMs = 0;  // the reading component's duration, 0 where unknown
    SourceStamp Stamp;      // the file as it was measured when it was added
    // Parallel to BeginTime, but may be shorter: a segment without an element
    // has no tags of its own.
    QList<SegmentTags> OwnTags;
};

// The file's length in milliseconds: the measured one, or the whole seconds
// of a record made without it.
qint64 EntryLengthMs(const listrecord &entry);

// The tags of one entry, written into its outputs.
struct AudioFileinfo
{
    QString Title;
    QString Artist;
    QString Year;
    QString Album;
    QString Comment;
    QString Genre;
};

// Smallest slider range end for files added one by one and from a folder.
inline constexpr int FileSeekRangeMinimum = 1084;
inline constexpr int FolderSeekRangeMinimum = 1014;

// A new entry: one pending segment over the whole seconds of the file; a run
// still takes the fraction after the last whole second into the last piece.
listrecord newListRecord(const QString &fileName, qint64 durationMs, qint64 frames,
                         int minimumSeekRange);

} // namespace korvex
