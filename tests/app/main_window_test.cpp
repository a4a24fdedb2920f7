#include "MainSession.h"
#include "app/Application.h"
#include "app/Tfm_about.h"
#include "settings/ui/Tfm_dir.h"
#include "settings/ui/Tfm_set.h"
#include "tags/ui/Tfm_id3.h"
#include "components/skin/SkinForm.h"
#include "components/skin/TSkin.h"
#include "settings/SettingsFile.h"
#include "support/AudioFixtures.h"
#include "support/RecordingSeams.h"
#include "support/TempDir.h"

#include <QAction>
#include <QApplication>
#include <QComboBox>
#include <QDir>
#include <QFile>
#include <QHeaderView>
#include <QLabel>
#include <QMenu>
#include <QPlainTextEdit>
#include <QSignalSpy>
#include <QTableView>
#include <QTest>
#include <QTextBlock>
#include <QTimer>
#include <gtest/gtest.h>

using namespace korvex;

namespace {

using Session = test::MainSession;

// Runs the check on the next modal dialog as soon as it is open, then closes it.
void onNextModal(std::function<void(QWidget *)> check)
{
    QTimer::singleShot(0, [check] {
        QWidget *modal = QApplication::activeModalWidget();
        ASSERT_NE(modal, nullptr);
        check(modal);
        modal->close();
    });
}

} // namespace

TEST(MainWindow, HasItsFixedSizeAndTitleAndMakesTheDialogsInOrder)
{
    Session s;
    Tfm_main &main = s.main();
    EXPECT_EQ(main.windowTitle(), "Korvex");
    EXPECT_EQ(main.size(), QSize(563, 414));
    EXPECT_EQ(main.minimumSize(), main.maximumSize());
    EXPECT_FALSE(main.windowFlags() & Qt::WindowMaximizeButtonHint);
    EXPECT_TRUE(main.windowFlags() & Qt::WindowMinimizeButtonHint);
    // the dialogs exist from the start and are not shown
    const QList<QDialog *> dialogs = main.findChildren<QDialog *>(Qt::FindDirectChildrenOnly);
    ASSERT_EQ(dialogs.size(), 4);
    EXPECT_EQ(dialogs[0], static_cast<QDialog *>(s.windows.fm_set));
    EXPECT_EQ(dialogs[1], static_cast<QDialog *>(s.windows.fm_dir));
    EXPECT_EQ(dialogs[2], static_cast<QDialog *>(s.windows.fm_about));
    EXPECT_EQ(dialogs[3], static_cast<QDialog *>(s.windows.fm_id3));
    for (QDialog *dialog : dialogs)
        EXPECT_FALSE(dialog->isVisible());

    EXPECT_EQ(main.lv->geometry(), QRect(120, 92, 130, 187));
    EXPECT_EQ(main.lv_time->geometry(), QRect(243, 92, 217, 187));
    EXPECT_EQ(main.sm->geometry(), QRect(120, 92, 341, 188));
    EXPECT_EQ(main.cb_format->geometry().topLeft(), QPoint(418, 59));
    EXPECT_EQ(main.cb_format->width(), 53);
    ASSERT_EQ(main.cb_format->count(), 8);
    EXPECT_EQ(main.cb_format->currentText(), "WMA");
    EXPECT_EQ(main.cb_format->itemText(7), "Same as source (no re-encoding)");
    EXPECT_TRUE(FileAdder::OpenFilter.startsWith("WMA Files(*.wma)|*.wma|"));

    EXPECT_EQ(main.lv->model()->headerData(0, Qt::Horizontal).toString(), "File name");
    EXPECT_EQ(main.lv->columnWidth(0), 120);
    EXPECT_TRUE(main.lv->isColumnHidden(1));
    EXPECT_FALSE(main.lv->horizontalHeader()->sectionsClickable());
    EXPECT_EQ(main.lv->editTriggers(), QAbstractItemView::NoEditTriggers);
    EXPECT_EQ(main.lv_time->columnWidth(0), 100);
    EXPECT_EQ(main.lv_time->columnWidth(2), 64);
}

