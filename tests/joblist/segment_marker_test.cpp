#include "components/SkinFace.h"
#include "joblist/ListActivity.h"
#include "joblist/JobEditor.h"
#include "joblist/JobList.h"
#include "joblist/SegmentMarker.h"
#include "joblist/SegmentPlan.h"
#include "joblist/StatusWords.h"
#include "settings/Settings.h"
#include "support/RecordingSeams.h"
#include "support/SegmentedRecord.h"

#include <gtest/gtest.h>

using namespace korvex;
using korvex::test::inMs;

namespace {

class SegmentMarkerTest : public ::testing::Test
{
protected:
    SegmentMarkerTest()
    {
        QObject::connect(&marker, &SegmentMarker::stopPlaybackRequested, &marker, [this] {
            ++stops;
            // as the player does: the played row gets its own word back
            if (jobs.segmentModel()->status(player.PlayerSegment) == status_word::Playing)
                jobs.segmentModel()->setStatus(player.PlayerSegment, player.SavedStatus);
            player.Playing = false;
        });
    }

    int add(int seconds, const QList<Segment> &segments = {})
    {
        listrecord job = newListRecord(QStringLiteral("/music/%1.wma").arg(jobs.rowCount()), seconds * 1000LL,
                                       seconds * 44100LL, FileSeekRangeMinimum);
        if (!segments.isEmpty())
            test::setSegments(job, segments);
        return jobs.appendEntry({QString::number(jobs.rowCount()), QString(), QString()}, job);
    }
    void clickFile(int row)
    {
        jobs.selectFileRow(row);
        editor.lvClick();
    }
    void clickSegment(int row)
    {
        jobs.selectSegmentRow(row);
        marker.lv_timeClick();
    }
    // The slider at the time `seconds` of the current entry.
    void slideTo(int seconds, int duration)
    {
        const int max = skin.maxPosition(QStringLiteral("pb"));
        skin.setPosition(QStringLiteral("pb"), (seconds * max + duration / 2) / duration);
    }
    QStringList rows() const
    {
        QStringList texts;
        SegmentListModel *model = jobs.segmentModel();
        for (int row = 0; row < model->rowCount(); ++row) {
            const SegmentRow &r = model->row(row);
            texts.append(r.caption + QLatin1Char('|') + r.length + QLatin1Char('|') + r.status);
        }
        return texts;
    }
    QList<Segment> segmentsOf(int row) const
    {
        const listrecord &job = jobs.JobRecords().at(row);
        QList<Segment> all;
        for (int k = 0; k < job.Count; ++k)
            all.append({job.BeginTime.at(k), job.EndTime.at(k)});
        return all;
    }
    QString total() const { return skin.text(QStringLiteral("tataltime")); }
    QStringList &errors() { return seams.messages.errors; }

