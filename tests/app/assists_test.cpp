// Find Silences, keys, file drops and the open dialog's filters, in a whole
// session with recording seams.
#include <cmath>

#include "MainSession.h"
#include "app/FileDialogs.h"
#include "app/WaveformView.h"
#include "engine/FindSilences.h"
#include "joblist/FileAdder.h"
#include "joblist/ListText.h"
#include "settings/Settings.h"
#include "settings/SettingsFile.h"
#include "settings/SilenceSettings.h"
#include "settings/ui/SilencePage.h"
#include "settings/ui/Tfm_set.h"
#include "support/AudioFixtures.h"
#include "support/TonesAndPauses.h"

#include <QAction>
#include <QDir>
#include <QDropEvent>
#include <QImage>
#include <QSignalSpy>
#include <QMenu>
#include <QMimeData>
#include <QPlainTextEdit>
#include <QSpinBox>
#include <QTableView>
#include <QLabel>
#include <QPushButton>
#include <QTreeWidget>
#include <QTest>
#include <QUrl>
#include <gtest/gtest.h>

using namespace korvex;
using namespace korvex::test;

namespace {

class AssistsTest : public ::testing::Test
{
protected:
    QString fiveTones(const QString &name = QStringLiteral("talk.flac"))
    {
        const QString path = s.folder.file(name);
        writeTonesOverFloor(path, 25.0, fiveTonesWithPauses());
        return path;
    }
    QString tone(const QString &name, double seconds)
    {
        AudioSpec audio;
        audio.frames = qint64(seconds * 44100);
        const QString path = s.folder.file(name);
        writeAudioFile(path, audio);
        return path;
    }
    void add(const QStringList &paths)
    {
        s.recorder.dialogs.openAnswer = paths;
        s.main().menuItemClick("AddFile2");
    }
    listrecord &entry(int row) { return s.main().jobList().job(row); }
    // Milliseconds.
    QList<std::pair<qint64, qint64>> segmentsOf(int row)
    {
        QList<std::pair<qint64, qint64>> list;
        for (int k = 0; k < entry(row).Count; ++k)
            list.append({entry(row).BeginTime[k], entry(row).EndTime[k]});
        return list;
    }
    QString segmentRow(int row, int column)
    {
        return s.main().jobList().segmentModel()->index(row, column).data().toString();
    }
    void setMode(int mode) { s.main().settingsStore().settings().SplitMode = mode; }

    MainSession s;
};

using Pieces = QList<std::pair<qint64, qint64>>;

// Cut in the middle of each pause, the first from 0 and the last to the end.
const Pieces FiveAndPending = {{0, 4000},     {4000, 9000},   {9000, 14000},
                               {14000, 19000}, {19000, 25000}, {0, 25000}};

} // namespace

TEST_F(AssistsTest, FindSilencesSitsInTheActionMenuAfterClear)
{
    const QList<QAction *> items = s.main().menus->p_action->actions();
    qsizetype clear = -1;
    for (qsizetype k = 0; k < items.size(); ++k) {
        if (items[k]->objectName() == "Clear2")
            clear = k;
    }
    ASSERT_GE(clear, 0);
    ASSERT_LT(clear + 1, items.size());
    EXPECT_EQ(items[clear + 1]->objectName(), "FindSilences1");
    EXPECT_EQ(items[clear + 1]->text(), "Find Silences");
    EXPECT_FALSE(items[clear + 1]->icon().isNull());
}