TEST(MainWindow, MemoHoldsTheTenInstructionLinesExactly)
{
    Session s;
    const QStringList expected = {
        "",
        " ",
        "    1. Click \"Add\" to add files you want to convert",
        "    2. Set begin-time/end-time for every file.            ",
        "    3. Click \"OK\" button to notarize.",
        "    4. Set Output Format",
        "    5. To cut piece from one big audio file, Click \"Split\"",
        "    6. To marge multiple files into one big file, Click ",
        "\"Join\"",
        "    7. To terminate the conversion, click \"Stop\" button. ",
    };
    QTextDocument *document = s.main().sm->document();
    ASSERT_EQ(document->blockCount(), 10);
    for (int line = 0; line < 10; ++line)
        EXPECT_EQ(document->findBlockByNumber(line).text(), expected[line]) << line;
    EXPECT_FALSE(s.main().sm->isEnabled());
    EXPECT_TRUE(s.main().sm->isReadOnly());
    EXPECT_TRUE(s.main().sm->font().italic());
}

TEST(MainWindow, StateAfterStartUp)
{
    Session s;
    Tfm_main &main = s.main();
    // the memo lies over both lists
    EXPECT_TRUE(main.sm->isVisible());
    EXPECT_TRUE(main.sm->geometry().contains(main.lv->geometry()));
    EXPECT_TRUE(main.sm->geometry().contains(main.lv_time->geometry()));
    QWidget *top = main.childAt(QPoint(200, 150));
    EXPECT_TRUE(top == main.sm || main.sm->isAncestorOf(top));

    SkinFace &face = main.skinFace();
    EXPECT_EQ(face.position("pb"), 0);
    EXPECT_EQ(face.text("pbpos"), "");
    EXPECT_EQ(face.rect("convertpb").width(), 0);
    EXPECT_EQ(face.text("tataltime"), "00:00:00");
    EXPECT_EQ(main.convertProgress().ConvertBarRect().left(), face.rect("convertpb").left());
    // and what the user sees
    EXPECT_EQ(s.skinWidget("convertpb")->width(), 0);
    EXPECT_EQ(s.form()->findObject("tataltime")->textInterface()->text(), "00:00:00");
    EXPECT_EQ(s.form()->findObject("pbpos")->textInterface()->text(), "");
    EXPECT_EQ(s.form()->findObject("pb")->sliderInterface()->position(), 0);

    EXPECT_EQ(main.AudioFileRead.optionValue(), -1);
    EXPECT_EQ(main.AudioFile2write.optionValue(), -1);
    EXPECT_EQ(main.AudioFileRead.isOpen(), 0);
    EXPECT_FALSE(main.runState().Converting);
    EXPECT_FALSE(main.playerState().Playing);
    EXPECT_FALSE(main.playerState().SeekDragging);
    EXPECT_FALSE(main.jobList().SegmentSelected);
    EXPECT_EQ(main.jobList().SelectedSegmentRow, 0);
    // LoadSettings ran: the output folder exists and ends in "/"
    EXPECT_TRUE(main.settingsStore().settings().OutputFolder.endsWith('/'));
    EXPECT_TRUE(s.recorder.messages.errors.isEmpty());
}

