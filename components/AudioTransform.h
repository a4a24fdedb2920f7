#pragma once

#include "components/IAudioTransform2.h"

namespace korvex {

// The transform component: plain arithmetic on the block, no library.
class AudioTransform : public IAudioTransform2
{
public:
    void gainRamp(SampleArray &block, int channels, float startPercent, float endPercent) override;
};

} // namespace korvex
