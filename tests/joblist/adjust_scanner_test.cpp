// The worker that moves a plan's cuts into pauses for the segment list and
// the runs.

#include "joblist/AdjustScanner.h"
#include "support/TempDir.h"
#include "support/TonesAndPauses.h"

#include <QFile>
#include <QSignalSpy>
#include <gtest/gtest.h>

#include <cstdlib>

using namespace korvex;
using namespace korvex::test;

namespace {

const QList<Segment> FivePieces = {{0, 5000}, {5000, 10000}, {10000, 15000}, {15000, 20000}, {20000, 25000}};

SilenceSettings adjustWithin(qint64 ms)
{
    SilenceSettings silence;
    silence.AdjustMs = ms;
    return silence;
}

// The cuts between the pieces.
QList<qint64> cutsOf(const QList<Segment> &plan)
{
    QList<qint64> cuts;
    for (qsizetype k = 1; k < plan.size(); ++k)
        cuts.append(plan.at(k).Begin);
    return cuts;
}

void expectCutsNear(const QList<Segment> &plan, const QList<qint64> &expected)
{
    const QList<qint64> cuts = cutsOf(plan);
    ASSERT_EQ(cuts.size(), expected.size());
    for (qsizetype k = 0; k < cuts.size(); ++k)
        EXPECT_LE(std::llabs(cuts.at(k) - expected.at(k)), 60) << "cut " << k << " at " << cuts.at(k);
}

TEST(AdjustScannerTest, AScanReportsItsPlanAndAnAbandonedOneIsScannedAgainForWhoWaits)
{
    TestFolder folder;
    const QString path = folder.file(QStringLiteral("talk.flac"));
    writeTonesOverFloor(path, 25.0, fiveTonesWithPauses());  // pauses' middles at 4, 9, 14, 19 s
    const AdjustRequest request = AdjustRequest::of(path, FivePieces, adjustWithin(2000));
    AdjustScanner scanner;
    QSignalSpy reports(&scanner, &AdjustScanner::scanFinished);
    scanner.start(request);
    ASSERT_TRUE(reports.wait(60000));
    const std::optional<MovedPlan> moved = scanner.finished(request);
    ASSERT_TRUE(moved.has_value());
    EXPECT_TRUE(moved->failure.isEmpty()) << moved->failure.toStdString();
    expectCutsNear(moved->plan, {4000, 9000, 14000, 19000});
    EXPECT_EQ(moved->plan.front().Begin, 0);
    EXPECT_EQ(moved->plan.back().End, 25000);

    // another reach is another request; abandoned before its scan reports,
    // a waiter has it scanned all the same
    const AdjustRequest shortReach = AdjustRequest::of(path, FivePieces, adjustWithin(500));
    EXPECT_FALSE(scanner.finished(shortReach).has_value());
    scanner.start(shortReach);
    scanner.abandon();
    const MovedPlan stays = scanner.wait(shortReach);
    EXPECT_EQ(stays.plan, FivePieces) << "no pause middle lies within 0.5 s of a cut";
    EXPECT_FALSE(scanner.finished(request).has_value()) << "only the last result is kept";

    // the same path and plan over a file rewritten since is scanned anew
    writeTonesOverFloor(path, 25.0, fiveTonesWithPauses(0.5));
    const AdjustRequest rewritten = AdjustRequest::of(path, FivePieces, adjustWithin(2000));
    ASSERT_NE(rewritten, request) << "the file's size or time tells it changed";
    expectCutsNear(scanner.wait(rewritten).plan, {4500, 9500, 14500, 19500});
}

TEST(AdjustScannerTest, AFileThatCannotBeReadKeepsItsPlanAndSaysWhy)
{
    TestFolder folder;
    const QString path = folder.file(QStringLiteral("notes.mp3"));
    QFile text(path);
    ASSERT_TRUE(text.open(QIODevice::WriteOnly));
    text.write("not audio at all\n");
    text.close();
    AdjustScanner scanner;
    const MovedPlan result = scanner.wait(AdjustRequest::of(path, FivePieces, adjustWithin(2000)));
    EXPECT_EQ(result.plan, FivePieces);
    EXPECT_TRUE(result.failure.contains(QStringLiteral("notes.mp3"))) << result.failure.toStdString();
}

} // namespace
