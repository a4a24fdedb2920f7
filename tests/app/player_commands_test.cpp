// Listening and marking as the user does it: clicks on the skin's buttons, on
// the two lists and drags of the real slider, in the real window.
#include "MainSession.h"
#include "joblist/ListText.h"
#include "joblist/Scale.h"
#include "joblist/SegmentMarker.h"
#include "joblist/StatusWords.h"
#include "support/AudioFixtures.h"
#include "support/SegmentedRecord.h"

#include <QAction>
#include <QDir>
#include <QElapsedTimer>
#include <QSignalSpy>
#include <QTableView>
#include <QTest>

using namespace korvex;
using Session = test::MainSession;

namespace {

constexpr int kRate = 8000;

class PlayerCommandsRealTime : public ::testing::Test
{
protected:
    PlayerCommandsRealTime()
    {
        QObject::connect(&s.main().previewPlayer(), &PreviewPlayer::blockQueued, &m_context,
                         [this](qint64 first) { firsts.append(first); });
    }

    // A WAV file of `seconds` added through the window and clicked on.
    QString addFile(const QString &name, int seconds)
    {
        const QString path = s.folder.file(name);
        test::writeAudioFile(path, test::sineSpec(kRate, 1, qint64(seconds) * kRate));
        s.recorder.dialogs.openAnswer = {path};
        s.clickSkin("addfile");
        return path;
    }
    void clickRow(QTableView *view, int row)
    {
        const QRect rect = view->visualRect(view->model()->index(row, 0));
        QTest::mouseClick(view->viewport(), Qt::LeftButton, {}, rect.center());
    }
    ISkinSlider *slider() { return s.form()->findObject("pb")->sliderInterface(); }
    QWidget *sliderWidget() { return s.skinWidget("pb"); }
    // A press and release of the left button at a fraction of the real
    // slider's width, as a click on its groove; gives the position it took.
    int clickSlider(double fraction)
    {
        const QPoint at(int(sliderWidget()->width() * fraction), sliderWidget()->height() / 2);
        QTest::mousePress(sliderWidget(), Qt::LeftButton, {}, at);
        QTest::mouseRelease(sliderWidget(), Qt::LeftButton, {}, at);
        return slider()->position();
    }
    PlayerState &state() { return s.main().playerState(); }
    QStringList captions()
    {
        SegmentListModel &rows = *s.main().jobList().segmentModel();
        QStringList texts;
        for (int row = 0; row < rows.rowCount(); ++row)
            texts.append(rows.row(row).caption);
        return texts;
    }
    bool waitFor(const std::function<bool()> &done)
    {
        QElapsedTimer clock;
        clock.start();
        while (!done() && clock.elapsed() < 30000) {
            QSignalSpy redraws(&s.main().skinFace(), &SkinFace::redrawRequested);
            redraws.wait(250);
        }
        return done();
    }

