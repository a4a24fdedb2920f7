#pragma once

#include <QtGlobal>

namespace korvex {

class SampleArray;

// A straight ramp over the first and the last `edgeFrames` frames of a
// stretch of `stretchFrames` frames, so that a cut through sound starts and
// ends without a click. `block` holds interleaved frames of the stretch from
// frame `firstFrame` on; frames outside both ramps are left as they are. A
// stretch shorter than two ramps is ramped to its middle.
void ApplySoftEdges(SampleArray &block, int channels, qint64 firstFrame, qint64 stretchFrames, qint64 edgeFrames);

} // namespace korvex
