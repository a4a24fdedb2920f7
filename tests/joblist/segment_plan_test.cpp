#include "joblist/SegmentPlan.h"
#include "settings/Settings.h"
#include "support/SegmentedRecord.h"

#include <gtest/gtest.h>

using namespace korvex;
using korvex::test::inMs;
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
    EXPECT_EQ(timePlan(120000, 60), inMs({{0, 60}, {60, 120}, {120, 120}}));
    EXPECT_EQ(timePlan(150000, 60), inMs({{0, 60}, {60, 120}, {120, 150}}));
    EXPECT_EQ(timePlan(59000, 60), inMs({{0, 59}}));
    EXPECT_EQ(timePlan(0, 60), inMs({{0, 0}}));
    // beyond 32 bits of milliseconds (25 days) the pieces go on
    const QList<Segment> long_ = timePlan(qint64(30) * 24 * 3600 * 1000, 3600);
    EXPECT_EQ(long_.size(), 30 * 24 + 1);
    EXPECT_EQ(long_.at(700), (Segment{qint64(700) * 3600000, qint64(701) * 3600000}));
}

TEST(TimePlan, CountsAPieceLengthBelowOneAsOne)
{
    EXPECT_EQ(timePlan(2000, 0), inMs({{0, 1}, {1, 2}, {2, 2}}));
    EXPECT_EQ(timePlan(2000, -5), timePlan(2000, 1));
}

TEST(CountPlan, MakesNPiecesAsEqualAsMillisecondsAllowAndCoversTheWholeFile)
{
    const QList<Segment> plan = countPlan(100000, 6);
    ASSERT_EQ(plan.size(), 6);
    EXPECT_EQ(plan.front(), (Segment{0, 16667}));
    EXPECT_EQ(plan.back(), (Segment{83333, 100000}));
    for (qsizetype k = 0; k < plan.size(); ++k) {
        const qint64 length = plan.at(k).End - plan.at(k).Begin;
        EXPECT_TRUE(length == 16666 || length == 16667) << k;
        if (k > 0) {
            EXPECT_EQ(plan.at(k).Begin, plan.at(k - 1).End);
        }
    }
    // 13.85 s into 4: nothing of the last 1.85 s is left out
    EXPECT_EQ(countPlan(13850, 4), (QList<Segment>{{0, 3463}, {3463, 6925}, {6925, 10388}, {10388, 13850}}));
    EXPECT_EQ(countPlan(100000, 0), inMs({{0, 100}}));
}

TEST(CountPlan, NeverMakesPiecesShorterThanASecond)
{
    EXPECT_EQ(countPlan(2000, 3), inMs({{0, 1}, {1, 2}}));
    EXPECT_EQ(countPlan(0, 6), inMs({{0, 0}}));
    // a hand-edited Korvex.ini: the plan stays as long as the file in seconds
    EXPECT_EQ(countPlan(3600000, 2000000000).size(), 3600);
    EXPECT_EQ(countPlan(3600000, 2000000000).back(), (Segment{3599000, 3600000}));
}

TEST(CountPlan, OfAnEntryRunsToItsMeasuredLength)
{
    listrecord entry = segmentedRecord(13, {{0, 13}});
    EXPECT_EQ(entryCountPlan(entry, 2), (QList<Segment>{{0, 6500}, {6500, 13000}}));
    entry.DurationMs = 13850;
    EXPECT_EQ(entryCountPlan(entry, 2), (QList<Segment>{{0, 6925}, {6925, 13850}}));
    // the last piece reaches the whole seconds, so the run takes it to the true end
    EXPECT_TRUE(withTrueEnds(numberedPieces(entryCountPlan(entry, 2)), entry).last().ToTrueEnd);
}

TEST(TrueEnds, TheLastPieceToReachTheDurationTakesTheFractionAfterIt)
{
    // 4.6 s in pieces of 2: [4, 4] takes the last 0.6 s, not [2, 4] as well
    const QList<PlannedPiece> time = withTrueEnds(numberedPieces(timePlan(4000, 2)), 4000);
    ASSERT_EQ(time.size(), 3);
    EXPECT_FALSE(time[0].ToTrueEnd);
    EXPECT_FALSE(time[1].ToTrueEnd);
    EXPECT_TRUE(time[2].ToTrueEnd);
    EXPECT_TRUE(withTrueEnds(numberedPieces(timePlan(5000, 2)), 5000).last().ToTrueEnd);
    // a whole-file piece and a segment marked to the end run on; others stop
    const QList<PlannedPiece> custom = withTrueEnds(numberedPieces(inMs({{0, 3}, {2, 9}, {0, 9}})), 9000);
    EXPECT_FALSE(custom[0].ToTrueEnd);
    EXPECT_TRUE(custom[1].ToTrueEnd);
    EXPECT_TRUE(custom[2].ToTrueEnd);
    // a piece ending a millisecond short of the whole seconds stops there
    EXPECT_FALSE(withTrueEnds(numberedPieces({{0, 8999}}), 9000).last().ToTrueEnd);
    // every count plan's last piece runs to the end
    EXPECT_TRUE(withTrueEnds(numberedPieces(countPlan(100000, 6)), 100000).last().ToTrueEnd);
}