TEST_F(AssistsTest, FindSilencesMakesOneConfirmedSegmentPerPieceAndKeepsThePendingOne)
{
    add({fiveTones()});
    ASSERT_EQ(s.main().jobList().rowCount(), 1);
    QStringList percents;
    QObject::connect(&s.main().skinFace(), &SkinFace::redrawRequested, &s.main(), [this, &percents](const QString &name) {
        if (name == "pbpos")
            percents.append(s.skinText("pbpos"));
    });
    QSignalSpy started(&s.main().core(), &Core::runStarted);
    QSignalSpy ended(&s.main().core(), &Core::runEnded);
    s.triggerRun("FindSilences1");
    EXPECT_EQ(started.size(), 1);
    EXPECT_EQ(ended.size(), 1);
    EXPECT_FALSE(s.main().core().runGoing());

    EXPECT_EQ(segmentsOf(0), FiveAndPending);
    EXPECT_TRUE(s.recorder.messages.errors.isEmpty());
    EXPECT_TRUE(s.recorder.messages.questions.isEmpty());
    ASSERT_EQ(s.main().jobList().segmentModel()->rowCount(), 6);
    EXPECT_EQ(segmentRow(0, 0), "00:00:00 - 00:00:04");
    EXPECT_EQ(segmentRow(4, 0), "00:00:19 - 00:00:25");
    EXPECT_EQ(segmentRow(4, 2), "OK");
    EXPECT_EQ(segmentRow(5, 2), "Uncertain");
    EXPECT_EQ(s.skinText("tataltime"), "00:00:25");
    // the scan showed its progress like a run, and left nothing behind
    EXPECT_TRUE(percents.contains("100%"));
    EXPECT_EQ(s.skinText("pbpos"), "");
    EXPECT_EQ(s.main().skinFace().rect("convertpb").width(), 0);
    EXPECT_FALSE(s.main().runState().Converting);
    EXPECT_EQ(s.main().AudioFileRead.isOpen(), 0);
}

TEST_F(AssistsTest, ConfirmedSegmentsAreReplacedOnlyWhenTheUserAgrees)
{
    add({fiveTones()});
    listrecord &e = entry(0);
    e.BeginTime = {1000, 4000, 7000};
    e.EndTime = {2000, 6000, 20000};
    e.Count = 3;
    s.recorder.messages.questionAnswer = false;
    QSignalSpy started(&s.main().core(), &Core::runStarted);
    s.triggerRun("FindSilences1");
    EXPECT_TRUE(started.isEmpty()) << "a scan the user refused started";
    ASSERT_EQ(s.recorder.messages.questions.size(), 1);
    EXPECT_TRUE(s.recorder.messages.questions[0].contains("2 confirmed segment(s)"));
    EXPECT_EQ(segmentsOf(0), (Pieces{{1000, 2000}, {4000, 6000}, {7000, 20000}}));

    s.recorder.messages.questionAnswer = true;
    s.triggerRun("FindSilences1");
    EXPECT_EQ(s.recorder.messages.questions.size(), 2);
    // the pending segment the user had marked stays
    Pieces expected = FiveAndPending;
    expected.last() = {7000, 20000};
    EXPECT_EQ(segmentsOf(0), expected);
}

TEST_F(AssistsTest, UnificationFillsEntryZeroAndTimeModeRefusesWithBeginsMessage)
{
    add({fiveTones(), tone("other.flac", 4)});
    s.main().jobList().selectFileRow(1);
    s.main().jobEditor().lvClick();
    setMode(split_mode::Unification);
    s.triggerRun("FindSilences1");
    EXPECT_EQ(segmentsOf(0), FiveAndPending);
    EXPECT_EQ(segmentsOf(1), (Pieces{{0, 4000}}));
    EXPECT_EQ(s.main().jobList().segmentModel()->rowCount(), 6);

    setMode(split_mode::Time);
    s.main().jobEditor().ClearSegments();
    s.triggerRun("FindSilences1");
    EXPECT_EQ(s.recorder.messages.errors,
              QStringList{"Only chose \"Custom\" or \"unification\" function, this button is usable."});
}