TEST(MainWindow, CoreRedrawsReachTheSkinAndDragsComeBack)
{
    Session s;
    SkinFace &face = s.main().skinFace();
    face.setText("nm", "/music/long/path/song.wma");
    face.redraw("nm");
    EXPECT_EQ(s.form()->findObject("nm")->textInterface()->text(), "/music/long/path/song.wma");
    face.setRangeEnd("pb", 1200);
    face.setThumbSize("pb", 57);
    face.redraw("pb");

    QSignalSpy tracks(&face, &SkinFace::OnScrollTrack);
    QSignalSpy ups(&face, &SkinFace::OnMouseUp);
    QWidget *pb = s.skinWidget("pb");
    QTest::mousePress(pb, Qt::LeftButton, {}, QPoint(pb->width() / 4, pb->height() / 2));
    QTest::mouseMove(pb, QPoint(pb->width() - 1, pb->height() / 2));
    QTest::mouseRelease(pb, Qt::LeftButton, {}, QPoint(pb->width() - 1, pb->height() / 2));
    ASSERT_GE(tracks.count(), 1);
    EXPECT_EQ(tracks.last().at(0).toString(), "pb");
    EXPECT_EQ(face.position("pb"), 1143);
    ASSERT_EQ(ups.count(), 1);
    EXPECT_EQ(ups.first().at(1).toInt(), int(Qt::LeftButton));
}

TEST(MainWindow, ShutdownStopsTheRunAndWritesTheSettingsBack)
{
    Session s;
    Tfm_main &main = s.main();
    main.settingsStore().settings().SplitSeconds = 77;
    main.settingsStore().settings().SplitMode = 2;
    main.runState().Converting = true;
    QRect wide = main.skinFace().rect("convertpb");
    wide.setWidth(200);
    main.skinFace().setRect("convertpb", wide);
    main.skinFace().redraw("convertpb");

    QSignalSpy ended(&main, &Tfm_main::sessionEnded);
    EXPECT_TRUE(main.close());
    EXPECT_EQ(ended.count(), 1);  // no command on the stack: the program may end at once
    EXPECT_FALSE(main.runState().Converting);
    EXPECT_EQ(s.skinWidget("convertpb")->width(), 0);

    SettingsStore reread;
    reread.LoadSettings();
    EXPECT_EQ(reread.settings().SplitSeconds, 77);
    EXPECT_EQ(reread.settings().SplitMode, 2);
}

// While files are added (and measured on other threads), the window goes on
// taking clicks: Stop, Split, Clear and another "Add File" change nothing,
// and a close ends the session only once the list has filled.
TEST(MainWindow, ClicksAndACloseDuringAddingLetTheListFillFirst)
{
    Session s;
    Tfm_main &main = s.main();
    main.settingsStore().settings().OutputFolder = s.folder.file("out") + QLatin1Char('/');
    QStringList files;
    for (int i = 1; i <= 4; ++i) {
        files.append(s.folder.file(QStringLiteral("tone%1.wav").arg(i)));
        test::writeAudioFile(files.last(), test::sineSpec(44100, 2, 44100 * (i + 1)));
    }
    s.recorder.dialogs.openAnswer = files;
    QSignalSpy ended(&main, &Tfm_main::sessionEnded);
    int rowsAtTheClicks = -1;
    bool lockedAtTheClicks = false;
    QTimer::singleShot(0, &main, [&] {
        rowsAtTheClicks = main.jobList().rowCount();
        lockedAtTheClicks = main.jobList().Adding();
        s.clickSkin("stop");
        main.menus->item("Stop1")->trigger();
        s.clickSkin("Split");
        s.clickSkin("Clear");
        s.clickSkin("addfile");
        EXPECT_TRUE(main.close());
    });
    s.clickSkin("addfile");

    EXPECT_TRUE(lockedAtTheClicks);
    EXPECT_LT(rowsAtTheClicks, 4);
    ASSERT_EQ(main.jobList().rowCount(), 4);
    for (int row = 0; row < 4; ++row) {
        EXPECT_EQ(main.jobList().JobRecords().at(row).FileName, files[row]);
        EXPECT_EQ(main.jobList().JobRecords().at(row).Duration, row + 2);
    }
    EXPECT_EQ(s.recorder.dialogs.openRequests.size(), 1);
    EXPECT_FALSE(main.runState().Converting);
    EXPECT_FALSE(QDir(s.folder.file("out")).exists());
    EXPECT_EQ(ended.count(), 1);
    EXPECT_FALSE(main.isVisible());
    EXPECT_TRUE(s.recorder.messages.errors.isEmpty()) << qPrintable(s.recorder.messages.errors.join('\n'));
}