TEST(CustomPlan, TakesConfirmedSegmentsOrTheOnlyPendingOne)
{
    EXPECT_EQ(customPlan(segmentedRecord(200, {{0, 200}})), inMs({{0, 200}}));
    const listrecord marked = segmentedRecord(200, {{10, 20}, {30, 60}, {0, 200}});
    EXPECT_EQ(customPlan(marked), inMs({{10, 20}, {30, 60}}));
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
    EXPECT_EQ(unificationPlan(first, 300000), inMs({{10, 50}, {100, 200}, {60, 70}}));
    // marked out of order: [60, 70] after [100, 200] still fits an 80 s entry
    EXPECT_EQ(unificationPlan(first, 80000), inMs({{10, 50}, {60, 70}}));
    EXPECT_EQ(unificationPlan(first, 100000), inMs({{10, 50}, {100, 100}, {60, 70}}));
    EXPECT_EQ(cutPiecesToDuration(customPlan(first), 80000),
              (QList<PlannedPiece>{{0, {10000, 50000}}, {2, {60000, 70000}}}));
    const QList<listrecord> jobs = {first, segmentedRecord(80, {{0, 80}})};
    Settings unified = inMode(split_mode::Unification);
    EXPECT_EQ(totalMarkedMs(jobs, unified), (40 + 100 + 10 + 40 + 10) * 1000);
}

TEST(SegmentPlanOfMode, PicksThePlanOfTheMode)
{
    const QList<listrecord> jobs = {segmentedRecord(300, {{10, 50}, {0, 300}}), segmentedRecord(130, {{0, 130}})};
    Settings settings = inMode(split_mode::Time);
    settings.SplitSeconds = 60;
    EXPECT_EQ(segmentPlan(jobs, 1, settings), timePlan(130000, 60));
    settings.SplitMode = split_mode::Count;
    settings.SplitCount = 2;
    EXPECT_EQ(segmentPlan(jobs, 1, settings), inMs({{0, 65}, {65, 130}}));
    settings.SplitMode = split_mode::Unification;
    EXPECT_EQ(segmentPlan(jobs, 1, settings), inMs({{10, 50}}));
    settings.SplitMode = split_mode::Custom;
    EXPECT_EQ(segmentPlan(jobs, 1, settings), inMs({{0, 130}}));
}

TEST(TotalMarkedTime, SumsEffectiveSegmentsInCustomMode)
{
    const QList<listrecord> jobs = {segmentedRecord(200, {{0, 200}}),
                                    segmentedRecord(100, {{10, 20}, {30, 60}, {0, 100}})};
    EXPECT_EQ(totalMarkedMs(jobs, inMode(split_mode::Custom)), 240000);
    EXPECT_EQ(totalMarkedMs({}, inMode(split_mode::Custom)), 0);
}

TEST(TotalMarkedTime, SumsDurationsInTimeAndCountMode)
{
    const QList<listrecord> jobs = {segmentedRecord(100, {{10, 20}, {0, 100}}), segmentedRecord(35, {{0, 35}})};
    EXPECT_EQ(totalMarkedMs(jobs, inMode(split_mode::Time)), 135000);
    EXPECT_EQ(totalMarkedMs(jobs, inMode(split_mode::Count)), 135000);
}

TEST(TotalMarkedTime, AppliesEntryZeroSegmentsToEveryEntryInUnificationMode)
{
    QList<listrecord> jobs = {segmentedRecord(300, {{10, 50}, {100, 200}, {0, 300}}),
                              segmentedRecord(80, {{5, 6}, {0, 80}})};
    EXPECT_EQ(totalMarkedMs(jobs, inMode(split_mode::Unification)), 180000);
    // A later segment that still fits is counted after one that did not.
    jobs[0] = segmentedRecord(300, {{100, 200}, {10, 50}, {0, 300}});
    EXPECT_EQ(totalMarkedMs(jobs, inMode(split_mode::Unification)), 180000);
    // Entry 0 with only its pending segment: that segment is the plan.
    jobs[0] = segmentedRecord(300, {{0, 300}});
    EXPECT_EQ(totalMarkedMs(jobs, inMode(split_mode::Unification)), 380000);
}
