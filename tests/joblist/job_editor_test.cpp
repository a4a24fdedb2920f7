#include "components/SkinFace.h"
#include "joblist/ListActivity.h"
#include "joblist/JobEditor.h"
#include "joblist/JobList.h"
#include "joblist/SegmentPlan.h"
#include "settings/Settings.h"
#include "support/SegmentedRecord.h"

#include <QSignalSpy>
#include <gtest/gtest.h>

using namespace korvex;

namespace {

class JobEditorTest : public ::testing::Test
{
protected:
    JobEditorTest()
    {
        QObject::connect(&editor, &JobEditor::stopPlaybackRequested, &editor, [this] {
            ++stops;
            player.Playing = false;
        });
    }

    // Appends an entry of `seconds` whose segments are `segments` (the last
    // pending), or one pending segment over the whole file.
    int add(int seconds, const QList<Segment> &segments = {})
    {
        const int n = jobs.rowCount();
        listrecord job = newListRecord(QStringLiteral("/music/%1.wma").arg(n), seconds * 1000LL,
                                       seconds * 44100LL, FileSeekRangeMinimum);
        if (!segments.isEmpty())
            test::setSegments(job, segments);
        return jobs.appendEntry({QString::number(n), QString(), QString()}, job);
    }

    void addAll(const QList<int> &seconds)
    {
        for (const int s : seconds)
            add(s);
    }

    void startPlaying(int row)
    {
        player.Playing = true;
        player.PlayerRow = row;
    }

    void click(int row)
    {
        jobs.selectFileRow(row);
        editor.lvClick();
    }

    // Captions of lv in row order: each entry's caption is its original row number.
    QStringList fileCaptions() const
    {
        QStringList captions;
        for (int row = 0; row < jobs.rowCount(); ++row)
            captions.append(jobs.fileModel()->row(row).caption);
        return captions;
    }

    QStringList segmentRows() const
    {
        QStringList rows;
        SegmentListModel *model = jobs.segmentModel();
        for (int row = 0; row < model->rowCount(); ++row) {
            const SegmentRow &r = model->row(row);
            rows.append(r.caption + QLatin1Char('|') + r.length + QLatin1Char('|') + r.status);
        }
        return rows;
    }

    QString total() const { return skin.text(QStringLiteral("tataltime")); }

    mutable JobList jobs;
    Settings settings;
    ListActivity activity;
    RunState &run = activity.run;
    PlayerState &player = activity.player;
    SkinFace skin;
    JobEditor editor{{jobs, settings, skin}, activity};
    int stops = 0;
};

} // namespace

TEST_F(JobEditorTest, ClickShowsTheEntryScalesTheSliderAndNamesTheFile)
{
    addAll({100, 180});
    QSignalSpy redraws(&skin, &SkinFace::redrawRequested);
    jobs.SegmentSelected = true;
    // the selection moving (arrow keys, a program) is followed as a click is,
    // once
    jobs.selectFileRow(1);
    EXPECT_FALSE(jobs.SegmentSelected);
    EXPECT_EQ(jobs.SelectedFileRow, 1);
    EXPECT_EQ(segmentRows(), QStringList{QStringLiteral("00:00:00 - 00:03:00|00:03:00|Uncertain")});
    EXPECT_EQ(skin.rangeEnd(QStringLiteral("pb")), 1084);
    EXPECT_EQ(skin.thumbSize(QStringLiteral("pb")), 51);
    EXPECT_EQ(player.PlayPositionMax, 1033);
    EXPECT_EQ(skin.text(QStringLiteral("nm")), QStringLiteral("/music/1.wma"));
    EXPECT_EQ(skin.text(QStringLiteral("timecaption")), QStringLiteral("00:00:00"));
    QStringList redrawn;
    for (const QList<QVariant> &call : redraws)
        redrawn.append(call.at(0).toString());
    EXPECT_EQ(redrawn, (QStringList{QStringLiteral("pb"), QStringLiteral("timecaption"), QStringLiteral("nm")}));
    EXPECT_FALSE(jobs.memoVisible());
}