    test::RecordingSeams seams;
    mutable JobList jobs;
    Settings settings;
    ListActivity activity;
    RunState &run = activity.run;
    PlayerState &player = activity.player;
    SkinFace skin;
    JobEditor editor{{jobs, settings, skin}, activity};
    SegmentMarker marker{editor, seams.messages};
    int stops = 0;
};

TEST_F(SegmentMarkerTest, BeginAtTheMiddleOfAThreeMinuteFileAndOk)
{
    add(180);
    clickFile(0);
    skin.setPosition(QStringLiteral("pb"), 516);  // the middle of 0 … 1033
    marker.MarkBegin();
    EXPECT_EQ(player.PlayPosition, 516);
    EXPECT_EQ(rows(), QStringList{"00:01:30 - 00:03:00|00:01:30|Uncertain"});
    EXPECT_EQ(total(), "00:01:30");
    marker.ConfirmSegment();
    EXPECT_EQ(rows(), (QStringList{"00:01:30 - 00:03:00|00:01:30|Ok", "00:00:00 - 00:03:00|00:03:00|Uncertain"}));
    EXPECT_EQ(segmentsOf(0), inMs({{90, 180}, {0, 180}}));
    EXPECT_EQ(total(), "00:01:30");
    EXPECT_TRUE(errors().isEmpty());
    // the view built anew says "OK" for what OK confirmed
    clickFile(0);
    EXPECT_EQ(rows(), (QStringList{"00:01:30 - 00:03:00|00:01:30|OK", "00:00:00 - 00:03:00|00:03:00|Uncertain"}));
}

TEST_F(SegmentMarkerTest, BeginAfterEndShowsNoLengthAndOkRefusesIt)
{
    add(180);
    clickFile(0);
    slideTo(120, 180);
    marker.MarkBegin();
    slideTo(60, 180);
    marker.MarkEnd();
    EXPECT_EQ(rows(), QStringList{"00:02:00 - 00:01:00|00:00:00|Uncertain"});
    marker.ConfirmSegment();
    EXPECT_EQ(errors(), QStringList{"Start-time must not be larger than end-time."});
    EXPECT_EQ(rows(), QStringList{"00:02:00 - 00:01:00|00:00:00|Uncertain"});
    EXPECT_EQ(jobs.JobRecords().at(0).Count, 1);
    // in either order and as often as wanted: End again puts it right
    slideTo(150, 180);
    marker.MarkEnd();
    marker.ConfirmSegment();
    EXPECT_EQ(segmentsOf(0), inMs({{120, 150}, {0, 180}}));
}

TEST_F(SegmentMarkerTest, ASegmentOfNoLengthIsAccepted)
{
    add(180);
    clickFile(0);
    slideTo(45, 180);
    marker.MarkBegin();
    marker.MarkEnd();
    marker.ConfirmSegment();
    EXPECT_TRUE(errors().isEmpty());
    EXPECT_EQ(rows().first(), "00:00:45 - 00:00:45|00:00:00|Ok");
    EXPECT_EQ(jobs.JobRecords().at(0).Count, 2);
}

TEST_F(SegmentMarkerTest, UnificationMarksTheFirstEntryWhicheverIsSelected)
{
    add(300);
    add(120);
    settings.SplitMode = split_mode::Unification;
    clickFile(1);  // the slider is scaled to the second entry
    skin.setPosition(QStringLiteral("pb"), skin.maxPosition(QStringLiteral("pb")) / 2);
    marker.MarkBegin();
    marker.ConfirmSegment();
    // the time the slider stands for in the selected file (half of its 120
    // seconds, as the clock shows), given to entry 0's segments
    EXPECT_EQ(segmentsOf(0), inMs({{60, 300}, {0, 300}}));
    EXPECT_EQ(segmentsOf(1), inMs({{0, 120}}));
    EXPECT_EQ(rows(), (QStringList{"00:01:00 - 00:05:00|00:04:00|Ok", "00:00:00 - 00:05:00|00:05:00|Uncertain"}));
    clickFile(1);
    EXPECT_EQ(rows().size(), 2);  // still entry 0's segments
}

TEST_F(SegmentMarkerTest, RemovingTheFirstOfThreeConfirmedSegments)
{
    add(300, {{10, 20}, {30, 40}, {50, 60}, {0, 300}});
    clickFile(0);
    clickSegment(0);
    EXPECT_TRUE(jobs.SegmentSelected);
    marker.RemoveSegment();
    EXPECT_EQ(segmentsOf(0), inMs({{30, 40}, {50, 60}, {0, 300}}));
    EXPECT_EQ(jobs.JobRecords().at(0).Count, 3);
    EXPECT_EQ(rows(), (QStringList{"00:00:30 - 00:00:40|00:00:10|OK", "00:00:50 - 00:01:00|00:00:10|OK",
                                   "00:00:00 - 00:05:00|00:05:00|Uncertain"}));
    EXPECT_EQ(jobs.selectedSegmentRow(), 0);
    EXPECT_EQ(total(), "00:00:20");
    // removing the last confirmed one selects the row that took its place
    clickSegment(1);
    marker.RemoveSegment();
    EXPECT_EQ(jobs.selectedSegmentRow(), 1);
    EXPECT_EQ(jobs.segmentModel()->status(1), status_word::Uncertain);
}

TEST_F(SegmentMarkerTest, SegmentTitlesStayWithTheirSegmentsThroughRemoveOkAndClear)
{
    add(300, {{10, 20}, {30, 40}, {50, 60}, {0, 300}});
    jobs.job(0).OwnTags = {{QStringLiteral("One"), QStringLiteral("A")}, {QStringLiteral("Two"), QString()},
                           {QStringLiteral("Three"), QStringLiteral("C")}};
    const auto titles = [this] {
        QStringList texts;
        for (const SegmentTags &own : jobs.JobRecords().at(0).OwnTags)
            texts.append(own.Title + QLatin1Char('/') + own.Artist);
        return texts;
    };
    clickFile(0);
    clickSegment(1);
    marker.RemoveSegment();
    EXPECT_EQ(titles(), (QStringList{"One/A", "Three/C"}));
    // the new pending segment after Ok has no title of its own
    clickSegment(2);
    slideTo(100, 300);
    marker.MarkBegin();
    marker.ConfirmSegment();
    EXPECT_EQ(jobs.JobRecords().at(0).Count, 4);
    EXPECT_EQ(titles(), (QStringList{"One/A", "Three/C"}));
    clickSegment(0);
    marker.RemoveSegment();
    EXPECT_EQ(titles(), QStringList{"Three/C"});
    // a removed segment past the titled ones leaves the titles as they are
    clickSegment(1);
    marker.RemoveSegment();
    EXPECT_EQ(titles(), QStringList{"Three/C"});
    editor.ClearSegments();
    EXPECT_TRUE(titles().isEmpty());
}

TEST_F(SegmentMarkerTest, ThePendingRowCannotBeRemoved)
{
    add(300, {{10, 20}, {0, 300}});
    clickFile(0);
    clickSegment(1);
    marker.RemoveSegment();
    EXPECT_EQ(errors(), QStringList{"This item, the procedure will automatically process. Need not delete."});
    EXPECT_EQ(segmentsOf(0), inMs({{10, 20}, {0, 300}}));
    EXPECT_EQ(rows().size(), 2);
}

TEST_F(SegmentMarkerTest, TimeAndCountModeRefuseMarkingAndIgnoreRemove)
{
    add(300, {{10, 20}, {0, 300}});
    clickFile(0);
    for (const int mode : {split_mode::Time, split_mode::Count}) {
        settings.SplitMode = mode;
        errors().clear();
        marker.MarkBegin();
        marker.MarkEnd();
        marker.ConfirmSegment();
        const QString refusal = "Only chose \"Custom\" or \"unification\" function, this button is usable.";
        EXPECT_EQ(errors(), QStringList({refusal, refusal, refusal}));
        clickSegment(0);
        marker.RemoveSegment();
        EXPECT_EQ(errors().size(), 3);
        EXPECT_EQ(segmentsOf(0), inMs({{10, 20}, {0, 300}}));
    }
}

TEST_F(SegmentMarkerTest, GuardsLeaveEverythingAsItWas)
{
    add(300, {{10, 20}, {0, 300}});
    clickFile(0);
    slideTo(100, 300);
    run.Converting = true;
    marker.MarkBegin();
    marker.ConfirmSegment();
    clickSegment(0);
    marker.RemoveSegment();
    run.Converting = false;
    jobs.fileSelection()->clear();
    marker.MarkBegin();
    EXPECT_EQ(segmentsOf(0), inMs({{10, 20}, {0, 300}}));
    EXPECT_TRUE(errors().isEmpty());

    // the list still shows the time mode's pieces (the mode changed while a
    // segment played): no row of it is a segment of the entry, and while the
    // segment plays Begin and OK say why they do nothing
    jobs.selectFileRow(0);
    settings.SplitMode = split_mode::Time;
    settings.SplitSeconds = 60;
    editor.lvClick();
    settings.SplitMode = split_mode::Custom;
    player.Playing = true;
    player.SegmentPlayback = true;
    marker.MarkBegin();
    marker.ConfirmSegment();
    EXPECT_EQ(errors(), QStringList(2, SegmentMarker::ListShowsOtherRows));
    EXPECT_EQ(segmentsOf(0), inMs({{10, 20}, {0, 300}}));
    EXPECT_EQ(rows().size(), timePlan(300000, 60).size());

    // stopped, the entry's own segments are shown again, which loses
    // nothing, and Begin marks at the slider's time
    player.Playing = false;
    player.SegmentPlayback = false;
    marker.MarkBegin();
    EXPECT_EQ(rows().size(), 2);
    EXPECT_EQ(segmentsOf(0), inMs({{10, 20}, {100, 300}}));
    EXPECT_EQ(errors().size(), 2);
}

TEST_F(SegmentMarkerTest, AClickOnTheSegmentListSelectsARow)
{
    add(300, {{10, 20}, {30, 40}, {0, 300}});
    clickFile(0);
    marker.lv_timeClick();  // nothing selected: the last row clicked, here row 0
    EXPECT_EQ(jobs.selectedSegmentRow(), 0);
    EXPECT_TRUE(jobs.SegmentSelected);
    jobs.SelectedSegmentRow = 7;
    jobs.segmentSelection()->clear();
    marker.lv_timeDblClick();
    EXPECT_EQ(jobs.selectedSegmentRow(), 2);
    EXPECT_EQ(jobs.SelectedSegmentRow, 2);
    clickFile(0);
    EXPECT_FALSE(jobs.SegmentSelected);
    jobs.segmentModel()->clear();
    jobs.SelectedSegmentRow = 0;
    marker.lv_timeClick();
    EXPECT_FALSE(jobs.SegmentSelected);
}

TEST_F(SegmentMarkerTest, RemovingTheSegmentBeingPlayedStopsItFirst)
{
    add(300, {{10, 20}, {30, 40}, {50, 60}, {0, 300}});
    clickFile(0);
    const auto playSegment = [this](int row) {
        player.Playing = true;
        player.SegmentPlayback = true;
        player.PlayerSegment = row;
        player.SavedStatus = jobs.segmentModel()->status(row);
        jobs.segmentModel()->setStatus(row, status_word::Playing);
    };
    // the pending segment playing is still the pending segment
    playSegment(3);
    clickSegment(3);
    marker.RemoveSegment();
    EXPECT_EQ(errors().size(), 1);
    EXPECT_TRUE(player.Playing);
    EXPECT_EQ(stops, 0);
    player.Playing = false;
    jobs.segmentModel()->setStatus(3, status_word::Uncertain);

    // a row before the played one: the player's row moves up with it
    playSegment(2);
    clickSegment(0);
    marker.RemoveSegment();
    EXPECT_EQ(stops, 0);
    EXPECT_EQ(player.PlayerSegment, 1);
    EXPECT_EQ(jobs.segmentModel()->status(1), status_word::Playing);

    // the played row itself: the player stops and gives the row its word back
    clickSegment(1);
    marker.RemoveSegment();
    EXPECT_EQ(stops, 1);
    EXPECT_FALSE(player.Playing);
    EXPECT_EQ(segmentsOf(0), inMs({{30, 40}, {0, 300}}));
    EXPECT_EQ(rows(), (QStringList{"00:00:30 - 00:00:40|00:00:10|OK", "00:00:00 - 00:05:00|00:05:00|Uncertain"}));
}

} // namespace
