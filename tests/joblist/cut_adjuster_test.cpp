// Moving the cuts of a plan to the pause cut points found near them.

#include "joblist/CutAdjuster.h"

#include <gtest/gtest.h>

using namespace korvex;

namespace {

// Pause cut points at fixed places, as a scan of the whole file would give.
PausesNear pausesAt(const QList<qint64> &pauseCuts, QList<qint64> *asked = nullptr)
{
    return [pauseCuts, asked](qint64 cutMs) {
        if (asked)
            asked->append(cutMs);
        return pauseCuts;
    };
}

TEST(CutAdjusterTest, EachCutGoesToTheNearestPauseWithinReachAndStaysWithoutOne)
{
    const QList<Segment> plan = {{0, 10000}, {10000, 20000}, {20000, 30000}, {30000, 34500}};
    QList<qint64> asked;
    // 10 s: pauses at 8.2 and 11.5, the nearer wins; 20 s: 23.5 is too far;
    // 30 s: 29.4 is within 2 s
    const QList<Segment> moved = AdjustedCuts(plan, 2000, pausesAt({8200, 11500, 23500, 29400}, &asked));
    EXPECT_EQ(moved, (QList<Segment>{{0, 11500}, {11500, 20000}, {20000, 29400}, {29400, 34500}}));
    EXPECT_EQ(asked, (QList<qint64>{10000, 20000, 30000})) << "only the cuts are scanned around";
    EXPECT_EQ(AdjustedCuts(plan, 0, pausesAt({9900})), plan) << "0 leaves the plan as it is";
}

TEST(CutAdjusterTest, CutsNeverPassTheirNeighboursNorOpenAnEmptyPiece)
{
    // pieces of 1 s: the pause at 1.2 s is nearest to both the 1 s and the 2 s
    // cut, but the second may not move onto or before the first
    const QList<Segment> short_ = {{0, 1000}, {1000, 2000}, {2000, 3000}};
    EXPECT_EQ(AdjustedCuts(short_, 1500, pausesAt({1200})),
              (QList<Segment>{{0, 1200}, {1200, 2000}, {2000, 3000}}));
    // a time plan of a whole multiple ends in an empty piece: its cut stays,
    // so no piece appears that the plain plan does not write
    const QList<Segment> withEmptyLast = {{0, 5000}, {5000, 10000}, {10000, 10000}};
    EXPECT_EQ(AdjustedCuts(withEmptyLast, 2000, pausesAt({9000, 4000})),
              (QList<Segment>{{0, 4000}, {4000, 10000}, {10000, 10000}}));
    // the file's own begin and end are never cuts
    EXPECT_EQ(AdjustedCuts({{0, 4000}}, 2000, pausesAt({500, 3500})), (QList<Segment>{{0, 4000}}));
}

} // namespace