TEST_F(AssistsTest, StopEndsTheScanWithNothingChangedAndASilentFileSaysSo)
{
    add({fiveTones()});
    s.atProgress(1, [this] { s.clickSkin("Stop"); });
    s.triggerRun("FindSilences1");
    EXPECT_TRUE(s.actionArmed());
    EXPECT_EQ(segmentsOf(0), (Pieces{{0, 25000}}));
    EXPECT_FALSE(s.main().runState().Converting);
    EXPECT_EQ(s.skinText("pbpos"), "");

    const QString silent = s.folder.file("silent.flac");
    writeTonesOverFloor(silent, 3.0, {}, -200.0);
    add({silent});
    s.main().jobList().selectFileRow(1);
    s.main().jobEditor().lvClick();
    s.triggerRun("FindSilences1");
    EXPECT_EQ(s.recorder.messages.informations,
              QStringList{"silent.flac holds no sound louder than -40 dBFS; its segments stay as they were."});
    EXPECT_EQ(segmentsOf(1), (Pieces{{0, 3000}}));
}

TEST_F(AssistsTest, FindSilencesUsesTheSilenceSettingsOfTheSettingsFile)
{
    const QString path = s.folder.file("breaths.flac");
    writeTonesOverFloor(path, 10.0, {{1.0, 3.0}, {4.2, 6.0}});
    add({path});
    s.triggerRun("FindSilences1");
    EXPECT_EQ(segmentsOf(0), (Pieces{{0, 3600}, {3600, 10000}, {0, 10000}}));

    WriteSilenceSettings(s.main().settingsStore().file(), {-40, 1500});
    s.main().jobEditor().ClearSegments();
    s.triggerRun("FindSilences1");
    EXPECT_EQ(segmentsOf(0), (Pieces{{0, 10000}, {0, 10000}}));

    // cut where the pause begins, and at most 0.3 s of pause kept at an edge
    WriteSilenceSettings(s.main().settingsStore().file(), {-40, 700, 0.0, 300});
    s.main().jobEditor().ClearSegments();
    s.triggerRun("FindSilences1");
    EXPECT_EQ(segmentsOf(0), (Pieces{{700, 3000}, {3900, 6300}, {0, 10000}}));
    EXPECT_EQ(segmentRow(1, 0), "00:00:03.900 - 00:00:06.300");
    EXPECT_EQ(segmentRow(1, 1), "00:00:02.400");
}

// ---- dropping files

namespace {

// A real drag over the list's viewport, as a file manager delivers it.
bool dropOn(QAbstractItemView *list, const QStringList &paths)
{
    QMimeData data;
    QList<QUrl> urls;
    for (const QString &path : paths)
        urls.append(QUrl::fromLocalFile(path));
    data.setUrls(urls);
    const QPoint at = list->viewport()->rect().center();
    QDragEnterEvent enter(at, Qt::CopyAction, &data, Qt::LeftButton, Qt::NoModifier);
    QApplication::sendEvent(list->viewport(), &enter);
    QDropEvent drop(QPointF(at), Qt::CopyAction, &data, Qt::LeftButton, Qt::NoModifier);
    QApplication::sendEvent(list->viewport(), &drop);
    return enter.isAccepted() && drop.isAccepted();
}

} // namespace

TEST_F(AssistsTest, DroppedFilesAndFoldersAreAddedInTheirOrderAsAddFileAndAddFolderAddThem)
{
    const QString first = tone("first.mp3", 2.2);
    const QString broken = s.folder.file("broken.ogg");
    QFile file(broken);
    ASSERT_TRUE(file.open(QIODevice::WriteOnly));
    file.write(QByteArray(3000, 'z'));
    file.close();
    QDir(s.folder.path()).mkdir("album");
    const QString inFolder = tone("album/track.wma", 3.1);
    tone("album/skipped.mp3", 2.0);
    const QString last = tone("last.flac", 4.4);

    ASSERT_TRUE(dropOn(s.main().lv_time, {first, broken, s.folder.file("album"), last}));
    JobList &jobs = s.main().jobList();
    ASSERT_TRUE(QTest::qWaitFor([&] { return jobs.rowCount() == 3; }));
    EXPECT_EQ(jobs.job(0).FileName, first);
    EXPECT_EQ(jobs.job(1).FileName, inFolder);
    EXPECT_EQ(jobs.job(2).FileName, last);
    EXPECT_EQ(s.recorder.messages.errors, QStringList{"broken.ogg this File is not supported."});
    // as after Add: the first row is selected and shown
    EXPECT_EQ(jobs.selectedFileRow(), 0);
    EXPECT_EQ(s.skinText("nm"), first);
    EXPECT_FALSE(s.main().sm->isVisible());
    EXPECT_TRUE(s.recorder.dialogs.openRequests.isEmpty());
}

