// Pictures of the main window for people to look at: the window as it starts
// and the window in use. They land in the build folder.
#include "MainSession.h"
#include "app/Application.h"
#include "app/Tfm_about.h"
#include "joblist/ListText.h"
#include "support/AudioFixtures.h"
#include "support/RecordingSeams.h"
#include "support/TempDir.h"

#include <QApplication>
#include <QDir>
#include <QElapsedTimer>
#include <QFileInfo>
#include <QImage>
#include <QMenu>
#include <QPixmap>
#include <QPlainTextEdit>
#include <QSignalSpy>
#include <QTableView>
#include <gtest/gtest.h>

using namespace korvex;

namespace {

void expectPainted(const QImage &image)
{
    // a face, not an empty window: many distinct colours
    QSet<QRgb> colours;
    for (int y = 0; y < image.height(); y += 3) {
        for (int x = 0; x < image.width(); x += 3)
            colours.insert(image.pixel(x, y));
    }
    EXPECT_GT(colours.size(), 50);
}

} // namespace

TEST(Screenshot, MainWindowAtStartAndInUse)
{
    test::TestFolder folder;
    test::RecordingSeams recorder;
    MainWindowOptions options;
    options.programFolder = QStringLiteral(KORVEX_BINARY_DIR);
    options.seams = recorder.seams();
    KorvexWindows windows = CreateWindows(options);
    Tfm_main &main = *windows.fm_main;
    main.show();
    QApplication::processEvents();

    const QString start = QStringLiteral(KORVEX_BINARY_DIR "/korvex-main.png");
    const QPixmap startShot = main.grab();
    ASSERT_TRUE(startShot.save(start));
    EXPECT_EQ(startShot.size(), QSize(563, 414) * startShot.devicePixelRatio());
    expectPainted(startShot.toImage());

    const QList<std::pair<const char *, int>> files = {
        {"Morning Session.wma", 754}, {"Interview part 2.wma", 1822}, {"Field recording.wma", 301}};
    for (const auto &[name, seconds] : files) {
        listrecord record = newListRecord(QStringLiteral("/home/user/Music/") + name, seconds * 1000LL,
                                          seconds * 44100LL, FileSeekRangeMinimum);
        main.jobList().appendEntry(FileRow{QString::fromLatin1(name), TimeText(seconds), QString()}, record);
    }
    main.jobList().selectFileRow(1);
    main.jobEditor().lvClick();
    SkinFace &face = main.skinFace();
    face.setPosition("pb", face.maxPosition("pb") / 3);
    face.setText("timecaption", TimeText(607));
    face.redraw("pb");
    face.redraw("timecaption");
    main.convertProgress().ShowConvertProgress(4200, false);
    face.setText("pbpos", "42%");
    face.redraw("pbpos");
    QApplication::processEvents();
    const QPixmap busyShot = main.grab();
    ASSERT_TRUE(busyShot.save(QStringLiteral(KORVEX_BINARY_DIR "/korvex-in-use.png")));
    expectPainted(busyShot.toImage());
    EXPECT_FALSE(main.sm->isVisible());

    // the action menu and the about box, as they open
    main.menus->p_action->popup(main.mapToGlobal(QPoint(69, 50)));
    QApplication::processEvents();
    const QPixmap menuShot = main.menus->p_action->grab();
    ASSERT_TRUE(menuShot.save(QStringLiteral(KORVEX_BINARY_DIR "/korvex-menu.png")));
    expectPainted(menuShot.toImage());
    main.menus->p_action->close();
    main.menus->p_file->popup(main.mapToGlobal(QPoint(19, 50)));
    QApplication::processEvents();
    const QPixmap fileMenuShot = main.menus->p_file->grab();
    ASSERT_TRUE(fileMenuShot.save(QStringLiteral(KORVEX_BINARY_DIR "/korvex-file-menu.png")));
    expectPainted(fileMenuShot.toImage());
    main.menus->p_file->close();
    windows.fm_about->show();
    QApplication::processEvents();
    ASSERT_TRUE(windows.fm_about->grab().save(QStringLiteral(KORVEX_BINARY_DIR "/korvex-about.png")));
    windows.fm_about->close();
}