TEST_F(JobEditorTest, PositionCaptionScalesTheSliderToTheDuration)
{
    add(600);
    click(0);
    EXPECT_EQ(skin.thumbSize(QStringLiteral("pb")), 57);
    skin.setPosition(QStringLiteral("pb"), 571);
    editor.lvClick();
    EXPECT_EQ(player.PlayPosition, 571);
    EXPECT_EQ(skin.text(QStringLiteral("timecaption")), QStringLiteral("00:05:00"));
    EXPECT_EQ(player.PositionText, QStringLiteral("00:05:00"));
}

TEST_F(JobEditorTest, ClickWithoutSelectionRestoresTheLastSelectedRow)
{
    addAll({10, 20, 30});
    jobs.SelectedFileRow = 9;
    editor.lvClick();
    EXPECT_EQ(jobs.selectedFileRow(), 2);
    EXPECT_EQ(jobs.SelectedFileRow, 2);
}

TEST_F(JobEditorTest, SelectionSnapsBackDuringARunAndDuringPlayback)
{
    addAll({10, 20, 30});
    click(1);
    run.Converting = true;
    click(2);
    EXPECT_EQ(jobs.selectedFileRow(), 1);
    run.Converting = false;

    startPlaying(0);
    click(2);
    EXPECT_EQ(jobs.selectedFileRow(), 0);
    // The view still shows the entry of the last click that went through.
    EXPECT_EQ(segmentRows().front(), QStringLiteral("00:00:00 - 00:00:20|00:00:20|Uncertain"));
}

TEST_F(JobEditorTest, ViewsShowThePlanOfTheMode)
{
    add(300, {{10, 50}, {100, 200}, {65, 0}});
    addAll({150, 100});
    click(0);
    EXPECT_EQ(segmentRows(), (QStringList{QStringLiteral("00:00:10 - 00:00:50|00:00:40|OK"),
                                          QStringLiteral("00:01:40 - 00:03:20|00:01:40|OK"),
                                          QStringLiteral("00:01:05 - 00:00:00|00:-01:-05|Uncertain")}));
    settings.SplitMode = split_mode::Time;
    click(1);
    EXPECT_EQ(segmentRows(), (QStringList{QStringLiteral("00:00:00 - 00:01:00|00:01:00|Unconvert"),
                                          QStringLiteral("00:01:00 - 00:02:00|00:01:00|Unconvert"),
                                          QStringLiteral("00:02:00 - 00:02:30|00:00:30|Unconvert")}));
    settings.SplitMode = split_mode::Count;
    click(2);
    ASSERT_EQ(segmentRows().size(), 6);
    // six pieces over the whole 100 s, none left out at the end
    EXPECT_EQ(segmentRows().front(), QStringLiteral("00:00:00 - 00:00:16.667|00:00:16.667|Unconvert"));
    EXPECT_EQ(segmentRows().back(), QStringLiteral("00:01:23.333 - 00:01:40|00:00:16.667|Unconvert"));

    settings.SplitMode = split_mode::Unification;
    skin.setPosition(QStringLiteral("pb"), 1033);
    click(2);
    EXPECT_EQ(segmentRows().size(), 3);
    EXPECT_EQ(segmentRows().front(), QStringLiteral("00:00:10 - 00:00:50|00:00:40|OK"));
    // The knob stands in the current entry's file (100 s), whoever's segments
    // the list shows, and the clock says where.
    EXPECT_EQ(skin.text(QStringLiteral("timecaption")), QStringLiteral("00:01:40"));
}