    Session s;
    QList<qint64> firsts;

private:
    QObject m_context;
};

TEST_F(PlayerCommandsRealTime, PlayShowsThePositionAndStopResetsIt)
{
    addFile("tone.wav", 30);
    clickRow(s.main().lv, 0);
    s.clickSkin("play");
    ASSERT_TRUE(state().Playing);
    ASSERT_TRUE(waitFor([this] { return !firsts.isEmpty(); }));
    EXPECT_EQ(firsts.first(), 0);
    // the user's slider and clock follow the playback
    ASSERT_TRUE(waitFor([this] { return s.skinText("timecaption") >= "00:00:01"; }));
    EXPECT_GT(slider()->position(), 0);
    s.clickSkin("play");  // no second playback: nothing starts at 0 again
    EXPECT_EQ(firsts.count(0), 1);
    s.clickSkin("stop");
    EXPECT_FALSE(state().Playing);
    EXPECT_EQ(slider()->position(), 0);
    EXPECT_EQ(s.skinText("timecaption"), "00:00:00");
    s.clickSkin("stop");  // stopped already: nothing to do
    EXPECT_FALSE(state().Playing);

    // the list menu's Play does the same
    s.main().menus->item("Play1")->trigger();
    EXPECT_TRUE(state().Playing);
    s.main().menus->item("Stop1")->trigger();
    EXPECT_FALSE(state().Playing);
    EXPECT_TRUE(s.recorder.messages.errors.isEmpty()) << qPrintable(s.recorder.messages.errors.join('\n'));
}

TEST_F(PlayerCommandsRealTime, DraggingTheSliderSeeksAndItsTimeShowsWhileDragging)
{
    addFile("minute.wav", 60);
    clickRow(s.main().lv, 0);
    const int max = slider()->rangeEnd() - slider()->thumbSize();
    s.clickSkin("play");
    ASSERT_TRUE(state().Playing);
    const int y = sliderWidget()->height() / 2;
    QTest::mousePress(sliderWidget(), Qt::LeftButton, {}, QPoint(sliderWidget()->width() / 2, y));
    EXPECT_TRUE(state().SeekDragging);
    EXPECT_NEAR(slider()->position(), max / 2, max / 20);
    const int x = sliderWidget()->width() * 3 / 4;
    QTest::mouseMove(sliderWidget(), QPoint(x, y));
    const int position = slider()->position();
    EXPECT_NEAR(position, max * 3 / 4, max / 20);
    EXPECT_EQ(s.skinText("timecaption"), TimeText(Scale(position, 60, max)));
    const qsizetype beforeSeek = firsts.size();
    QTest::mouseRelease(sliderWidget(), Qt::LeftButton, {}, QPoint(x, y));
    EXPECT_FALSE(state().SeekDragging);
    ASSERT_TRUE(waitFor([&] { return firsts.size() > beforeSeek; }));
    EXPECT_EQ(firsts.at(beforeSeek), Scale(position, 60 * kRate, max));
    ASSERT_TRUE(waitFor([&] { return slider()->position() > position; }));
    EXPECT_TRUE(state().Playing);

    // to its very end: playback stops and all is back at 0
    QTest::mousePress(sliderWidget(), Qt::LeftButton, {}, QPoint(sliderWidget()->width() - 1, y));
    QTest::mouseRelease(sliderWidget(), Qt::LeftButton, {}, QPoint(sliderWidget()->width() - 1, y));
    EXPECT_FALSE(state().Playing);
    EXPECT_EQ(slider()->position(), 0);
    EXPECT_EQ(s.skinText("timecaption"), "00:00:00");
}

TEST_F(PlayerCommandsRealTime, StepsThenBeginEndAndOkMarkASegmentThatRemoveTakesAway)
{
    addFile("three minutes.wav", 180);
    clickRow(s.main().lv, 0);
    for (int step = 0; step < 6; ++step)  // 1033 div 180: five units a step
        s.clickSkin("qian");
    EXPECT_EQ(slider()->position(), 30);
    s.clickSkin("hou");
    EXPECT_EQ(slider()->position(), 25);
    EXPECT_EQ(s.skinText("timecaption"), "00:00:04");
    s.clickSkin("Begin");
    const int end = Scale(clickSlider(0.5), 180, 1033);
    s.clickSkin("End");
    EXPECT_EQ(captions(), QStringList{"00:00:04 - " + TimeText(end)});
    s.clickSkin("Ok");
    EXPECT_EQ(s.statuses(), (QStringList{"Ok", "Uncertain"}));
    EXPECT_EQ(s.skinText("tataltime"), TimeText(end - 4));

    // the menus' Remove leaves a selected segment alone; the skin's takes it
    clickRow(s.main().lv_time, 0);
    EXPECT_TRUE(s.main().jobList().SegmentSelected);
    s.main().menus->item("Remove1")->trigger();
    EXPECT_EQ(s.main().jobList().rowCount(), 1);
    EXPECT_EQ(s.statuses().size(), 2);
    s.clickSkin("Remove");
    EXPECT_EQ(s.statuses(), QStringList{"Uncertain"});
    EXPECT_EQ(s.main().jobList().rowCount(), 1);
    EXPECT_EQ(s.skinText("tataltime"), "00:03:00");
    s.clickSkin("Remove");  // the pending row
    EXPECT_EQ(s.recorder.messages.errors, QStringList{SegmentMarker::PendingNotRemovable});
    EXPECT_EQ(s.main().jobList().rowCount(), 1);
}

TEST_F(PlayerCommandsRealTime, PlayOnASelectedSegmentPlaysItInCustomModeOnly)
{
    addFile("minute.wav", 60);
    test::setSegments(s.main().jobList().job(0), {{20, 30}, {0, 60}});
    clickRow(s.main().lv, 0);
    clickRow(s.main().lv_time, 0);
    s.clickSkin("play");
    ASSERT_TRUE(waitFor([this] { return !firsts.isEmpty(); }));
    EXPECT_EQ(firsts.first(), 20 * kRate);
    EXPECT_EQ(s.statuses(), (QStringList{"Playing", "Uncertain"}));
    ASSERT_TRUE(waitFor([this] { return s.skinText("timecaption") >= "00:00:01"; }));
    s.clickSkin("Stop");
    EXPECT_EQ(s.statuses(), (QStringList{"OK", "Uncertain"}));

    Settings &settings = s.main().settingsStore().settings();
    settings.SplitMode = split_mode::Time;
    clickRow(s.main().lv, 0);
    clickRow(s.main().lv_time, 1);
    const qsizetype segmentBlocks = firsts.size();
    s.clickSkin("play");
    ASSERT_TRUE(waitFor([&] { return firsts.size() > segmentBlocks; }));
    EXPECT_EQ(firsts.at(segmentBlocks), 0);  // the whole file, from the slider
    EXPECT_FALSE(state().SegmentPlayback);
    s.clickSkin("stop");
    s.clickSkin("Begin");
    EXPECT_EQ(s.recorder.messages.errors, QStringList{SegmentMarker::OnlyCustomOrUnification});
    s.clickSkin("Remove");  // a piece of the time plan: nothing, and no message
    EXPECT_EQ(s.recorder.messages.errors.size(), 1);
    EXPECT_EQ(s.statuses().size(), 2);
}

TEST_F(PlayerCommandsRealTime, NothingPlaysOrMarksWhileConverting)
{
    addFile("tone.wav", 30);
    clickRow(s.main().lv, 0);
    s.main().runState().Converting = true;
    for (const char *name : {"play", "qian", "hou", "Begin", "End", "Ok"})
        s.clickSkin(name);
    s.main().menus->item("Play1")->trigger();
    s.main().runState().Converting = false;
    EXPECT_FALSE(state().Playing);
    EXPECT_TRUE(firsts.isEmpty());
    EXPECT_EQ(slider()->position(), 0);
    EXPECT_EQ(s.statuses(), QStringList{"Uncertain"});
    EXPECT_EQ(s.main().jobList().JobRecords().at(0).Count, 1);
    EXPECT_TRUE(s.recorder.messages.errors.isEmpty());
}

TEST_F(PlayerCommandsRealTime, AddingSplittingAndClearingStopThePreview)
{
    Settings &settings = s.main().settingsStore().settings();
    settings.OutputFolder = s.folder.file("out") + QLatin1Char('/');
    QDir().mkpath(settings.OutputFolder);
    addFile("first.wav", 12);
    clickRow(s.main().lv, 0);
    s.clickSkin("play");
    ASSERT_TRUE(state().Playing);
    addFile("second.wav", 12);
    EXPECT_FALSE(state().Playing);
    EXPECT_EQ(s.main().jobList().rowCount(), 2);

    s.clickSkin("play");
    ASSERT_TRUE(state().Playing);
    s.clickRun("Split");
    EXPECT_FALSE(state().Playing);
    EXPECT_EQ(QDir(settings.OutputFolder).entryList(QDir::Files).size(), 2);

    clickRow(s.main().lv, 0);
    s.clickSkin("play");
    ASSERT_TRUE(state().Playing);
    s.clickSkin("Clear");
    EXPECT_FALSE(state().Playing);
    EXPECT_EQ(s.main().AudioFileRead.isOpen(), 0);
    EXPECT_FALSE(s.main().AudioPlayer21.isPlaying());
    EXPECT_TRUE(s.recorder.messages.errors.isEmpty()) << qPrintable(s.recorder.messages.errors.join('\n'));
}

} // namespace

