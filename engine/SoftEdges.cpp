#include "engine/SoftEdges.h"

#include "components/SampleArray.h"

#include <algorithm>

namespace korvex {

void ApplySoftEdges(SampleArray &block, int channels, qint64 firstFrame, qint64 stretchFrames, qint64 edgeFrames)
{
    if (edgeFrames <= 0 || channels <= 0)
        return;
    const qint64 frames = block.frameCount(channels);
    // Only the frames inside a ramp are touched: most blocks lie between them.
    const qint64 headEnd = std::clamp<qint64>(edgeFrames - firstFrame, 0, frames);
    const qint64 tailBegin = std::clamp<qint64>(stretchFrames - edgeFrames - firstFrame, headEnd, frames);
    float *samples = block.data();
    const auto ramp = [&](qint64 from, qint64 to) {
        for (qint64 f = from; f < to; ++f) {
            const qint64 position = firstFrame + f;
            const qint64 fromEdge = std::min(position, stretchFrames - 1 - position);
            const float gain = float(std::clamp((double(fromEdge) + 0.5) / double(edgeFrames), 0.0, 1.0));
            for (int c = 0; c < channels; ++c)
                samples[f * channels + c] *= gain;
        }
    };
    ramp(0, headEnd);
    ramp(tailBegin, frames);
}

} // namespace korvex
