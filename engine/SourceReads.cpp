#include "engine/SourceReads.h"

#include "components/IAudioFile2.h"
#include "components/KorvexError.h"
#include "joblist/JobRecords.h"

namespace korvex {

SourceStamp EntryStamp(const listrecord &entry)
{
    return entry.Stamp.taken() ? entry.Stamp : SourceStamp::of(entry.FileName);
}

qint64 EntryMeasuredFrames(const listrecord &entry)
{
    return entry.Stamp.taken() ? entry.Frames : 0;
}

namespace {

[[noreturn]] void throwStopsShort(const SourceStamp &stamp)
{
    throw KorvexError(QStringLiteral("'%1' could not be read to its end: its audio stops before the length measured "
                                     "when it was added (the file is damaged, or was changed without its size or "
                                     "time of change showing it). The conversion was stopped: the files finished "
                                     "before are complete.")
                          .arg(stamp.path));
}

} // namespace

void CheckOpenedLength(const SourceStamp &stamp, qint64 measuredFrames, qint64 openedFrames)
{
    if (measuredFrames <= 0 || openedFrames == measuredFrames)
        return;
    if (openedFrames < measuredFrames)
        throwStopsShort(stamp);
    throw KorvexError(QStringLiteral("'%1' changed since it was measured as it was added: it now holds more audio "
                                     "than it did then. The conversion was stopped: the files finished before are "
                                     "complete.")
                          .arg(stamp.path));
}

SampleArray ReadSourceBlock(IAudioFile2 &reader, qint64 frames, int channels, const SourceStamp &stamp)
{
    stamp.checkUnchanged();
    SampleArray block = reader.readBlock(frames);
    const qint64 missing = reader.missingFrames();
    if (missing <= 0)
        return block;
    const qsizetype audio = block.upperBound() - qsizetype(missing) * qMax(channels, 1);
    if (audio > 0) {
        block.samples().resize(audio);
        return block;
    }
    throwStopsShort(stamp);
}

} // namespace korvex
