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
    record.Frames = ClampToInt(frames);
    record.Count = 1;
    record.BeginTime = {0};
    record.EndTime = {record.Duration};
    return record;
}

} // namespace korvex
