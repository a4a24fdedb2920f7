#include "JobRecords.h"

#include "Scale.h"

namespace korvex {

listrecord newListRecord(const QString &fileName, qint64 durationMs, qint64 frames,
                         int minimumSeekRange)
{
    listrecord record;
    record.FileName = fileName;
    record.Duration = ClampToInt(durationMs / 1000);
    record.SeekRange = qMax(ClampToInt(durationMs / 500), minimumSeekRange);
    record.Frames = qMax<qint64>(frames, 0);
    record.DurationMs = qMax<qint64>(durationMs, 0);
    record.Count = 1;
    record.BeginTime = {0};
    record.EndTime = {qint64(record.Duration) * 1000};
    return record;
}

qint64 EntryLengthMs(const listrecord &entry)
{
    return qMax(entry.DurationMs, qint64(entry.Duration) * 1000);
}

} // namespace korvex
