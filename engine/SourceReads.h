#pragma once

#include "components/SampleArray.h"
#include "components/SourceStamp.h"

#include <QtGlobal>

namespace korvex {

class IAudioFile2;
struct listrecord;

// How a run reads its sources: only while they are what was measured when
// they were added, and only as far as they really hold audio. A source that
// stops short never gives a piece silence in place of its audio.

// The stamp an entry's source was measured with when it was added; one taken
// now for a record made without measuring.
SourceStamp EntryStamp(const listrecord &entry);
// The frames its source held when it was added; 0 for a record made without
// measuring.
qint64 EntryMeasuredFrames(const listrecord &entry);

// The frames a source holds as the run opened it against those measured
// (0: not measured). Throws KorvexError naming the source when they differ:
// a source measured again after it changed in place (its size and time of
// change put back) reads as long as it is now, and would end its pieces
// early without a word.
void CheckOpenedLength(const SourceStamp &stamp, qint64 measuredFrames, qint64 openedFrames);

// The next block of `frames` frames of the source `stamp` stands for, open in
// `reader` (delivering `channels` channels). Throws KorvexError naming the
// source when it changed since it was measured, or when its audio stops
// before its measured end: what it did deliver of a block is handed out
// first, without the silence the reader filled in, and the next read throws.
SampleArray ReadSourceBlock(IAudioFile2 &reader, qint64 frames, int channels, const SourceStamp &stamp);

} // namespace korvex
