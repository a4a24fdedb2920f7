#include "components/AudioTransform.h"

#include "components/KorvexError.h"

namespace korvex {

void AudioTransform::gainRamp(SampleArray &block, int channels, float startPercent, float endPercent)
{
    if (channels <= 0)
        throw KorvexError(QStringLiteral("A gain ramp needs at least one channel."));
    const qsizetype frames = block.frameCount(channels);
    if (frames == 0)
        return;
    const double start = startPercent / 100.0;
    const double step = frames > 1 ? (endPercent / 100.0 - start) / double(frames - 1) : 0.0;
    float *samples = block.data();
    for (qsizetype f = 0; f < frames; ++f) {
        const auto gain = static_cast<float>(start + step * double(f));
        for (int c = 0; c < channels; ++c)
            samples[f * channels + c] *= gain;
    }
}

} // namespace korvex
