#include "engine/RunSteps.h"

#include "components/IAudioFile2.h"
#include "components/MessagePump.h"
#include "engine/RunJob.h"
#include "joblist/ListActivity.h"
#include "joblist/Scale.h"

namespace korvex {

bool StillConverting(RunWork &context, RunJob &job)
{
    ProcessPendingMessages();
    const bool wanted = job.goOn();
    return wanted && context.activity.run.Converting;
}

qint64 EntryFrames(const listrecord &entry, int seconds)
{
    return Scale64(seconds, entry.Frames, entry.Duration);
}

qint64 SourceFrameAt(qint64 ms, qint64 lengthFrames, int sampleRate)
{
    return qMin(FrameAtMs(ms, sampleRate), lengthFrames);
}

qint64 PieceEndFrame(const PlannedPiece &piece, qint64 lengthFrames, int sampleRate)
{
    if (piece.ToTrueEnd)
        return lengthFrames;
    return SourceFrameAt(piece.Piece.End, lengthFrames, sampleRate);
}

qint64 FramesToMs(qint64 frames, qint64 lengthFrames, qint64 durationMs)
{
    return lengthFrames > 0 ? qRound64(double(frames) * double(durationMs) / double(lengthFrames)) : 0;
}

void CloseIfOpen(IAudioFile2 &file)
{
    if (file.isOpen())
        file.close();
}

void CloseQuietly(IAudioFile2 &file)
{
    try {
        CloseIfOpen(file);
    } catch (const std::exception &) {
        // the run has already failed; this file is as good as it gets
    }
}

} // namespace korvex
