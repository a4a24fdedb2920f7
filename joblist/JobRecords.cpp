#include "JobRecords.h"

#include <algorithm>
#include <limits>

namespace korvex {

namespace {

int clampToInt(qint64 value)
{
    return int(std::clamp<qint64>(value, std::numeric_limits<int>::min(), std::numeric_limits<int>::max()));
}

} // namespace

listrecord newListRecord(const QString &fileName, qint64 durationMs, qint64 frames,
                         int minimumSeekRange)
{
    listrecord record;
    record.FileName = fileName;
    record.Duration = clampToInt(durationMs / 1000);
    record.SeekRange = qMax(clampToInt(durationMs / 500), minimumSeekRange);
    record.Frames = clampToInt(frames);
    record.Count = 1;
    record.BeginTime = {0};
    record.EndTime = {record.Duration};
    return record;
}

} // namespace korvex
