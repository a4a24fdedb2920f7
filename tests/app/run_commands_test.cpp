// Split, join and stop as the user gives them: clicks on the skin and menu
// items of the real window, real files, recording seams.
#include "MainSession.h"
#include "joblist/JobRecords.h"
#include "joblist/StatusWords.h"
#include "support/AudioFixtures.h"

#include <QAction>
#include <QDir>
#include <QFile>
#include <QSignalSpy>
#include <QTableView>
#include <QTimer>

#include <utility>

using namespace korvex;
using Session = test::MainSession;

namespace {

constexpr int kRate = 44100;
// A decode with FFmpeg runs on into the encoder's padding of silence.
constexpr double kPadding = kRate / 10.0;

class RunCommands : public ::testing::Test
{
protected:
    RunCommands()
    {
        s.main().settingsStore().settings().OutputFolder = outputFolder();
        QDir().mkpath(outputFolder());
    }

    QString outputFolder() { return s.folder.file("out") + QLatin1Char('/'); }
    QStringList pieces() { return QDir(outputFolder()).entryList({"*.wma"}, QDir::Files, QDir::Name); }
    Settings &settings() { return s.main().settingsStore().settings(); }

    // A generated WMA added through the window's own adder. Half a second
    // more than asked: the job counts whole seconds and a WMA file's
    // duration falls a few milliseconds short of what was written.
    QString addTone(const QString &name, int seconds)
    {
        const QString path = s.folder.file(name);
        test::writeAudioFile(path, test::sineSpec(kRate, 2, qint64(seconds) * kRate + kRate / 2));
        s.recorder.dialogs.openAnswer = {path};
        s.clickSkin("addfile");
        return path;
    }
    void expectIdleFace()
    {
        EXPECT_FALSE(s.main().runState().Converting);
        EXPECT_EQ(s.skinWidget("convertpb")->width(), 0);
        EXPECT_EQ(s.skinText("pbpos"), "");
        EXPECT_EQ(s.main().skinFace().text("pbpos"), "");
    }
    void expectNoErrors()
    {
        EXPECT_TRUE(s.recorder.messages.errors.isEmpty()) << qPrintable(s.recorder.messages.errors.join('\n'));
    }

