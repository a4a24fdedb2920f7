#include "components/SkinFace.h"
#include "engine/EngineFixture.h"
#include "engine/RunProgress.h"
#include "engine/RunReportApplier.h"
#include "joblist/JobEditor.h"
#include "joblist/JobList.h"
#include "joblist/SegmentRows.h"
#include "joblist/StatusWords.h"

using namespace korvex;
using namespace korvex::test;

namespace {

// What a run reports reaches the list through RunReportApplier. Reports are
// made while the list may change under them (and later cross threads), so
// one for an entry or a row the list no longer has must leave it alone.
class RunReportsTest : public EngineTest
{
protected:
    RunReportsTest()
    {
        settings().SplitMode = split_mode::Time;
        settings().SplitSeconds = 2;
        add({makeTone(QStringLiteral("first.wav"), 5.0), makeTone(QStringLiteral("second.wav"), 3.0)});
        bench().editor().lvClick();
    }
    RunReportApplier m_applier{bench().context()};
};

TEST_F(RunReportsTest, AnEntryReportSelectsTheEntryAndNamesItsFile)
{
    m_applier.entryStarted(1);
    EXPECT_EQ(bench().jobs().SelectedFileRow, 1);
    EXPECT_EQ(bench().jobs().selectedFileRow(), 1);
    EXPECT_EQ(bench().skin().text(skin_object::PathText), bench().jobs().job(1).FileName);

    m_applier.entryStarted(0);
    EXPECT_EQ(bench().jobs().selectedFileRow(), 0);
    EXPECT_EQ(bench().skin().text(skin_object::PathText), bench().jobs().job(0).FileName);
}

TEST_F(RunReportsTest, ARowStatusReachesOnlyItsRow)
{
    const QStringList before = statuses();
    ASSERT_EQ(before.size(), 3);
    m_applier.rowStatus(1, status_word::Converting);
    QStringList expected = before;
    expected[1] = status_word::Converting;
    EXPECT_EQ(statuses(), expected);
    m_applier.rowStatus(1, status_word::Finish);
    expected[1] = status_word::Finish;
    EXPECT_EQ(statuses(), expected);
}

TEST_F(RunReportsTest, AReportForAnEntryOrRowTheListNoLongerHasChangesNothing)
{
    m_applier.entryStarted(1);
    const QStringList shown = statuses();
    for (const int row : {-1, 3, 7})
        m_applier.rowStatus(row, status_word::Finish);
    EXPECT_EQ(statuses(), shown);

    for (const int row : {-1, 2, 9}) {
        m_applier.entryStarted(row);
        m_applier.segmentsFound(row, {{0, 1000}});
    }
    EXPECT_EQ(bench().jobs().job(1).Count, 1);
    EXPECT_EQ(bench().jobs().SelectedFileRow, 1);
    EXPECT_EQ(bench().jobs().selectedFileRow(), 1);
    EXPECT_EQ(bench().skin().text(skin_object::PathText), bench().jobs().job(1).FileName);
}

// A run shows its own rows; the position clock follows the entry it names,
// and one the list no longer has changes nothing.
TEST_F(RunReportsTest, ShownRowsReplaceTheListUnlessTheirEntryIsGone)
{
    const QList<SegmentRow> rows{makeSegmentRow(0, 1500, status_word::Unconvert),
                                 makeSegmentRow(1500, 3000, status_word::Converting)};
    m_applier.rowsShown(-1, rows);
    EXPECT_EQ(statuses(), (QStringList{status_word::Unconvert, status_word::Converting}));
    EXPECT_EQ(bench().jobs().segmentModel()->row(1), rows.at(1));

    m_applier.rowsShown(2, {makeSegmentRow(0, 500, status_word::OK)});
    EXPECT_EQ(statuses(), (QStringList{status_word::Unconvert, status_word::Converting}));

    m_applier.rowsShown(1, markedRows(bench().jobs().job(1)));
    EXPECT_EQ(statuses(), QStringList{status_word::Uncertain});
}

// Custom and unification runs leave the pending segment out; a split hides
// it from the entry's plan until the run is over, a join only from the view.
TEST_F(RunReportsTest, APendingSegmentSetAsideIsGivenBackOnceAndOnlyToItsEntry)
{
    settings().SplitMode = split_mode::Custom;
    listrecord &entry = bench().jobs().job(0);
    entry.BeginTime = {0, 1000, 3000};
    entry.EndTime = {1000, 2000, 5000};
    entry.Count = 3;
    bench().editor().segmentView().showCustom(0);
    ASSERT_EQ(statuses().size(), 3);

    m_applier.pendingSetAside(0, true);
    EXPECT_EQ(statuses().size(), 2);
    EXPECT_EQ(bench().jobs().job(0).Count, 2);
    m_applier.pendingSetAside(2, true);  // no such entry
    EXPECT_EQ(statuses().size(), 2);
    m_applier.givePendingBack();
    m_applier.givePendingBack();
    EXPECT_EQ(bench().jobs().job(0).Count, 3);

    bench().editor().segmentView().showCustom(0);
    m_applier.pendingSetAside(0, false);
    EXPECT_EQ(statuses().size(), 2);
    EXPECT_EQ(bench().jobs().job(0).Count, 3);

    // an entry with only its pending segment keeps it, marked as converted
    bench().editor().segmentView().showCustom(1);
    ASSERT_EQ(statuses().size(), 1);
    m_applier.pendingSetAside(1, true);
    EXPECT_EQ(statuses(), QStringList{status_word::OK});
    m_applier.givePendingBack();
    EXPECT_EQ(bench().jobs().job(1).Count, 1);
}

// Progress crosses as numbers; the face is drawn when a report is applied,
// with the skin flag as it is then.
TEST_F(RunReportsTest, ProgressReportsDrawThePercentageTheBarsAndThePieceLine)
{
    bench().skin().setRect(skin_object::Bar, QRect(10, 20, 335, 8));
    bench().skin().setRect(skin_object::RunBar, QRect(10, 40, 200, 2));
    bench().progress().bind();

    m_applier.pieceProgress(5000);
    m_applier.runProgress(2500, QStringLiteral("piece 2 of 4"));
    EXPECT_EQ(bench().skin().text(skin_object::PercentText), QStringLiteral("50%"));
    EXPECT_EQ(bench().skin().rect(skin_object::Bar).width(), 168);
    EXPECT_EQ(bench().skin().rect(skin_object::RunBar).width(), 50);
    EXPECT_EQ(bench().skin().text(skin_object::RunPieceText), QStringLiteral("piece 2 of 4"));

    m_applier.pieceProgress(10100);
    EXPECT_EQ(bench().skin().rect(skin_object::Bar).width(), 168);
    settings().SkinFlag = true;
    m_applier.pieceProgress(10100);
    EXPECT_EQ(bench().skin().rect(skin_object::Bar).width(), 338);

    m_applier.progressCleared();
    m_applier.runProgress(0, QString());
    EXPECT_EQ(bench().skin().text(skin_object::PercentText), QString());
    EXPECT_EQ(bench().skin().rect(skin_object::Bar).width(), 0);
    EXPECT_EQ(bench().skin().rect(skin_object::RunBar).width(), 0);
    EXPECT_EQ(bench().skin().text(skin_object::RunPieceText), QString());
}

// What a split's progress works out, without any face to draw it on.
class RecordedProgress final : public ProgressReports
{
public:
    void pieceProgress(int value) override { lines.append(QStringLiteral("piece %1").arg(value)); }
    void runProgress(int value, const QString &text) override
    {
        lines.append(QStringLiteral("run %1 %2").arg(value).arg(text).trimmed());
    }
    void progressCleared() override { lines.append(QStringLiteral("cleared")); }
    QStringList lines;
};

TEST(RunProgressReports, ASplitCountsItsLineByAudioTimeAndTakesInAPieceItDidNotPlan)
{
    RecordedProgress reports;
    RunProgress progress(reports);
    progress.startRun(2, 4000);
    progress.startPiece(1000);
    progress.showFrames(50, 100);
    progress.startPiece(3000);
    progress.showFrames(100, 100);
    // a setting changed during the run brings a third piece
    progress.startPiece(1000);
    progress.endRun();
    progress.showFrames(1, 4);
    progress.clear();
    EXPECT_EQ(reports.lines, QStringList({QStringLiteral("run 0 piece 1 of 2"), QStringLiteral("piece 5000"),
                                          QStringLiteral("run 1250 piece 1 of 2"), QStringLiteral("run 2500 piece 2 of 2"),
                                          QStringLiteral("piece 10000"), QStringLiteral("run 10000 piece 2 of 2"),
                                          QStringLiteral("run 8000 piece 3 of 3"), QStringLiteral("run 0"),
                                          QStringLiteral("piece 2500"), QStringLiteral("cleared")}));
}

} // namespace
