#include "components/SkinFace.h"
#include "engine/EngineFixture.h"
#include "engine/RunReportApplier.h"
#include "joblist/JobList.h"
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

    for (const int row : {-1, 2, 9})
        m_applier.entryStarted(row);
    EXPECT_EQ(bench().jobs().SelectedFileRow, 1);
    EXPECT_EQ(bench().jobs().selectedFileRow(), 1);
    EXPECT_EQ(bench().skin().text(skin_object::PathText), bench().jobs().job(1).FileName);
}

} // namespace