TEST_F(JobEditorTest, MovesTheSelectedEntryAndEverythingThatFollowsIt)
{
    addAll({10, 20, 30});
    QSignalSpy focus(&editor, &JobEditor::fileListFocusRequested);
    click(0);
    editor.MoveUp();
    click(2);
    editor.MoveDown();
    EXPECT_EQ(fileCaptions(), (QStringList{QStringLiteral("0"), QStringLiteral("1"), QStringLiteral("2")}));
    EXPECT_EQ(focus.count(), 0);

    player.PlayerRow = 1;
    click(1);
    editor.MoveDown();
    EXPECT_EQ(fileCaptions(), (QStringList{QStringLiteral("0"), QStringLiteral("2"), QStringLiteral("1")}));
    EXPECT_EQ(jobs.JobRecords().at(2).Duration, 20);
    EXPECT_EQ(jobs.selectedFileRow(), 2);
    EXPECT_EQ(jobs.SelectedFileRow, 2);
    EXPECT_EQ(player.PlayerRow, 2);
    EXPECT_EQ(focus.count(), 1);

    // The playing entry is the neighbour: it follows its entry too.
    player.PlayerRow = 1;
    editor.MoveUp();
    EXPECT_EQ(fileCaptions(), (QStringList{QStringLiteral("0"), QStringLiteral("1"), QStringLiteral("2")}));
    EXPECT_EQ(player.PlayerRow, 2);
    EXPECT_EQ(jobs.fileModel()->row(player.PlayerRow).caption, QStringLiteral("2"));
}

TEST_F(JobEditorTest, ListCommandsWaitForRunsAndAdds)
{
    add(10, {{1, 2}, {0, 10}});
    add(20);
    click(1);
    run.Converting = true;
    editor.MoveUp();
    editor.RemoveFile();
    editor.ClearJob();
    run.Converting = false;
    {
        JobList::AddingScope adding(jobs);
        editor.MoveUp();
        editor.RemoveFile();
        editor.ClearJob();
        jobs.selectFileRow(0);
        jobs.SelectedFileRow = 0;
        editor.ClearSegments();
    }
    EXPECT_EQ(fileCaptions(), (QStringList{QStringLiteral("0"), QStringLiteral("1")}));
    EXPECT_EQ(jobs.JobRecords().at(0).Count, 2);
}

TEST_F(JobEditorTest, RemovingAFileSelectsByTheRules)
{
    addAll({10, 20, 30, 40, 50});
    click(2);
    editor.RemoveFile();
    EXPECT_EQ(jobs.selectedFileRow(), 2);
    EXPECT_EQ(jobs.fileModel()->row(2).caption, QStringLiteral("3"));
    EXPECT_EQ(segmentRows(), QStringList{QStringLiteral("00:00:00 - 00:00:40|00:00:40|Uncertain")});
    EXPECT_EQ(fileCaptions(), (QStringList{QStringLiteral("0"), QStringLiteral("1"), QStringLiteral("3"),
                                           QStringLiteral("4")}));
    EXPECT_EQ(jobs.JobRecords().at(2).Duration, 40);

    click(3);
    editor.RemoveFile();
    EXPECT_EQ(jobs.selectedFileRow(), 0);

    click(1);
    editor.RemoveFile();
    EXPECT_EQ(fileCaptions(), (QStringList{QStringLiteral("0"), QStringLiteral("3")}));
    EXPECT_EQ(jobs.selectedFileRow(), 0);
    EXPECT_EQ(total(), QStringLiteral("00:00:50"));
}

TEST_F(JobEditorTest, RemovingTheOnlyFileEmptiesBothListsAndShowsTheMemo)
{
    add(10);
    click(0);
    editor.RemoveFile();
    EXPECT_EQ(jobs.rowCount(), 0);
    EXPECT_EQ(jobs.segmentModel()->rowCount(), 0);
    EXPECT_TRUE(jobs.memoVisible());
    EXPECT_EQ(total(), QStringLiteral("00:00:00"));
    editor.RemoveFile();
    EXPECT_EQ(jobs.rowCount(), 0);
}

TEST_F(JobEditorTest, RemovingThePlayingFileStopsThePlayer)
{
    addAll({10, 20, 30});
    click(1);
    startPlaying(1);
    editor.RemoveFile();
    EXPECT_EQ(stops, 1);
    EXPECT_FALSE(player.Playing);
    EXPECT_LT(player.PlayerRow, jobs.rowCount());
}