namespace {

// The whole way through: mark a segment with the step buttons, Begin, End
// and OK, then split exactly that segment.
TEST_F(PlayerCommandsRealTime, ASegmentMarkedByClicksIsWhatSplitCuts)
{
    Settings &settings = s.main().settingsStore().settings();
    settings.OutputFolder = s.folder.file("out") + QLatin1Char('/');
    QDir().mkpath(settings.OutputFolder);
    addFile("half minute.wav", 30);
    clickRow(s.main().lv, 0);
    for (int step = 0; step < 5; ++step)  // 1033 div 30: 34 units, about a second a step
        s.clickSkin("qian");
    s.clickSkin("Begin");
    for (int step = 0; step < 10; ++step)
        s.clickSkin("qian");
    s.clickSkin("End");
    s.clickSkin("Ok");
    EXPECT_EQ(captions(), (QStringList{"00:00:05 - 00:00:15", "00:00:00 - 00:00:30"}));
    s.clickRun("Split");
    const QStringList pieces = QDir(settings.OutputFolder).entryList(QDir::Files);
    ASSERT_EQ(pieces, QStringList{"half minute_1.wma"});
    AudioFile piece;
    piece.openForRead(settings.OutputFolder + pieces.first(), 0, 1);
    EXPECT_NEAR(double(piece.duration()), 10000.0, 50.0);
    EXPECT_TRUE(s.recorder.messages.errors.isEmpty()) << qPrintable(s.recorder.messages.errors.join('\n'));
}

} // namespace

// The keys reach the real commands: Space plays and stops, B and E mark from
// the slider, Return confirms, as the buttons do.
TEST_F(PlayerCommandsRealTime, KeysMarkConfirmPlayAndStopAsTheButtonsDo)
{
    Tfm_main &main = s.main();
    main.activateWindow();
    ASSERT_TRUE(QTest::qWaitForWindowActive(&main));
    addFile("keys.wav", 20);
    clickRow(main.lv, 0);
    const int max = slider()->rangeEnd() - slider()->thumbSize();

    const int begin = Scale(clickSlider(0.25), 20, max);
    QTest::keyClick(main.lv, Qt::Key_B);
    const int end = Scale(clickSlider(0.75), 20, max);
    QTest::keyClick(main.lv, Qt::Key_E);
    ASSERT_LT(begin, end);
    QTest::keyClick(main.lv, Qt::Key_Return);
    EXPECT_EQ(captions(), (QStringList{TimeText(begin) + " - " + TimeText(end), "00:00:00 - 00:00:20"}));
    EXPECT_EQ(main.jobList().segmentModel()->status(0), status_word::Ok);

    QTest::keyClick(main.lv, Qt::Key_Space);
    EXPECT_TRUE(state().Playing);
    QTest::keyClick(main.lv, Qt::Key_Space);
    EXPECT_FALSE(state().Playing);
    EXPECT_TRUE(s.recorder.messages.errors.isEmpty()) << qPrintable(s.recorder.messages.errors.join('\n'));
}