TEST_F(AssistsTest, DropsAreRefusedWhileConvertingAndNonFilesAreNotTaken)
{
    const QString path = tone("one.wav", 1.5);
    s.main().runState().Converting = true;
    EXPECT_FALSE(dropOn(s.main().lv, {path}));
    s.main().runState().Converting = false;

    QMimeData text;
    text.setText("just words");
    QDragEnterEvent enter(QPoint(5, 5), Qt::CopyAction, &text, Qt::LeftButton, Qt::NoModifier);
    QApplication::sendEvent(s.main().lv->viewport(), &enter);
    EXPECT_FALSE(enter.isAccepted());
    QApplication::processEvents();
    EXPECT_EQ(s.main().jobList().rowCount(), 0);

    EXPECT_TRUE(dropOn(s.main().lv, {path}));
    EXPECT_TRUE(QTest::qWaitFor([&] { return s.main().jobList().rowCount() == 1; }));
}

// ---- keys

namespace {

void press(QWidget *target, Qt::Key key, Qt::KeyboardModifiers modifiers = Qt::NoModifier)
{
    QTest::keyClick(target, key, modifiers);
}

} // namespace

TEST_F(AssistsTest, KeysGiveTheirCommandsWithTheCommandsGuards)
{
    Tfm_main &main = s.main();
    main.activateWindow();
    ASSERT_TRUE(QTest::qWaitForWindowActive(&main));
    const QString a = tone("a.wav", 1.5);
    const QString b = tone("b.wav", 2.5);

    // guarded like "addfile": nothing while converting
    main.runState().Converting = true;
    s.recorder.dialogs.openAnswer = {a, b};
    press(main.lv, Qt::Key_O, Qt::ControlModifier);
    EXPECT_TRUE(s.recorder.dialogs.openRequests.isEmpty());
    main.runState().Converting = false;

    press(main.lv, Qt::Key_O, Qt::ControlModifier);
    ASSERT_EQ(s.recorder.dialogs.openRequests.size(), 1);
    ASSERT_EQ(main.jobList().rowCount(), 2);

    press(main.lv, Qt::Key_O, Qt::ControlModifier | Qt::ShiftModifier);
    EXPECT_EQ(s.recorder.dialogs.folderCaptions, QStringList{"Add File Directory"});

    main.lv->setFocus();
    press(main.lv, Qt::Key_Delete);
    ASSERT_EQ(main.jobList().rowCount(), 1);
    EXPECT_EQ(main.jobList().job(0).FileName, b);

    press(main.lv, Qt::Key_F1);
    ASSERT_EQ(s.recorder.launcher.opened.size(), 1);
    EXPECT_TRUE(s.recorder.launcher.opened[0].endsWith("help/korvex.html"));

    press(main.lv, Qt::Key_Q, Qt::ControlModifier);
    EXPECT_FALSE(main.isVisible());
}

