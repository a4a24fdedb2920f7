#include "components/OutputWriter.h"

#include <algorithm>
#include <cmath>

namespace korvex {

std::vector<float> FullScaleCopy(const float *samples, qint64 count)
{
    std::vector<float> clean;
    FullScaleCopy(samples, count, clean);
    return clean;
}

void FullScaleCopy(const float *samples, qint64 count, std::vector<float> &clean)
{
    clean.assign(samples, samples + count);
    for (float &sample : clean)
        sample = std::isfinite(sample) ? std::clamp(sample, -1.0f, 1.0f) : 0.0f;
}

void FiniteCopy(const float *samples, qint64 count, std::vector<float> &clean)
{
    clean.assign(samples, samples + count);
    for (float &sample : clean)
        sample = std::isfinite(sample) ? sample : 0.0f;
}

QString FailureAfterSalvage(const QString &reason, const QString &path, bool kept)
{
    if (kept)
        return QStringLiteral("%1 The file '%2' is incomplete: it keeps the audio written before the failure.")
            .arg(reason, path);
    return QStringLiteral("%1 The unfinished file '%2' held no audio and was removed.").arg(reason, path);
}

} // namespace korvex
