#pragma once

#include <QList>
#include <QString>

namespace korvex {

// The job record of one entry of the job list. Times are whole seconds from
// the start of the file. BeginTime and EndTime hold at least Count elements;
// segments 0 … Count−2 are confirmed and segment Count−1 is the pending one
// that Begin and End edit.
struct listrecord
{
    int Count = 1;
    QString FileName;
    QList<int> BeginTime{0};
    QList<int> EndTime{0};
    int Duration = 0;    // whole seconds (milliseconds div 1000)
    int SeekRange = 0;   // range end of the slider "pb" while this entry is current
    int Frames = 0;      // sample frames as the reading component reports them
};

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

// A new entry: one pending segment over the whole file. frames is clamped to
// 32 bits (about 13 hours at 44.1 kHz).
listrecord newListRecord(const QString &fileName, qint64 durationMs, qint64 frames,
                         int minimumSeekRange);

} // namespace korvex