TEST_F(JobEditorTest, RemovingARowBeforeThePlayingOneKeepsThePlayerOnItsEntry)
{
    addAll({10, 20, 30, 40});
    click(0);
    startPlaying(2);
    editor.RemoveFile();
    EXPECT_EQ(stops, 0);
    EXPECT_EQ(player.PlayerRow, 1);
    EXPECT_EQ(jobs.fileModel()->row(player.PlayerRow).caption, QStringLiteral("2"));
    // Playback goes on, so the selection stays on the entry being played.
    EXPECT_EQ(jobs.selectedFileRow(), 1);
}

TEST_F(JobEditorTest, ClearingTheJobEmptiesEverythingAndStopsThePlayer)
{
    addAll({10, 20});
    click(1);
    startPlaying(1);
    editor.ClearJob();
    EXPECT_EQ(stops, 1);
    EXPECT_EQ(player.PlayerRow, 0);
    EXPECT_EQ(jobs.rowCount(), 0);
    EXPECT_TRUE(jobs.JobRecords().isEmpty());
    EXPECT_TRUE(jobs.TagRecords().isEmpty());
    EXPECT_EQ(jobs.segmentModel()->rowCount(), 0);
    EXPECT_TRUE(jobs.memoVisible());
    EXPECT_EQ(total(), QStringLiteral("00:00:00"));
}

TEST_F(JobEditorTest, ClearingSegmentsLeavesOnePendingSegmentOverTheFile)
{
    add(100);
    add(200, {{10, 20}, {30, 60}, {0, 200}});
    click(1);
    editor.ShowTotalTime();
    EXPECT_EQ(total(), QStringLiteral("00:02:20"));
    jobs.SegmentSelected = true;
    editor.ClearSegments();
    EXPECT_EQ(segmentRows(), QStringList{QStringLiteral("00:00:00 - 00:03:20|00:03:20|Uncertain")});
    const listrecord &entry = jobs.JobRecords().at(1);
    EXPECT_EQ(entry.Count, 1);
    EXPECT_EQ(entry.BeginTime, QList<qint64>{0});
    EXPECT_EQ(entry.EndTime, QList<qint64>{200000});
    EXPECT_FALSE(jobs.SegmentSelected);
    EXPECT_EQ(total(), QStringLiteral("00:05:00"));

    jobs.fileSelection()->clear();
    jobs.job(0).Count = 2;
    editor.ClearSegments();
    EXPECT_EQ(jobs.JobRecords().at(0).Count, 2);
}

TEST_F(JobEditorTest, ClearingTheSegmentsBeingPlayedStopsThePlayer)
{
    add(100, {{10, 20}, {0, 100}});
    add(200);
    settings.SplitMode = split_mode::Unification;
    click(0);
    startPlaying(1);
    editor.ClearSegments();
    EXPECT_EQ(stops, 1);
}

TEST_F(JobEditorTest, TotalFollowsTheMode)
{
    add(200);
    add(100, {{10, 20}, {30, 60}, {0, 100}});
    editor.ShowTotalTime();
    EXPECT_EQ(total(), QStringLiteral("00:04:00"));
    settings.SplitMode = split_mode::Time;
    editor.ShowTotalTime();
    EXPECT_EQ(total(), QStringLiteral("00:05:00"));

    jobs.clear();
    add(300, {{10, 50}, {100, 200}, {0, 300}});
    add(80);
    settings.SplitMode = split_mode::Unification;
    QSignalSpy redraws(&skin, &SkinFace::redrawRequested);
    editor.ShowTotalTime();
    EXPECT_EQ(total(), QStringLiteral("00:03:00"));
    ASSERT_EQ(redraws.count(), 1);
    EXPECT_EQ(redraws.at(0).at(0).toString(), QStringLiteral("tataltime"));
}
