#include "joblist/SegmentPlan.h"
#include "settings/Settings.h"
#include "support/SegmentedRecord.h"

#include <gtest/gtest.h>

using namespace korvex;
using korvex::test::segmentedRecord;

namespace {

Settings inMode(int mode)
{
    Settings settings;
    settings.SplitMode = mode;
    return settings;
}

} // namespace

TEST(TimePlan, CutsEveryNSecondsWithAZeroLengthTailOnAMultiple)
{
    EXPECT_EQ(timePlan(120, 60), (QList<Segment>{{0, 60}, {60, 120}, {120, 120}}));
    EXPECT_EQ(timePlan(150, 60), (QList<Segment>{{0, 60}, {60, 120}, {120, 150}}));
    EXPECT_EQ(timePlan(59, 60), (QList<Segment>{{0, 59}}));
    EXPECT_EQ(timePlan(0, 60), (QList<Segment>{{0, 0}}));
}

TEST(TimePlan, CountsAPieceLengthBelowOneAsOne)
{
    EXPECT_EQ(timePlan(2, 0), (QList<Segment>{{0, 1}, {1, 2}, {2, 2}}));
    EXPECT_EQ(timePlan(2, -5), timePlan(2, 1));
}

TEST(CountPlan, MakesNEqualPiecesAndLeavesTheRemainder)
{
    const QList<Segment> plan = countPlan(100, 6);
    ASSERT_EQ(plan.size(), 6);
    for (int k = 0; k < 6; ++k)
        EXPECT_EQ(plan.at(k), (Segment{16 * k, 16 * (k + 1)}));
    EXPECT_EQ(plan.back().End, 96);
    EXPECT_EQ(countPlan(100, 0), (QList<Segment>{{0, 100}}));
}

TEST(CountPlan, NeverMakesPiecesShorterThanASecond)
{
    EXPECT_EQ(countPlan(2, 3), (QList<Segment>{{0, 1}, {1, 2}}));
    EXPECT_EQ(countPlan(0, 6), (QList<Segment>{{0, 0}}));
    // a hand-edited Korvex.ini: the plan stays as long as the file in seconds
    EXPECT_EQ(countPlan(3600, 2000000000).size(), 3600);
    EXPECT_EQ(countPlan(3600, 2000000000).back(), (Segment{3599, 3600}));
}

TEST(TrueEnds, TheLastPieceToReachTheDurationTakesTheFractionAfterIt)
{
    // 4.6 s in pieces of 2: [4, 4] takes the last 0.6 s, not [2, 4] as well
    const QList<PlannedPiece> time = withTrueEnds(numberedPieces(timePlan(4, 2)), 4);
    ASSERT_EQ(time.size(), 3);
    EXPECT_FALSE(time[0].ToTrueEnd);
    EXPECT_FALSE(time[1].ToTrueEnd);
    EXPECT_TRUE(time[2].ToTrueEnd);
    EXPECT_TRUE(withTrueEnds(numberedPieces(timePlan(5, 2)), 5).last().ToTrueEnd);
    // a whole-file piece and a segment marked to the end run on; others stop
    const QList<PlannedPiece> custom = withTrueEnds(numberedPieces({{0, 3}, {2, 9}, {0, 9}}), 9);
    EXPECT_FALSE(custom[0].ToTrueEnd);
    EXPECT_TRUE(custom[1].ToTrueEnd);
    EXPECT_TRUE(custom[2].ToTrueEnd);
    // count pieces stop at the last whole multiple unless that is the end
    EXPECT_FALSE(withTrueEnds(numberedPieces(countPlan(100, 6)), 100).last().ToTrueEnd);
    EXPECT_TRUE(withTrueEnds(numberedPieces(countPlan(96, 6)), 96).last().ToTrueEnd);
}

TEST(CustomPlan, TakesConfirmedSegmentsOrTheOnlyPendingOne)
{
    EXPECT_EQ(customPlan(segmentedRecord(200, {{0, 200}})), (QList<Segment>{{0, 200}}));
    const listrecord marked = segmentedRecord(200, {{10, 20}, {30, 60}, {0, 200}});
    EXPECT_EQ(customPlan(marked), (QList<Segment>{{10, 20}, {30, 60}}));
    EXPECT_EQ(allSegments(marked).size(), 3);
}