TEST(MainWindow, ExitMenuItemLeadsToTheSameShutdown)
{
    Session s;
    s.main().settingsStore().settings().SplitCount = 9;
    s.main().menus->item("Exit1")->trigger();
    EXPECT_FALSE(s.main().isVisible());
    SettingsStore reread;
    reread.LoadSettings();
    EXPECT_EQ(reread.settings().SplitCount, 9);
}

TEST(MainWindow, MissingSkinFileStartsWithTheBuiltInSkin)
{
    test::TestFolder empty;
    QStringList warnings;
    static QStringList *sink = nullptr;
    sink = &warnings;
    const QtMessageHandler previous = qInstallMessageHandler(
        [](QtMsgType, const QMessageLogContext &, const QString &text) { sink->append(text); });
    {
        Session s(empty.path());
        EXPECT_EQ(s.main().Skin1->skinOrigin(), "built-in");
        EXPECT_EQ(s.main().skinFace().text("tataltime"), "00:00:00");
        EXPECT_EQ(s.skinWidget("convertpb")->width(), 0);
        EXPECT_NE(s.skinWidget("addfile"), nullptr);
    }
    qInstallMessageHandler(previous);
    ASSERT_FALSE(warnings.isEmpty());
    EXPECT_TRUE(warnings.first().contains(empty.path() + "/mp3enc.dll")) << qPrintable(warnings.first());
    EXPECT_TRUE(warnings.first().contains("built-in skin"));
}

TEST(MainWindow, MenusHaveEveryItemCaptionSeparatorAndImage)
{
    Session s;
    MainMenus &menus = *s.main().menus;
    struct Row
    {
        const char *name;
        const char *caption;
        int image;
    };
    const QList<std::pair<QMenu *, QList<Row>>> expected = {
        {menus.p_lv,
         {{"AddFile1", "Add File", 0}, {"AddFolder1", "Add Path", 1}, {"N1", "-", -1}, {"Clear1", "Clear", 9},
          {"Remove1", "Remove", 2}, {"N2", "-", -1}, {"ID3info1", "ID3 info", 10}, {"N9", "-", -1},
          {"UP1", "UP", 11}, {"Down1", "Down", 12}, {"N3", "-", -1}, {"Play1", "Play", 17},
          {"Stop1", "Stop", 13}}},
        {menus.p_file,
         {{"AddFile2", "Add File", 0}, {"AddFolder2", "Add Folder", 1}, {"N12", "-", -1},
          {"OpenList1", "Open List\u2026", 5}, {"SaveList1", "Save List\u2026", 5}, {"N4", "-", -1},
          {"Remove2", "Remove", 2}, {"N5", "-", -1}, {"Exit1", "Exit", 3}}},
        {menus.p_action,
         {{"FileUp1", "File Up", 11}, {"FileDown1", "File Down", 12}, {"N7", "-", -1}, {"Remove3", "Remove", 2},
          {"Clear2", "Clear", 9}, {"FindSilences1", "Find Silences", 18},
          {"SegmentsFromChapters1", "Segments from Chapters", 16}, {"ExportCue1", "Export CUE…", 5},
          {"PlayAroundBegin1", "Play around Begin", 17}, {"PlayAroundEnd1", "Play around End", 17}, {"N6", "-", -1},
          {"ID31", "ID3 info", 10}, {"N8", "-", -1},
          {"Start1", "Split", 16}, {"Join1", "Join", 15}, {"Stop2", "Stop", 13}}},
        {menus.p_help,
         {{"Content1", "Content", 8}, {"N10", "-", -1}, {"HomePage1", "HomePage", 7}, {"N11", "-", -1},
          {"About1", "About", 6}}},
    };
    ASSERT_GE(menus.ImageList1.size(), 19);
    for (const auto &[menu, rows] : expected) {
        const QList<QAction *> actions = menu->actions();
        ASSERT_EQ(actions.size(), rows.size()) << qPrintable(menu->objectName());
        for (qsizetype i = 0; i < rows.size(); ++i) {
            EXPECT_EQ(actions[i]->objectName(), rows[i].name);
            if (rows[i].image < 0) {
                EXPECT_TRUE(actions[i]->isSeparator()) << rows[i].name;
                continue;
            }
            EXPECT_EQ(actions[i]->text(), rows[i].caption);
            EXPECT_EQ(actions[i]->icon().cacheKey(), menus.ImageList1[rows[i].image].cacheKey()) << rows[i].name;
            EXPECT_FALSE(actions[i]->icon().pixmap(16).isNull());
        }
    }
}