TEST_F(AssistsTest, KeysPassThroughTheDispatcherByCommandName)
{
    Tfm_main &main = s.main();
    main.activateWindow();
    ASSERT_TRUE(QTest::qWaitForWindowActive(&main));
    QStringList given;
    for (const char *name : {"play", "stop", "Begin", "End", "Ok", "hou", "qian"})
        main.commands().add(CommandTable::Source::Skin, name, [&given, name] { given.append(name); });
    press(main.lv, Qt::Key_Space);
    main.playerState().Playing = true;
    press(main.lv, Qt::Key_Space);
    main.playerState().Playing = false;
    press(main.lv, Qt::Key_B);
    press(main.lv, Qt::Key_E);
    press(main.lv, Qt::Key_Return);
    press(main.lv, Qt::Key_Left, Qt::ControlModifier);
    press(main.lv, Qt::Key_Right, Qt::ControlModifier);
    EXPECT_EQ(given, (QStringList{"play", "stop", "Begin", "End", "Ok", "hou", "qian"}));

    given.clear();
    for (const char *name : {"PlayAroundBegin1", "PlayAroundEnd1"})
        main.commands().add(CommandTable::Source::Menu, name, [&given, name] { given.append(name); });
    press(main.lv, Qt::Key_B, Qt::ShiftModifier);
    press(main.lv, Qt::Key_E, Qt::ShiftModifier);
    press(main.lv, Qt::Key_B);
    EXPECT_EQ(given, (QStringList{"PlayAroundBegin1", "PlayAroundEnd1", "Begin"}));
}

TEST_F(AssistsTest, TooltipsNameTheKeys)
{
    EXPECT_TRUE(s.skinWidget("play")->toolTip().endsWith("(Space)"));
    EXPECT_TRUE(s.skinWidget("Begin")->toolTip().endsWith("(B)"));
    EXPECT_TRUE(s.skinWidget("Ok")->toolTip().endsWith("(Return)"));
    EXPECT_TRUE(s.skinWidget("addfile")->toolTip().endsWith("(Ctrl+O)"));
    EXPECT_TRUE(s.skinWidget("qian")->toolTip().endsWith("(Ctrl+Right)"));
    EXPECT_EQ(s.skinWidget("Split")->toolTip(), "Cut every file into WMA pieces (F5)");
    // an object without a key keeps the skin's words
    EXPECT_EQ(s.skinWidget("timecaption")->toolTip(), "Play position");
}

// ---- the open dialog and the settings page

TEST(OpenDialogFilters, WmaFirstThenAudioFilesThenAllWithEachNameShownOnce)
{
    const QStringList filters = FileDialogs::qtFilters(FileAdder::OpenFilter);
    ASSERT_EQ(filters.size(), 3);
    EXPECT_EQ(filters[0], "WMA Files(*.wma)");
    EXPECT_EQ(filters[1], "Audio files (*.wma *.asf *.mp3 *.mp2 *.ogg *.oga *.opus *.spx *.flac *.wav *.m4a *.m4b "
                          "*.mp4 *.aac *.ac3 *.ape *.wv *.mpc *.aif *.aiff *.aifc *.mka *.webm *.amr *.au *.snd "
                          "*.tta *.cue)");
    EXPECT_EQ(filters[2], "All files (*)");
    EXPECT_EQ(FileDialogs::qtFilters("Pieces|*.wma"), QStringList{"Pieces (*.wma)"});
}

TEST(SilencePageWidget, ShowsTheFileAndWritesWhatTheUserSet)
{
    TestFolder folder;
    SettingsFile file(folder.file("Korvex.ini"));
    SilencePage page;
    EXPECT_EQ(SilencePage::Title, "Silence");
    page.load(file);
    EXPECT_EQ(page.edt_Threshold->value(), -40);
    EXPECT_EQ(page.edt_MinLength->value(), 700);
    EXPECT_EQ(page.edt_Threshold->suffix(), " dBFS");

    page.edt_Threshold->setValue(-52);
    page.edt_MinLength->setValue(1250);
    page.save(file);
    EXPECT_EQ(file.readInteger("Silence", "Threshold", 0), -52);
    EXPECT_EQ(file.readInteger("Silence", "MinLength", 0), 1250);

    // typed past the ends, the boxes keep to what a scan can use
    page.edt_Threshold->setValue(5);
    EXPECT_EQ(page.edt_Threshold->value(), -1);
    file.writeInteger("Silence", "MinLength", 999999);
    page.load(file);
    EXPECT_EQ(page.edt_MinLength->value(), 60000);
    EXPECT_EQ(page.edt_Threshold->value(), -52);
}

