// The window does what it shows: the keyboard chooses files and segments as
// clicks do, Begin takes the time the clock shows, the wave and the progress
// show what is so, refused commands say why or mend themselves, the frame
// keeps its size and the add dialogs open where the user left them.
#include "MainSession.h"
#include "app/DesktopLauncher.h"
#include "app/WaveformView.h"
#include "components/skin/SkinWaveform.h"
#include "joblist/FileAdder.h"
#include "joblist/ListText.h"
#include "joblist/Scale.h"
#include "settings/SettingsFile.h"
#include "support/AudioFixtures.h"
#include "support/SegmentedRecord.h"

#include <QDir>
#include <QFile>
#include <QResizeEvent>
#include <QSignalSpy>
#include <QTableView>
#include <QTest>

using namespace korvex;
using Session = test::MainSession;

namespace {

constexpr int kRate = 8000;

// "hh:mm:ss" back to seconds.
int secondsOf(const QString &text)
{
    const QStringList parts = text.split(':');
    return parts.value(0).toInt() * 3600 + parts.value(1).toInt() * 60 + parts.value(2).toInt();
}

// The sizes a widget was given, and its face's size at each.
class ResizeWatch : public QObject
{
public:
    ResizeWatch(QWidget *window, QWidget *face) : m_face(face) { window->installEventFilter(this); }
    QList<std::pair<QSize, QSize>> seen;  // window, face

protected:
    bool eventFilter(QObject *, QEvent *event) override
    {
        if (event->type() == QEvent::Resize)
            seen.append({static_cast<QResizeEvent *>(event)->size(), m_face->size()});
        return false;
    }

private:
    QWidget *m_face;
};

class WindowFollows : public ::testing::Test
{
protected:
    Tfm_main &main() { return s.main(); }
    Settings &settings() { return main().settingsStore().settings(); }
    QString tone(const QString &name, int seconds)
    {
        const QString path = s.folder.file(name);
        test::writeAudioFile(path, test::sineSpec(kRate, 1, qint64(seconds) * kRate));
        return path;
    }
    void addThroughTheDialog(const QStringList &paths)
    {
        s.recorder.dialogs.openAnswer = paths;
        s.clickSkin("addfile");
        ASSERT_TRUE(s.recorder.messages.errors.isEmpty()) << qPrintable(s.recorder.messages.errors.join('\n'));
    }
    void clickRow(QTableView *view, int row)
    {
        const QRect rect = view->visualRect(view->model()->index(row, 0));
        QTest::mouseClick(view->viewport(), Qt::LeftButton, {}, rect.center());
    }
    void activate()
    {
        main().activateWindow();
        ASSERT_TRUE(QTest::qWaitForWindowActive(&main()));
    }
    QStringList captions()
    {
        SegmentListModel &rows = *main().jobList().segmentModel();
        QStringList texts;
        for (int row = 0; row < rows.rowCount(); ++row)
            texts.append(rows.row(row).caption);
        return texts;
    }
    QString outputFolder()
    {
        const QString folder = s.folder.file("out") + QLatin1Char('/');
        QDir().mkpath(folder);
        settings().OutputFolder = folder;
        return folder;
    }

