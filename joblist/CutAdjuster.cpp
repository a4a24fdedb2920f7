#include "joblist/CutAdjuster.h"

#include "components/IAudioFile2.h"
#include "joblist/Scale.h"
#include "joblist/SilenceFinder.h"

#include <cstdlib>
#include <optional>

namespace korvex {

namespace {

constexpr qint64 BlockFrames = 65536;

// The pause cut nearest to `cutMs`, if one lies within ±adjustMs and strictly
// between `lowMs` and `highMs`, so that no piece becomes empty.
std::optional<qint64> nearestCut(const QList<qint64> &pauseCuts, qint64 cutMs, qint64 adjustMs, qint64 lowMs,
                                 qint64 highMs)
{
    std::optional<qint64> best;
    for (const qint64 candidate : pauseCuts) {
        const qint64 distance = std::llabs(candidate - cutMs);
        if (distance > adjustMs || candidate <= lowMs || candidate >= highMs)
            continue;
        if (!best || distance < std::llabs(*best - cutMs))
            best = candidate;
    }
    return best;
}

} // namespace

QList<Segment> AdjustedCuts(const QList<Segment> &plan, qint64 adjustMs, const PausesNear &pausesNear)
{
    QList<Segment> adjusted = plan;
    if (adjustMs <= 0)
        return adjusted;
    for (qsizetype k = 1; k < adjusted.size(); ++k) {
        Segment &before = adjusted[k - 1];
        Segment &after = adjusted[k];
        const bool sharedCut = before.End == after.Begin;
        if (!sharedCut || before.End <= before.Begin || after.End <= after.Begin)
            continue;
        const qint64 cut = after.Begin;
        if (const std::optional<qint64> moved = nearestCut(pausesNear(cut), cut, adjustMs, before.Begin, after.End)) {
            before.End = *moved;
            after.Begin = *moved;
        }
    }
    return adjusted;
}

QList<qint64> ScanPausesNear(IAudioFile2 &reader, qint64 cutMs, const SilenceSettings &settings,
                             const std::function<bool()> &stopped)
{
    const int rate = reader.sampleRate();
    const int channels = reader.channelCount();
    const qint64 length = reader.length();
    const qint64 centre = FrameAtMs(cutMs, rate);
    // Twice the distance: a pause whose cut point is near enough is found
    // even when the planned cut lies in it, as long as its sound on both
    // sides falls inside the scan.
    const qint64 radius = FrameAtMs(2 * settings.AdjustMs, rate);
    const qint64 first = qMax<qint64>(centre - radius, 0);
    const qint64 last = qMin(centre + radius, length);
    if (rate <= 0 || last <= first)
        return {};
    reader.seek(first, 3);
    LevelGate gate(rate, channels, settings);
    for (qint64 done = 0; done < last - first;) {
        if (stopped && stopped())
            break;
        const SampleArray block = reader.readBlock(qMin(BlockFrames, last - first - done));
        if (block.isEmpty())
            break;
        const qint64 frames = block.frameCount(channels);
        gate.feed(block.data(), frames);
        done += frames;
    }
    QList<qint64> cuts;
    for (const qint64 frame : CutsBetween(gate.finish(), Clamped(settings).Offset))
        cuts.append(Scale64(first + frame, 1000, rate));
    return cuts;
}

QList<Segment> AdjustPlan(IAudioFile2 &reader, const QList<Segment> &plan, const SilenceSettings &settings)
{
    return AdjustedCuts(plan, settings.AdjustMs,
                        [&](qint64 cutMs) { return ScanPausesNear(reader, cutMs, settings); });
}

} // namespace korvex