// ---- the waveform along "pb"

TEST_F(AssistsTest, WaveformShowsTheSelectedFilesSoundSegmentsAndPosition)
{
    Tfm_main &main = s.main();
    QWidget *wave = s.skinWidget("wave");
    ASSERT_NE(wave, nullptr);
    ASSERT_NE(main.waveformView(), nullptr);
    // behind the slider, centred on its groove, as wide as the thumb travels
    const QRect slider = s.skinWidget("pb")->geometry();
    EXPECT_NEAR(wave->geometry().center().y(), slider.center().y(), 2);
    EXPECT_GE(wave->geometry().left(), slider.left());
    EXPECT_LE(wave->geometry().right(), slider.right());
    EXPECT_LT(s.form()->children().indexOf(wave), s.form()->children().indexOf(s.skinWidget("pb")));

    const QString talk = s.folder.file("Recorded talk.flac");
    writeTonesOverFloor(talk, 25.0, fiveTonesWithPauses(), -65.0, 44100, true);
    add({talk, tone("other.flac", 4)});
    // pauses left out of the pieces but for 0.5 s at each edge
    WriteSilenceSettings(main.settingsStore().file(), {-40, 700, 0.5, 500});
    WaveformSource &source = main.waveformView()->source();
    QSignalSpy changes(&source, &WaveformSource::overviewChanged);
    while (!source.current().complete)
        ASSERT_TRUE(changes.wait(60000));
    EXPECT_EQ(source.current().path, entry(0).FileName);
    main.menuItemClick("FindSilences1");
    s.waitForRunEnd();
    ASSERT_EQ(entry(0).Count, 6);
    SkinFace &face = main.skinFace();
    face.setPosition("pb", face.maxPosition("pb") * 11 / 25);
    face.redraw("pb");
    face.setText("timecaption", "00:00:11");
    face.redraw("timecaption");
    QApplication::processEvents();
    ASSERT_TRUE(main.grab().save(QStringLiteral(KORVEX_BINARY_DIR "/korvex-waveform.png")));

    // the wave alone: high in the tones, a thin line in the pauses, the
    // confirmed segments tinted and underlined
    const QImage picture = wave->grab().toImage();
    const int w = picture.width();
    const QRgb background = picture.pixel(w - 2, 0);
    auto tallest = [&](double from, double to) {
        int most = 0;
        for (int x = int(from / 25.0 * w) + 1; x < int(to / 25.0 * w) - 1; ++x) {
            int painted = 0;
            for (int y = 0; y < picture.height() - 3; ++y)
                painted += picture.pixel(x, y) != picture.pixel(x, 0) ? 1 : 0;
            most = std::max(most, painted);
        }
        return most;
    };
    EXPECT_GE(tallest(5.0, 8.0), picture.height() - 6);
    EXPECT_LE(tallest(8.0, 10.0), 2);
    EXPECT_NE(picture.pixel(int(6.5 / 25.0 * w), 0), background) << "tinted inside a segment";
    EXPECT_EQ(picture.pixel(int(9.0 / 25.0 * w), 0), background) << "untinted in a pause";
    EXPECT_NE(picture.pixel(int(6.5 / 25.0 * w), picture.height() - 1),
              picture.pixel(int(9.0 / 25.0 * w), picture.height() - 1));
    // the play position: a line at 11/25 of the width
    const int playX = int(11.0 / 25.0 * (w - 1) + 0.5);
    EXPECT_NE(picture.pixel(playX, 1), picture.pixel(playX + 4, 1));

    // another file selected: its own overview
    main.jobList().selectFileRow(1);
    main.jobEditor().lvClick();
    while (!source.current().complete || source.current().path != entry(1).FileName)
        ASSERT_TRUE(changes.wait(60000));
    main.jobEditor().ClearJob();
    EXPECT_TRUE(source.current().path.isEmpty());
}