TEST(MainWindow, SkinButtonsOpenTheirMenusUnlessConverting)
{
    Session s;
    MainMenus &menus = *s.main().menus;
    const QPoint corner = s.main().frameGeometry().topLeft();
    s.clickSkin("Help");
    EXPECT_TRUE(menus.p_help->isVisible());
    EXPECT_EQ(menus.p_help->pos(), corner + QPoint(276, 80));
    menus.p_help->close();

    s.main().runState().Converting = true;
    s.clickSkin("file");
    s.clickSkin("Action");
    EXPECT_FALSE(menus.p_file->isVisible());
    EXPECT_FALSE(menus.p_action->isVisible());
    s.main().runState().Converting = false;
    s.clickSkin("file");
    EXPECT_TRUE(menus.p_file->isVisible());
    EXPECT_EQ(menus.p_file->pos(), corner + QPoint(19, 80));
    menus.p_file->close();
}

TEST(MainWindow, HelpAndHomePageGoThroughTheLauncher)
{
    Session s;
    s.clickSkin("helpfile");
    s.main().menus->item("Content1")->trigger();
    s.main().menus->item("HomePage1")->trigger();
    const QString help = QStringLiteral(KORVEX_BINARY_DIR "/help/korvex.html");
    EXPECT_EQ(s.recorder.launcher.opened, QStringList({help, help, Tfm_main::HomePage}));
}

TEST(MainWindow, StopClearsARunningConversion)
{
    Session s;
    s.main().runState().Converting = true;
    s.clickSkin("stop");  // the player's stop: not a run command
    EXPECT_TRUE(s.main().runState().Converting);
    s.clickSkin("Stop");
    EXPECT_FALSE(s.main().runState().Converting);
    s.main().runState().Converting = true;
    s.main().menus->item("Stop2")->trigger();
    EXPECT_FALSE(s.main().runState().Converting);
}

TEST(MainWindow, AboutBoxShowsNameVersionAndLinesAtTheWindowCorner)
{
    Session s;
    bool checked = false;
    onNextModal([&](QWidget *modal) {
        auto *about = qobject_cast<Tfm_about *>(modal);
        ASSERT_NE(about, nullptr);
        EXPECT_EQ(about->lbl_name->text(), "Korvex");
        EXPECT_EQ(about->lbl_version->text(), "Version: ");
        EXPECT_EQ(about->lbl_number->text(), "3.00");
        EXPECT_EQ(about->lbl_cut->text(), "Cut a new small file from a large WMA file. ");
        EXPECT_EQ(about->lbl_marge->text(), "Marge multiple wma files to a large new one");
        EXPECT_EQ(about->frameGeometry().topLeft(), s.main().frameGeometry().topLeft());
        checked = true;
    });
    s.main().menus->item("About1")->trigger();
    EXPECT_TRUE(checked);
}

