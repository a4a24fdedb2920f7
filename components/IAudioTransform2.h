#pragma once

#include "components/SampleArray.h"

namespace korvex {

class IAudioTransform2
{
public:
    virtual ~IAudioTransform2() = default;
    // A linear gain ramp over the whole block, in place, frame by frame: the
    // first frame is scaled by startPercent/100 and the last by endPercent/100.
    // Fade-in is 0 → 100, fade-out 100 → 0.
    virtual void gainRamp(SampleArray &block, int channels, float startPercent, float endPercent) = 0;
};

} // namespace korvex