// While a segment plays, the slider, the clock and the wave's line all stand
// for the file, inside the played segment; after the stop all three are at 0.
TEST_F(AssistsTest, DuringSegmentPlaybackKnobClockAndLineAgreeInsideTheSegment)
{
    Tfm_main &main = s.main();
    const QString talk = s.folder.file("Recorded talk.flac");
    writeTonesOverFloor(talk, 25.0, fiveTonesWithPauses(), -65.0, 44100, true);
    add({talk});
    main.menuItemClick("FindSilences1");
    s.waitForRunEnd();
    ASSERT_GE(entry(0).Count, 3);
    ASSERT_EQ(entry(0).Duration, 25);
    const qint64 begin = entry(0).BeginTime.at(2);  // ms
    const qint64 end = entry(0).EndTime.at(2);
    ASSERT_GT(begin, 0);
    ASSERT_GT(end - begin, 2000);
    main.jobList().selectSegmentRow(2);
    main.segmentMarker().lv_timeClick();
    main.previewPlayer().PlaySegment();
    ASSERT_TRUE(main.playerState().Playing);
    ASSERT_TRUE(main.playerState().SegmentPlayback);

    const WaveformView &view = *main.waveformView();
    SkinFace &face = main.skinFace();
    const double max = face.maxPosition("pb");
    for (const int seconds : {0, 1, 2}) {
        SCOPED_TRACE(seconds);
        // the player's report of what it has played, as its timer gives it
        main.previewPlayer().AudioPlayer21Timer(qint64(seconds) * 44100, 0, 0);
        const double knob = face.position("pb") / max;
        EXPECT_NEAR(knob, (begin / 1000.0 + seconds) / 25.0, 0.01);
        EXPECT_NEAR(view.playFraction(), knob, 1e-9);
        EXPECT_EQ(s.skinText("timecaption"), TimeText(int(std::lround(begin / 1000.0 + seconds))));
    }
    main.previewPlayer().StopPlayback();
    EXPECT_EQ(face.position("pb"), 0);
    EXPECT_EQ(view.playFraction(), 0.0);
    EXPECT_EQ(s.skinText("timecaption"), "00:00:00");
}

TEST_F(AssistsTest, TheSettingsDialogHasTheSilencePageWhoseOkFindSilencesUses)
{
    Tfm_set &dialog = *s.windows.fm_set;
    WriteSilenceSettings(s.main().settingsStore().file(), {-50, 900, 0.25, 300});
    dialog.show();
    QApplication::processEvents();
    QTreeWidget *tree = dialog.TreeView1;
    ASSERT_EQ(tree->topLevelItemCount(), 4);
    QTreeWidgetItem *node = tree->topLevelItem(2);
    EXPECT_EQ(node->text(0), "Silence");
    EXPECT_FALSE(node->icon(0).isNull());
    QTest::mouseClick(tree->viewport(), Qt::LeftButton, {}, tree->visualItemRect(node).center());
    EXPECT_EQ(dialog.lab->text(), "Set Silence");
    auto *page = dialog.findChild<SilencePage *>();
    ASSERT_NE(page, nullptr);
    EXPECT_TRUE(page->isVisible());
    EXPECT_EQ(page->values(), (SilenceSettings{-50, 900, 0.25, 300}));
    ASSERT_TRUE(dialog.grab().save(QStringLiteral(KORVEX_BINARY_DIR "/korvex-settings-silence.png")));

    page->edt_MinLength->setValue(1500);
    page->edt_Offset->setValue(0.75);
    page->edt_Trim->setValue(0);
    EXPECT_EQ(page->edt_Adjust->text(), "off");
    page->edt_Adjust->setValue(4);
    QTest::mouseClick(dialog.Ok, Qt::LeftButton);
    EXPECT_FALSE(dialog.isVisible());
    EXPECT_EQ(ReadSilenceSettings(s.main().settingsStore().file()), (SilenceSettings{-50, 1500, 0.75, 0, 4000}));
    EXPECT_EQ(s.main().settingsStore().file().readInteger("Function", "Adjust", 0), 4);

    // and Find Silences goes by it: the pause of 1.2 s no longer separates
    const QString path = s.folder.file("breaths.flac");
    writeTonesOverFloor(path, 10.0, {{1.0, 3.0}, {4.2, 6.0}});
    add({path});
    s.triggerRun("FindSilences1");
    EXPECT_EQ(segmentsOf(0), (Pieces{{0, 10000}, {0, 10000}}));
}