TEST(MainWindow, SettingsAndTagDialogsOpenModally)
{
    Session s;
    for (const char *name : {"Settings", "Set"}) {
        QWidget *shown = nullptr;
        onNextModal([&](QWidget *modal) { shown = modal; });
        s.clickSkin(name);
        EXPECT_EQ(shown, static_cast<QWidget *>(s.windows.fm_set)) << name;
    }
    for (const char *item : {"ID3info1", "ID31"}) {
        QWidget *shown = nullptr;
        onNextModal([&](QWidget *modal) { shown = modal; });
        s.main().menus->item(item)->trigger();
        EXPECT_EQ(shown, static_cast<QWidget *>(s.windows.fm_id3)) << item;
    }
}

TEST(MainWindow, AddButtonAddsTheChosenFilesAndUncoversTheLists)
{
    Session s;
    const QString path = s.folder.file("three seconds.wma");
    test::AudioSpec tone;
    tone.frames = 3 * 44100;
    test::writeAudioFile(path, tone);
    s.recorder.dialogs.openAnswer = {path};

    s.clickSkin("addfile");
    ASSERT_EQ(s.recorder.dialogs.openRequests.size(), 1);
    EXPECT_TRUE(s.recorder.dialogs.openRequests.first().multiple);
    ASSERT_EQ(s.main().jobList().rowCount(), 1);
    EXPECT_FALSE(s.main().sm->isVisible());
    EXPECT_TRUE(s.main().lv->isVisible());
    EXPECT_NEAR(s.main().jobList().job(0).Duration, 3, 1);
    EXPECT_EQ(s.main().skinFace().text("nm"), path);
    EXPECT_TRUE(s.recorder.messages.errors.isEmpty()) << qPrintable(s.recorder.messages.errors.join('\n'));

    // while converting, neither the button nor the menu items add anything
    s.main().runState().Converting = true;
    s.clickSkin("addfile");
    s.main().menus->item("AddFile2")->trigger();
    EXPECT_EQ(s.recorder.dialogs.openRequests.size(), 1);
    EXPECT_EQ(s.main().jobList().rowCount(), 1);
}

// A settings file the window cannot read (here a folder where the file should
// be, or a line far longer than any setting) is named in a message at start,
// and the window goes on with what it could read and the defaults.
TEST(HostileInputWindow, ASettingsFileThatCannotBeReadIsNamedAtStart)
{
    struct Case
    {
        const char *name;
        bool folderInItsPlace;
        const char *said;
    };
    for (const Case &c : {Case{"a folder", true, "could not be read"},
                          Case{"an overlong line", false, "longer than 64 KiB"}}) {
        SCOPED_TRACE(c.name);
        test::TestFolder folder;
        const QString ini = folder.configHome() + QStringLiteral("/Korvex.ini");
        const QString dir = folder.file(QStringLiteral("pieces/"));
        ASSERT_TRUE(QDir().mkpath(c.folderInItsPlace ? ini : dir));
        if (!c.folderInItsPlace) {
            QFile file(ini);
            ASSERT_TRUE(file.open(QIODevice::WriteOnly));
            file.write("[Output]\nDir=" + dir.toUtf8() + "\n[Main]\nPath=" + QByteArray(70 * 1024, 'x') + "\n");
        }
        test::RecordingSeams recorder;
        MainWindowOptions options;
        options.programFolder = QStringLiteral(KORVEX_BINARY_DIR);
        options.seams = recorder.seams();
        KorvexWindows windows = CreateWindows(options);
        windows.fm_main->show();
        ASSERT_TRUE(QTest::qWaitFor([&] { return !recorder.messages.errors.isEmpty(); }, 5000));
        ASSERT_EQ(recorder.messages.errors.size(), 1);
        EXPECT_TRUE(recorder.messages.errors.first().contains(ini));
        EXPECT_TRUE(recorder.messages.errors.first().contains(QLatin1String(c.said)));
        EXPECT_TRUE(recorder.messages.errors.first().contains(QLatin1String("defaults")));
        // what could be read is kept
        if (!c.folderInItsPlace) {
            EXPECT_EQ(windows.fm_main->settingsStore().settings().OutputFolder, dir);
        }
    }
}