    Session s;
};

// Down in the file list chooses the next file: its path, segments and
// slider, and the steps and Begin then work on it, in its own time.
TEST_F(WindowFollows, TheKeyboardChoosesFilesAndSegmentsAsClicksDo)
{
    const QString first = tone("first.wav", 200);
    const QString second = tone("second.wav", 40);
    addThroughTheDialog({first, second});
    activate();
    clickRow(main().lv, 0);
    main().lv->setFocus();
    QTest::keyClick(main().lv, Qt::Key_Down);
    EXPECT_EQ(main().jobList().SelectedFileRow, 1);
    EXPECT_EQ(s.skinText("nm"), second);
    EXPECT_EQ(captions(), QStringList{"00:00:00 - 00:00:40"});

    for (int step = 0; step < 4; ++step)
        QTest::keyClick(main().lv, Qt::Key_Right, Qt::ControlModifier);
    const QString clock = s.skinText("timecaption");
    EXPECT_NE(clock, "00:00:00");
    QTest::keyClick(main().lv, Qt::Key_B);
    EXPECT_EQ(main().jobList().job(1).BeginTime.at(0), qint64(secondsOf(clock)) * 1000);
    EXPECT_EQ(main().jobList().job(0).BeginTime.at(0), 0);
    EXPECT_EQ(captions(), QStringList{clock + " - 00:00:40"});
    QTest::keyClick(main().lv, Qt::Key_Return);
    EXPECT_EQ(s.statuses(), (QStringList{"Ok", "Uncertain"}));

    // Up goes back, and the first file's own slider time is shown again
    QTest::keyClick(main().lv, Qt::Key_Up);
    EXPECT_EQ(s.skinText("nm"), first);
    EXPECT_EQ(captions(), QStringList{"00:00:00 - 00:03:20"});

    // the segment list chosen with the keyboard: Play then plays the segment
    QTest::keyClick(main().lv, Qt::Key_Down);
    main().lv_time->setFocus();
    QTest::keyClick(main().lv_time, Qt::Key_Up);
    EXPECT_TRUE(main().jobList().SegmentSelected);
    EXPECT_EQ(main().jobList().SelectedSegmentRow, 0);
    QTest::keyClick(main().lv_time, Qt::Key_Space);
    EXPECT_TRUE(main().playerState().Playing);
    EXPECT_TRUE(main().playerState().SegmentPlayback);
    QTest::keyClick(main().lv_time, Qt::Key_Space);
    EXPECT_FALSE(main().playerState().Playing);
    EXPECT_TRUE(s.recorder.messages.errors.isEmpty()) << qPrintable(s.recorder.messages.errors.join('\n'));
}

// In unification mode the knob stands in the selected file; the clock shows
// that file's time and Begin takes it, for entry 0's segments.
TEST_F(WindowFollows, InUnificationModeClockKnobAndBeginAgree)
{
    addThroughTheDialog({tone("long.wav", 60), tone("short.wav", 18)});
    settings().SplitMode = split_mode::Unification;
    clickRow(main().lv, 1);
    SkinFace &face = main().skinFace();
    face.setPosition("pb", face.maxPosition("pb") / 10);
    face.redraw("pb");
    clickRow(main().lv, 0);
    clickRow(main().lv, 1);
    const int knobSeconds = Scale(face.position("pb"), 18, face.maxPosition("pb"));
    EXPECT_EQ(s.skinText("timecaption"), TimeText(knobSeconds));
    s.clickSkin("Begin");
    EXPECT_EQ(main().jobList().job(0).BeginTime.at(0), qint64(knobSeconds) * 1000);
}

// Right after OK the confirmed segment is a band of its own and the new
// pending one is the outlined one, before anything else is redrawn.
TEST_F(WindowFollows, OkShowsTheConfirmedBandAtOnce)
{
    addThroughTheDialog({tone("band.wav", 100)});
    clickRow(main().lv, 0);
    SkinFace &face = main().skinFace();
    face.setPosition("pb", face.maxPosition("pb") / 2);
    face.redraw("pb");
    for (int step = 0; step < 3; ++step)
        s.clickSkin("qian");
    s.clickSkin("Begin");
    s.clickSkin("Ok");
    auto *wave = dynamic_cast<SkinWaveform *>(s.form()->findObject(WaveformView::ObjectName));
    ASSERT_NE(wave, nullptr);
    const QList<SkinWaveBand> bands = wave->bands();
    ASSERT_EQ(bands.size(), 2);
    EXPECT_FALSE(bands[0].pending);
    EXPECT_NEAR(bands[0].begin, main().jobList().job(0).BeginTime.at(0) / 100000.0, 1e-9);
    EXPECT_TRUE(bands[1].pending);
    EXPECT_EQ(bands[1].begin, 0.0);
}

// After a custom split the list shows the run's rows; Begin, End and OK
// bring the file's own segments back and work. After a failed run Split is
// not ignored: the window is ready again without a Stop.
TEST_F(WindowFollows, NoCommandIsLeftSilentlyDeadAfterARun)
{
    const QString folder = outputFolder();
    addThroughTheDialog({tone("marked.wav", 12)});
    test::setSegments(main().jobList().job(0), {{2, 6}, {0, 12}});
    clickRow(main().lv, 0);
    s.clickRun("Split");
    ASSERT_TRUE(s.recorder.messages.errors.isEmpty()) << qPrintable(s.recorder.messages.errors.join('\n'));
    ASSERT_EQ(s.statuses(), QStringList{"Finish"});
    s.clickSkin("Begin");
    EXPECT_EQ(s.statuses(), (QStringList{"OK", "Uncertain"}));
    s.clickSkin("Ok");
    EXPECT_EQ(main().jobList().job(0).Count, 3);
    EXPECT_TRUE(s.recorder.messages.errors.isEmpty());

    settings().OutputFolder = s.folder.file("no/such/folder/");
    s.clickRun("Split");
    ASSERT_EQ(s.recorder.messages.errors.size(), 1);
    EXPECT_FALSE(main().runState().Converting);
    EXPECT_EQ(s.skinText("pbpos"), "");
    settings().OutputFolder = folder;
    const int before = QDir(folder).entryList(QDir::Files).size();
    s.clickRun("Split");
    EXPECT_GT(QDir(folder).entryList(QDir::Files).size(), before);
    EXPECT_EQ(s.recorder.messages.errors.size(), 1);
}

// F1 when the desktop cannot show the page: the user hears so, and where the
// page is. The launcher itself learns it from xdg-open's exit status.
TEST_F(WindowFollows, AHelpPageThatCannotBeOpenedIsSaidWithItsPlace)
{
    s.recorder.launcher.failWith = QStringLiteral("No program to open it with was found.");
    activate();
    QTest::keyClick(&main(), Qt::Key_F1);
    const QString page = QStringLiteral(KORVEX_BINARY_DIR "/help/korvex.html");
    ASSERT_EQ(s.recorder.launcher.opened, QStringList{page});
    ASSERT_EQ(s.recorder.messages.errors.size(), 1);
    EXPECT_TRUE(s.recorder.messages.errors[0].contains(page));
    EXPECT_TRUE(s.recorder.messages.errors[0].contains(s.recorder.launcher.failWith));

    const QString bin = s.folder.file("bin");
    QDir().mkpath(bin);
    QFile opener(bin + QStringLiteral("/xdg-open"));
    ASSERT_TRUE(opener.open(QIODevice::WriteOnly));
    opener.write("#!/bin/sh\nexit 3\n");
    opener.close();
    opener.setPermissions(QFileDevice::ReadOwner | QFileDevice::WriteOwner | QFileDevice::ExeOwner);
    const QByteArray path = qgetenv("PATH");
    qputenv("PATH", bin.toLocal8Bit() + ':' + path);
    DesktopLauncher launcher;
    QString reason;
    bool done = false;
    launcher.open(page, [&](const QString &why) {
        reason = why;
        done = true;
    });
    EXPECT_TRUE(QTest::qWaitFor([&] { return done; }, 20000));
    qputenv("PATH", path);
    EXPECT_EQ(reason, "No program to open it with was found.");
}

// A window manager that stretches or squeezes the window anyway gets the
// window back at its frame; meanwhile the face keeps its size and place.
TEST_F(WindowFollows, TheFrameStaysAndTheFaceNeverStretches)
{
    QWidget *help = s.skinWidget("Help");
    const QRect helpPlace = help->geometry();
    QWidget *face = s.form();
    for (const QSize forced : {QSize(1000, 700), QSize(400, 300)}) {
        SCOPED_TRACE(forced.width());
        ResizeWatch watch(&main(), face);
        // as a window manager that ignores the size hints would
        main().setMinimumSize(0, 0);
        main().setMaximumSize(QWIDGETSIZE_MAX, QWIDGETSIZE_MAX);
        main().resize(forced);
        QTRY_VERIFY(!watch.seen.isEmpty() && watch.seen.last().first == QSize(563, 414));
        ASSERT_EQ(watch.seen.first().first, forced);
        for (const auto &[window, faceSize] : watch.seen)
            EXPECT_EQ(faceSize, QSize(563, 414));
        EXPECT_EQ(help->geometry(), helpPlace);
        EXPECT_EQ(main().size(), QSize(563, 414));
        EXPECT_EQ(main().minimumSize(), main().maximumSize());
    }
    main().showMaximized();
    QTRY_VERIFY(!(main().windowState() & Qt::WindowMaximized));
    EXPECT_EQ(main().size(), QSize(563, 414));
}

// While a split runs the skin says which piece of how many, and a thin bar
// shows the whole split by audio time; both go when it ends.
TEST_F(WindowFollows, ASplitShowsPieceNOfMAndTheWholeRunThenClears)
{
    outputFolder();
    addThroughTheDialog({tone("a.wav", 9), tone("b.wav", 6)});
    settings().SplitMode = split_mode::Time;
    settings().SplitSeconds = 3;
    QStringList pieces;
    QList<int> runWidths;
    QObject context;
    QObject::connect(&main().skinFace(), &SkinFace::redrawRequested, &context, [&](const QString &name) {
        if (name == "runpiece" && !s.skinText("runpiece").isEmpty())
            pieces.append(s.skinText("runpiece"));
        if (name == "runbar")
            runWidths.append(main().skinFace().rect("runbar").width());
    });
    s.clickRun("Split");
    ASSERT_TRUE(s.recorder.messages.errors.isEmpty()) << qPrintable(s.recorder.messages.errors.join('\n'));
    EXPECT_EQ(pieces, (QStringList{"piece 1 of 5", "piece 2 of 5", "piece 3 of 5", "piece 4 of 5",
                                   "piece 5 of 5"}));
    ASSERT_GE(runWidths.size(), 6);
    EXPECT_TRUE(std::is_sorted(runWidths.begin(), runWidths.end() - 1));
    EXPECT_GE(*std::max_element(runWidths.begin(), runWidths.end()), 330);
    // cleared at the end
    EXPECT_EQ(runWidths.last(), 0);
    EXPECT_EQ(s.skinWidget("runbar")->width(), 0);
    EXPECT_EQ(s.skinText("runpiece"), "");
    EXPECT_EQ(s.skinText("pbpos"), "");
}

// The open dialog opens where files were last added from, on the audio
// filter; Add Folder shares that place, which Korvex.ini keeps.
TEST_F(WindowFollows, AddDialogsOpenWhereTheUserLastAddedFrom)
{
    const QString music = s.folder.file("music");
    QDir().mkpath(music);
    const QString inMusic = music + QStringLiteral("/song.wav");
    test::writeAudioFile(inMusic, test::sineSpec(kRate, 1, 3 * kRate));
    addThroughTheDialog({inMusic});
    ASSERT_EQ(s.recorder.dialogs.openRequests.size(), 1);
    const OpenFilesRequest first = s.recorder.dialogs.openRequests[0];
    EXPECT_FALSE(first.startFolder.isEmpty());
    EXPECT_NE(first.startFolder, QDir::currentPath());
    EXPECT_EQ(first.filter.split('|').value(2 * first.filterIndex), "Audio files");

    s.recorder.dialogs.openAnswer.clear();
    s.clickSkin("addfile");
    EXPECT_EQ(s.recorder.dialogs.openRequests.last().startFolder, music);
    main().menus->item("AddFolder2")->trigger();
    EXPECT_EQ(s.recorder.dialogs.folderStarts.last(), music);
    EXPECT_EQ(main().settingsStore().file().readString("Add", "Folder", QString()), music);

    const QString other = s.folder.file("other");
    QDir().mkpath(other);
    s.recorder.dialogs.folderAnswer = other;
    main().menus->item("AddFolder2")->trigger();
    s.recorder.dialogs.openAnswer.clear();
    s.clickSkin("addfile");
    EXPECT_EQ(s.recorder.dialogs.openRequests.last().startFolder, other);

    // every extension the filter names, and the ones Korvex is known by
    const QString audio = FileAdder::OpenFilter.split('|').value(3);
    for (const char *extension : {"*.wma", "*.mp3", "*.ogg", "*.opus", "*.flac", "*.wav", "*.m4a", "*.aac",
                                  "*.ac3", "*.mka", "*.webm", "*.amr", "*.spx", "*.tta", "*.aiff", "*.cue"})
        EXPECT_TRUE(audio.split(';').contains(QLatin1String(extension))) << extension;
}

} // namespace