// A real split caught halfway: the entry selected, its piece "Converting",
// the percentage and the bar part of the way, "piece 1 of 3" above them.
TEST(Screenshot, MainWindowDuringASplit)
{
    test::MainSession s;
    Settings &settings = s.main().settingsStore().settings();
    settings.OutputFolder = s.folder.file("out") + QLatin1Char('/');
    settings.SplitMode = split_mode::Time;
    settings.SplitSeconds = 8;
    QDir().mkpath(settings.OutputFolder);
    const QString path = s.folder.file("Evening Concert.wma");
    test::writeAudioFile(path, test::sineSpec(44100, 2, 20 * 44100));
    s.recorder.dialogs.openAnswer = {path};
    s.clickSkin("addfile");

    const QString shot = QStringLiteral(KORVEX_BINARY_DIR "/korvex-converting.png");
    s.atProgress(40, [&] {
        QApplication::processEvents();
        const QPixmap picture = s.main().grab();
        EXPECT_TRUE(picture.save(shot));
        expectPainted(picture.toImage());
        EXPECT_GT(s.skinWidget("convertpb")->width(), 100);
        // which piece of how many, and the whole split's thin bar
        EXPECT_EQ(s.skinText("runpiece"), "piece 1 of 3");
        EXPECT_GT(s.skinWidget("runbar")->width(), 0);
        s.clickSkin("Stop");
    });
    s.clickRun("Split");
    EXPECT_TRUE(s.actionArmed());
    EXPECT_TRUE(QFileInfo::exists(shot));
    EXPECT_TRUE(s.recorder.messages.errors.isEmpty()) << qPrintable(s.recorder.messages.errors.join('\n'));
}

// A marked segment playing: its row says "Playing", and the slider, the
// clock and the wave's line stand together inside the segment.
TEST(Screenshot, MainWindowPlayingASegmentInRealTime)
{
    test::MainSession s;
    const QString path = s.folder.file("Evening Concert.wma");
    test::writeAudioFile(path, test::sineSpec(44100, 2, 150 * 44100));
    s.recorder.dialogs.openAnswer = {path};
    s.clickSkin("addfile");
    listrecord &entry = s.main().jobList().job(0);
    entry.BeginTime = {12000, 65000, 0};
    entry.EndTime = {40000, 73000, qint64(entry.Duration) * 1000};
    entry.Count = 3;
    s.main().jobEditor().ShowTotalTime();
    QTableView *lv = s.main().lv;
    QTableView *lv_time = s.main().lv_time;
    QTest::mouseClick(lv->viewport(), Qt::LeftButton, {}, lv->visualRect(lv->model()->index(0, 0)).center());
    QTest::mouseClick(lv_time->viewport(), Qt::LeftButton, {},
                      lv_time->visualRect(lv_time->model()->index(1, 0)).center());
    s.clickSkin("play");
    ASSERT_TRUE(s.main().playerState().Playing);
    QElapsedTimer clock;
    clock.start();
    while (s.skinText("timecaption") < "00:00:02" && clock.elapsed() < 30000) {
        QSignalSpy redraws(&s.main().skinFace(), &SkinFace::redrawRequested);
        redraws.wait(250);
    }
    ASSERT_GE(s.skinText("timecaption"), "00:00:02");
    EXPECT_EQ(s.main().jobList().segmentModel()->status(1), "Playing");
    EXPECT_GT(s.form()->findObject("pb")->sliderInterface()->position(), 0);
    QApplication::processEvents();
    const QPixmap picture = s.main().grab();
    ASSERT_TRUE(picture.save(QStringLiteral(KORVEX_BINARY_DIR "/korvex-playing.png")));
    expectPainted(picture.toImage());
    s.clickSkin("stop");
    EXPECT_EQ(s.main().jobList().segmentModel()->status(1), "OK");
}