    Session s;
};

// What the user saw of "pbpos" and "convertpb" while a run worked: read from
// the skin's own objects each time the core asked for a redraw.
struct FaceWatch
{
    explicit FaceWatch(Session &session)
    {
        QObject::connect(&session.main().skinFace(), &SkinFace::redrawRequested, &context,
                         [this, &session](const QString &name) {
                             if (name == "pbpos" && !session.skinText("pbpos").isEmpty())
                                 percents.append(session.skinText("pbpos"));
                             if (name == "convertpb")
                                 widest = qMax(widest, session.skinWidget("convertpb")->width());
                         });
    }
    QObject context;
    QStringList percents;
    int widest = 0;
};

TEST_F(RunCommands, SkinSplitWritesThePiecesShowsProgressAndOpensTheOutputFolder)
{
    settings().SplitMode = split_mode::Count;
    settings().SplitCount = 2;
    // two pieces of 3.25 s over the true length, 6.5 s: a block of two
    // seconds' frames, then the rest
    addTone("six seconds.wma", 6);
    ASSERT_EQ(s.main().jobList().rowCount(), 1);
    FaceWatch watch(s);

    s.clickRun("Split");

    expectNoErrors();
    ASSERT_EQ(pieces().size(), 2) << qPrintable(pieces().join(' '));
    for (const auto &[piece, seconds] : {std::pair{pieces().at(0), 3.25}, std::pair{pieces().at(1), 3.25}}) {
        const test::DecodedAudio audio = test::decodeFile(outputFolder() + piece);
        EXPECT_NEAR(double(audio.frames()), seconds * kRate + kPadding / 2, kPadding / 2) << qPrintable(piece);
    }
    EXPECT_EQ(s.statuses(), QStringList({status_word::Finish, status_word::Finish}));
    EXPECT_EQ(s.recorder.launcher.opened, QStringList({outputFolder()}));
    // the percentage and the bar moved while the run worked, and are back at rest
    EXPECT_EQ(watch.percents, QStringList({"61%", "100%", "61%", "100%"}));
    EXPECT_GT(watch.widest, 0);
    expectIdleFace();
    EXPECT_EQ(s.main().jobList().fileSelection()->selectedRows().value(0).row(), 0);
}

// The piece a Stop cut short is valid, says "Stopped" instead of "Finish",
// and a message names it with how much it holds.
TEST_F(RunCommands, StopFromInsideTheRunLeavesAValidPieceMarkedStoppedAndNamed)
{
    settings().SplitMode = split_mode::Count;
    settings().SplitCount = 2;
    addTone("ten seconds.wma", 10);
    // Stop is clicked at the pump after the first block has been written
    s.atProgress(1, [this] { s.clickSkin("Stop"); });

    s.clickRun("Split");

    expectNoErrors();
    ASSERT_TRUE(s.actionArmed());
    ASSERT_EQ(pieces().size(), 1) << qPrintable(pieces().join(' '));
    const test::DecodedAudio audio = test::decodeFile(outputFolder() + pieces().first());
    // the one block of two seconds written before Stop, of the five planned
    EXPECT_NEAR(double(audio.frames()), 2.0 * kRate + kPadding / 2, kPadding / 2);
    const QStringList words = s.statuses();
    ASSERT_EQ(words.size(), 2);
    EXPECT_EQ(words[0], status_word::Stopped);
    EXPECT_NE(words[1], status_word::Finish);
    ASSERT_EQ(s.recorder.messages.informations.size(), 1);
    const QString told = s.recorder.messages.informations.first();
    // of the first half of the 10.5 s file, as the count plan cuts it
    const double plannedSeconds = EntryLengthMs(s.main().jobList().job(0)) / 2 / 1000.0;
    const QString holds = QStringLiteral(" (it holds 2.0 s of %1 s)").arg(plannedSeconds, 0, 'f', 1);
    EXPECT_TRUE(told.contains(outputFolder() + pieces().first() + holds)) << qPrintable(told);
    // the skin's Split opens the folder after a stopped run too
    EXPECT_EQ(s.recorder.launcher.opened, QStringList({outputFolder()}));
    expectIdleFace();

    // the stop is told once: a Find Silences given afterwards (refused in
    // this mode) says only why it was refused
    s.triggerRun("FindSilences1");
    EXPECT_EQ(s.recorder.messages.errors.size(), 1);
    EXPECT_EQ(s.recorder.messages.informations.size(), 1) << qPrintable(s.recorder.messages.informations.join('\n'));
}

TEST_F(RunCommands, JoinGoesThroughTheSaveDialogAndOpensTheOutputFolder)
{
    settings().SplitMode = split_mode::Time;
    addTone("first.wma", 2);
    addTone("second.wma", 3);
    ASSERT_EQ(s.main().jobList().rowCount(), 2);

    // cancelled: nothing runs, nothing opens
    s.clickRun("Join");
    EXPECT_EQ(s.recorder.dialogs.saveRequests.size(), 1);
    EXPECT_TRUE(s.recorder.launcher.opened.isEmpty());

    const QString joined = s.folder.file("both");
    s.recorder.dialogs.saveAnswer = joined;
    s.clickRun("Join");
    expectNoErrors();
    const test::DecodedAudio audio = test::decodeFile(joined + ".wma");
    EXPECT_NEAR(double(audio.frames()), 6.0 * kRate, kPadding);
    EXPECT_EQ(s.recorder.launcher.opened, QStringList({outputFolder()}));
    expectIdleFace();

    // the action menu's Join is the same command
    s.recorder.dialogs.saveAnswer = s.folder.file("again.wma");
    s.triggerRun("Join1");
    EXPECT_TRUE(QFileInfo::exists(s.folder.file("again.wma")));
    EXPECT_EQ(s.recorder.launcher.opened.size(), 2);
    EXPECT_EQ(s.recorder.dialogs.saveRequests.size(), 3);
}

TEST_F(RunCommands, MenuSplitOpensNoFolderAndAnEmptyListRunsNothing)
{
    settings().SplitMode = split_mode::Time;
    settings().SplitSeconds = 2;
    s.clickRun("Split");
    s.triggerRun("Start1");
    s.triggerRun("Join1");
    EXPECT_TRUE(s.recorder.launcher.opened.isEmpty());
    EXPECT_TRUE(s.recorder.dialogs.saveRequests.isEmpty());

    addTone("three seconds.wma", 3);
    s.triggerRun("Start1");
    expectNoErrors();
    EXPECT_EQ(pieces().size(), 2);  // 0-2 and 2-3
    EXPECT_EQ(s.statuses(), QStringList({status_word::Finish, status_word::Finish}));
    EXPECT_TRUE(s.recorder.launcher.opened.isEmpty());
    expectIdleFace();
}

TEST_F(RunCommands, ClosingTheWindowDuringARunStopsItAndNamesTheShortenedFile)
{
    settings().SplitMode = split_mode::Count;
    settings().SplitCount = 1;
    addTone("eight seconds.wma", 8);
    // the session may end only once the run has wound down and told the user
    QSignalSpy ended(&s.main(), &Tfm_main::sessionEnded);
    qsizetype endedAtClose = -1;
    s.atProgress(1, [&] {
        s.main().close();
        endedAtClose = ended.count();
    });

    s.clickRun("Split");

    expectNoErrors();
    ASSERT_TRUE(s.actionArmed());
    EXPECT_EQ(endedAtClose, 0);
    EXPECT_EQ(ended.count(), 1);
    // a program about to end opens no file manager
    EXPECT_TRUE(s.recorder.launcher.opened.isEmpty());
    EXPECT_FALSE(s.main().isVisible());
    EXPECT_FALSE(s.main().runState().Converting);
    ASSERT_EQ(pieces().size(), 1);
    const QString piece = outputFolder() + pieces().first();
    const test::DecodedAudio audio = test::decodeFile(piece);
    EXPECT_NEAR(double(audio.frames()), 2.0 * kRate + kPadding / 2, kPadding / 2);
    ASSERT_EQ(s.recorder.messages.informations.size(), 1);
    EXPECT_TRUE(s.recorder.messages.informations.first().contains(piece))
        << qPrintable(s.recorder.messages.informations.first());

    // closed by a signal, nobody may be there to answer a box: standard error
    s.main().show();
    s.atProgress(1, [this] { s.main().closeFromSignal(); });
    testing::internal::CaptureStderr();
    s.clickRun("Split");
    const std::string told = testing::internal::GetCapturedStderr();
    EXPECT_EQ(s.recorder.messages.informations.size(), 1);
    ASSERT_EQ(pieces().size(), 2);
    EXPECT_NE(told.find("Korvex was closed during a conversion"), std::string::npos) << told;
    EXPECT_NE(told.find(qPrintable(outputFolder() + pieces().last())), std::string::npos) << told;

    // a run that ends by itself says nothing of the kind
    s.recorder.messages.informations.clear();
    s.main().show();
    s.clickRun("Split");
    EXPECT_TRUE(s.recorder.messages.informations.isEmpty());
    EXPECT_EQ(pieces().size(), 3);
}

// Stop returns at once; the stopped run still unwinds in the command that
// started it. A Split clicked in that moment must not start a run inside it.
TEST_F(RunCommands, SplitRightAfterStopStartsNothingWhileTheStoppedRunUnwinds)
{
    settings().SplitMode = split_mode::Count;
    settings().SplitCount = 1;
    addTone("eight seconds.wma", 8);
    s.atProgress(1, [this] {
        s.clickSkin("Stop");
        s.clickSkin("Split");
        s.main().menus->item("Join1")->trigger();
    });
    s.clickRun("Split");
    expectNoErrors();
    ASSERT_TRUE(s.actionArmed());
    EXPECT_EQ(pieces().size(), 1);
    EXPECT_TRUE(s.recorder.dialogs.saveRequests.isEmpty());
    expectIdleFace();
    // once it has returned, Split works again
    s.clickRun("Split");
    EXPECT_EQ(pieces().size(), 2);
}

TEST_F(RunCommands, StopAndSplitFirstStopThePreview)
{
    settings().SplitMode = split_mode::Time;
    settings().SplitSeconds = 5;
    addTone("three seconds.wma", 3);
    s.main().playerState().Playing = true;
    s.main().playerState().SeekDragging = true;
    s.clickSkin("Stop");
    EXPECT_FALSE(s.main().playerState().Playing);
    EXPECT_FALSE(s.main().playerState().SeekDragging);

    // the preview holds the reader; the run needs it
    s.main().playerState().Playing = true;
    ASSERT_NO_THROW(s.main().AudioFileRead.openForRead(s.folder.file("three seconds.wma"), 0, 1));
    s.clickRun("Split");
    expectNoErrors();
    EXPECT_FALSE(s.main().playerState().Playing);
    EXPECT_EQ(pieces().size(), 1);
    EXPECT_EQ(s.main().AudioFileRead.isOpen(), 0);
}

TEST_F(RunCommands, TheFileAndThePieceBeingConvertedStayInSight)
{
    settings().SplitMode = split_mode::Time;
    settings().SplitSeconds = 1;
    const QString first = addTone("long.wma", 24);  // 25 pieces, more than lv_time shows
    QStringList more;
    for (int copy = 1; copy <= 11; ++copy) {  // 12 files, more than lv shows
        more.append(s.folder.file(QStringLiteral("copy %1.wma").arg(copy)));
        QFile::copy(first, more.last());
    }
    s.recorder.dialogs.openAnswer = more;
    s.clickSkin("addfile");
    ASSERT_EQ(s.main().jobList().rowCount(), 12);
    QTableView *lv = s.main().lv;
    QTableView *lv_time = s.main().lv_time;
    const auto inSight = [](QTableView *view, int row) {
        return view->viewport()->rect().contains(view->visualRect(view->model()->index(row, 0)));
    };

    // the checks run at the pump after a row turned "Converting": the run is
    // then on that row, before its first block
    QStringList seen;
    QObject context;
    QObject::connect(s.main().jobList().segmentModel(), &QAbstractItemModel::dataChanged, &context,
                     [&](const QModelIndex &changed) {
                         const int row = changed.row();
                         const int file = s.main().jobList().SelectedFileRow;
                         if (s.main().jobList().segmentModel()->status(row) != status_word::Converting)
                             return;
                         QTimer::singleShot(0, &context, [&, row, file] {
                             if (file == 0 && row == 22)
                                 seen << QStringLiteral("piece %1 %2").arg(row).arg(inSight(lv_time, row));
                             if (file == 10 && row == 0) {
                                 seen << QStringLiteral("file %1 %2").arg(file).arg(inSight(lv, file));
                                 s.clickSkin("Stop");
                             }
                         });
                     });
    EXPECT_FALSE(inSight(lv, 10));
    s.clickRun("Split");
    EXPECT_EQ(seen, QStringList({"piece 22 1", "file 10 1"}));
    expectNoErrors();
}

} // namespace