TEST(CustomPlan, NeverReadsPastTheArraysOfADamagedRecord)
{
    listrecord damaged = segmentedRecord(200, {{10, 20}, {0, 200}});
    damaged.Count = 7;
    EXPECT_EQ(allSegments(damaged).size(), 2);
    damaged.Count = 0;
    EXPECT_TRUE(customPlan(damaged).isEmpty());
}

TEST(UnificationPlan, CutsToTheEntryAndLeavesOutOnlySegmentsBeyondIt)
{
    const listrecord first = segmentedRecord(300, {{10, 50}, {100, 200}, {60, 70}, {0, 300}});
    EXPECT_EQ(unificationPlan(first, 300), (QList<Segment>{{10, 50}, {100, 200}, {60, 70}}));
    // marked out of order: [60, 70] after [100, 200] still fits an 80 s entry
    EXPECT_EQ(unificationPlan(first, 80), (QList<Segment>{{10, 50}, {60, 70}}));
    EXPECT_EQ(unificationPlan(first, 100), (QList<Segment>{{10, 50}, {100, 100}, {60, 70}}));
    EXPECT_EQ(cutPiecesToDuration(customPlan(first), 80),
              (QList<PlannedPiece>{{0, {10, 50}}, {2, {60, 70}}}));
    const QList<listrecord> jobs = {first, segmentedRecord(80, {{0, 80}})};
    Settings unified = inMode(split_mode::Unification);
    EXPECT_EQ(totalMarkedSeconds(jobs, unified), 40 + 100 + 10 + 40 + 10);
}

TEST(SegmentPlanOfMode, PicksThePlanOfTheMode)
{
    const QList<listrecord> jobs = {segmentedRecord(300, {{10, 50}, {0, 300}}), segmentedRecord(130, {{0, 130}})};
    Settings settings = inMode(split_mode::Time);
    settings.SplitSeconds = 60;
    EXPECT_EQ(segmentPlan(jobs, 1, settings), timePlan(130, 60));
    settings.SplitMode = split_mode::Count;
    settings.SplitCount = 2;
    EXPECT_EQ(segmentPlan(jobs, 1, settings), (QList<Segment>{{0, 65}, {65, 130}}));
    settings.SplitMode = split_mode::Unification;
    EXPECT_EQ(segmentPlan(jobs, 1, settings), (QList<Segment>{{10, 50}}));
    settings.SplitMode = split_mode::Custom;
    EXPECT_EQ(segmentPlan(jobs, 1, settings), (QList<Segment>{{0, 130}}));
}

TEST(TotalMarkedTime, SumsEffectiveSegmentsInCustomMode)
{
    const QList<listrecord> jobs = {segmentedRecord(200, {{0, 200}}),
                                    segmentedRecord(100, {{10, 20}, {30, 60}, {0, 100}})};
    EXPECT_EQ(totalMarkedSeconds(jobs, inMode(split_mode::Custom)), 240);
    EXPECT_EQ(totalMarkedSeconds({}, inMode(split_mode::Custom)), 0);
}

TEST(TotalMarkedTime, SumsDurationsInTimeAndCountMode)
{
    const QList<listrecord> jobs = {segmentedRecord(100, {{10, 20}, {0, 100}}), segmentedRecord(35, {{0, 35}})};
    EXPECT_EQ(totalMarkedSeconds(jobs, inMode(split_mode::Time)), 135);
    EXPECT_EQ(totalMarkedSeconds(jobs, inMode(split_mode::Count)), 135);
}

TEST(TotalMarkedTime, AppliesEntryZeroSegmentsToEveryEntryInUnificationMode)
{
    QList<listrecord> jobs = {segmentedRecord(300, {{10, 50}, {100, 200}, {0, 300}}),
                              segmentedRecord(80, {{5, 6}, {0, 80}})};
    EXPECT_EQ(totalMarkedSeconds(jobs, inMode(split_mode::Unification)), 180);
    // A later segment that still fits is counted after one that did not.
    jobs[0] = segmentedRecord(300, {{100, 200}, {10, 50}, {0, 300}});
    EXPECT_EQ(totalMarkedSeconds(jobs, inMode(split_mode::Unification)), 180);
    // Entry 0 with only its pending segment: that segment is the plan.
    jobs[0] = segmentedRecord(300, {{0, 300}});
    EXPECT_EQ(totalMarkedSeconds(jobs, inMode(split_mode::Unification)), 380);
}
