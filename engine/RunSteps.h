#pragma once

#include "engine/RunContext.h"
#include "joblist/SegmentPlan.h"

#include <QString>

namespace korvex {

class IAudioFile2;
class RunJob;
struct listrecord;

// Small steps that split and join runs take alike.

// Lets the window process what is pending, passes the job's checkpoint, then
// tells whether the run is still wanted (Stop asks the job to stop and clears
// Converting).
bool StillConverting(RunWork &context, RunJob &job);

// Frames of an entry that `seconds` whole seconds stand for, by its record.
qint64 EntryFrames(const listrecord &entry, int seconds);

// milliseconds → the nearest frame of the open source, at most its length.
qint64 SourceFrameAt(qint64 ms, qint64 lengthFrames, int sampleRate);

// Where a planned piece ends in the open source: at its end time, or at the
// file's true end when the plan gives it the fraction after the last second.
qint64 PieceEndFrame(const PlannedPiece &piece, qint64 lengthFrames, int sampleRate);

// Milliseconds that `frames` of the open source stand for, by its frame
// length and its duration.
qint64 FramesToMs(qint64 frames, qint64 lengthFrames, qint64 durationMs);

void CloseIfOpen(IAudioFile2 &file);
// For the error path: closes and swallows what a failing component says, so
// the error that ended the run is the one the user reads.
void CloseQuietly(IAudioFile2 &file);

} // namespace korvex
