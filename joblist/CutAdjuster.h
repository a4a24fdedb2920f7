#pragma once

#include "joblist/SegmentPlan.h"
#include "settings/SilenceSettings.h"

#include <QList>

#include <functional>

namespace korvex {

class IAudioFile2;

// The cut points of the pauses found near one planned cut, in milliseconds.
using PausesNear = std::function<QList<qint64>(qint64 cutMs)>;

// A time or count plan with each cut between two pieces moved to the nearest
// of the pauses' cut points within ±adjustMs; a cut with none stays. A cut
// never passes its neighbours, and the first begin, the last end and the
// cuts beside an empty piece stay where they are, so the pieces still cover
// the file as the plan did.
QList<Segment> AdjustedCuts(const QList<Segment> &plan, qint64 adjustMs, const PausesNear &pausesNear);

// AdjustedCuts over a source open in `reader`, with the pauses' cut points
// (at settings.Offset) found by reading only twice settings.AdjustMs either
// side of each planned cut, with the same level gate Find Silences uses; the
// plan itself when settings.AdjustMs is 0. `stopped`, when given, is asked
// between blocks and ends the reading early. The reader's position is left
// anywhere.
QList<Segment> AdjustPlan(IAudioFile2 &reader, const QList<Segment> &plan, const SilenceSettings &settings,
                          const std::function<bool()> &stopped = {});

} // namespace korvex
