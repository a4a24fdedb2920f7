#pragma once

#include "components/Chapters.h"

namespace korvex {

struct RunSnapshot;

// The chapter marks of a joined file: one at the start of every part, named
// after the part.

// The name of the part that segment `segment` of entry `row` gives: the
// segment's own title where `ownTitles` and it has one, else the entry's
// title, else its file's name without extension.
QString JoinPartTitle(const RunSnapshot &run, int row, int segment, bool ownTitles);

// Each mark ends where the next begins, the last at `totalMs`.
QList<Chapter> ClosedChapters(QList<Chapter> marks, qint64 totalMs);

} // namespace korvex
