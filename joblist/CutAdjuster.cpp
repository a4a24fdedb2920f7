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

namespace {

using Stretch = std::pair<qint64, qint64>;  // frames [first, last)

// The stretches to read: twice the reach either side of every cut between
// two pieces, so that a pause whose cut point is near enough is found even
// when the planned cut lies in it, as long as its sound on both sides falls
// inside; stretches that overlap are joined and read once, so a long reach
// over short pieces never reads a part of the file twice.
QList<Stretch> stretchesAround(const QList<Segment> &plan, qint64 adjustMs, int rate, qint64 length)
{
    const qint64 radius = FrameAtMs(2 * adjustMs, rate);
    QList<Stretch> stretches;
    for (qsizetype k = 1; k < plan.size(); ++k) {
        const Segment &before = plan.at(k - 1);
        const Segment &after = plan.at(k);
        // the cuts AdjustedCuts may move
        if (before.End != after.Begin || before.End <= before.Begin || after.End <= after.Begin)
            continue;
        const qint64 centre = FrameAtMs(after.Begin, rate);
        const Stretch around{qMax<qint64>(centre - radius, 0), qMin(centre + radius, length)};
        if (around.second <= around.first)
            continue;
        if (!stretches.isEmpty() && around.first <= stretches.last().second)
            stretches.last().second = qMax(stretches.last().second, around.second);
        else
            stretches.append(around);
    }
    return stretches;
}

// The cut points (milliseconds) of the pauses that lie wholly within the
// stretch, read from the open source with the level gate Find Silences uses.
QList<qint64> pausesIn(IAudioFile2 &reader, const Stretch &stretch, const SilenceSettings &settings,
                       const std::function<bool()> &stopped)
{
    const int rate = reader.sampleRate();
    const int channels = reader.channelCount();
    const auto [first, last] = stretch;
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

} // namespace

QList<Segment> AdjustPlan(IAudioFile2 &reader, const QList<Segment> &plan, const SilenceSettings &settings,
                          const std::function<bool()> &stopped)
{
    const int rate = reader.sampleRate();
    if (settings.AdjustMs <= 0 || rate <= 0)
        return plan;
    QList<qint64> pauseCuts;
    for (const Stretch &stretch : stretchesAround(plan, settings.AdjustMs, rate, reader.length()))
        pauseCuts.append(pausesIn(reader, stretch, settings, stopped));
    return AdjustedCuts(plan, settings.AdjustMs, [&pauseCuts](qint64) { return pauseCuts; });
}

} // namespace korvex