// [Fade] Edge from the Silence page to the runs' setting and the file, from
// the file to a new session's setting, and back into the page.
TEST_F(AssistsTest, TheSoftEdgeFieldGoesToTheSettingsAndTheFileAndBack)
{
    Tfm_set &dialog = *s.windows.fm_set;
    SettingsStore &store = s.main().settingsStore();
    const auto openSilencePage = [&] {
        dialog.show();
        QApplication::processEvents();
        QTreeWidget *tree = dialog.TreeView1;
        QTest::mouseClick(tree->viewport(), Qt::LeftButton, {}, tree->visualItemRect(tree->topLevelItem(2)).center());
        auto *page = dialog.findChild<SilencePage *>();
        EXPECT_TRUE(page && page->isVisible());
        return page;
    };
    SilencePage *page = openSilencePage();
    ASSERT_NE(page, nullptr);
    EXPECT_EQ(page->edt_Edge->text(), "off");
    EXPECT_EQ(page->edt_Edge->accessibleName(), "Soft edge length");
    EXPECT_EQ(page->edt_Adjust->accessibleName(), "Adjust cuts within");
    page->edt_Edge->setValue(25);
    page->edt_Adjust->setValue(2);
    ASSERT_TRUE(dialog.grab().save(QStringLiteral(KORVEX_BINARY_DIR "/korvex-settings-silence-edge.png")));
    QTest::mouseClick(dialog.Ok, Qt::LeftButton);
    EXPECT_FALSE(dialog.isVisible());
    EXPECT_EQ(store.settings().EdgeMs, 25) << "the next run ramps its cuts";
    EXPECT_EQ(store.file().readInteger("Fade", "Edge", -1), 25);

    SettingsStore next(store.file().fileName());
    next.LoadSettings();
    EXPECT_EQ(next.settings().EdgeMs, 25);

    // the page shows the setting the runs use, and keeps to the range a run takes
    store.settings().EdgeMs = 40;
    page = openSilencePage();
    EXPECT_EQ(page->edt_Edge->value(), 40);
    page->edt_Edge->setValue(MaxEdgeMs + 1);
    EXPECT_EQ(page->edt_Edge->value(), MaxEdgeMs);
    page->edt_Edge->setValue(0);
    QTest::mouseClick(dialog.Ok, Qt::LeftButton);
    EXPECT_EQ(store.settings().EdgeMs, 0);
    EXPECT_EQ(store.file().readInteger("Fade", "Edge", -1), 0);
    store.file().writeInteger("Fade", "Edge", 999999);
    SettingsStore handEdited(store.file().fileName());
    handEdited.LoadSettings();
    EXPECT_EQ(handEdited.settings().EdgeMs, MaxEdgeMs);
    page->load(store.file());
    EXPECT_EQ(page->edgeMs(), MaxEdgeMs);
}
