#include "engine/EngineFixture.h"
#include "joblist/StatusWords.h"
#include "support/ExternalTools.h"

#include <QDir>
#include <QFileInfo>

#include <atomic>
#include <future>
#include <optional>
#include <thread>
#include <tuple>

using namespace korvex;
using namespace korvex::test;

namespace {

constexpr int Rate = 44100;

// A run stops where it is asked to: at its next check, which comes before
// every block. The checkpoint stands where a user (or a test) acts during a
// run, and sees the position as the run itself reported it.
using RunJobTest = EngineTest;

TEST_F(RunJobTest, AStopAskedAtACheckEndsThePieceAfterTheBlocksBeforeIt)
{
    add({makeTone(QStringLiteral("ten.wav"), 10.0)});
    settings().SplitMode = split_mode::Time;
    settings().SplitSeconds = 10;
    // the piece's check, then one before each block of two seconds: the
    // stop at the fourth check leaves two blocks
    bench().setRunCheckpoint([](RunJob &job, const JobPosition &at) {
        if (at.checks == 4)
            job.requestStop();
    });
    EXPECT_EQ(runSplit(), RunControl::Outcome::Stopped);
    ASSERT_EQ(outputNames(), QStringList{"ten_1.wma"});
    EXPECT_NEAR(audioFrames(output(QStringLiteral("ten_1.wma"))), 4 * Rate, CodecFrame);
    // the plan's last row holds no audio after the file's last second
    EXPECT_EQ(statuses(), (QStringList{status_word::Stopped, status_word::Unconvert}));
    EXPECT_EQ(bench().control().CutShortFiles(), QStringList{output(QStringLiteral("ten_1.wma"))});
    EXPECT_FALSE(bench().run().Converting);

    // a stop asked of one run is not carried into the next
    bench().setRunCheckpoint({});
    EXPECT_EQ(runSplit(), RunControl::Outcome::Finished);
    EXPECT_TRUE(bench().control().CutShortFiles().isEmpty());
    EXPECT_EQ(statuses(), (QStringList{status_word::Finish, status_word::Unconvert}));
}

// Whoever waits for a run (the window's notice, korvex-cli, a test) hears
// one start when it converts and one end after its last output; a start that
// starts nothing is not heard at all.
TEST_F(RunJobTest, ARunIsHeardToStartOnceAndToEndAfterItsOutputs)
{
    add({makeTone(QStringLiteral("four.wav"), 4.0)});
    settings().SplitMode = split_mode::Time;
    settings().SplitSeconds = 2;
    RunControl &control = bench().control();
    QStringList heard;
    QObject listener;
    const auto going = [&] { return QStringLiteral(" going=%1").arg(bench().runGoing()); };
    QObject::connect(&bench(), &Core::runStarted, &listener, [&] { heard.append(QStringLiteral("started") + going()); });
    QObject::connect(&control, &RunControl::outputWritten, &listener,
                     [&](const QString &path) { heard.append(QFileInfo(path).fileName() + going()); });
    QObject::connect(&bench(), &Core::runEnded, &listener, [&] {
        heard.append(QStringLiteral("ended %1").arg(int(control.LastOutcome())) + going());
    });
    EXPECT_EQ(runSplit(), RunControl::Outcome::Finished);
    EXPECT_EQ(heard, (QStringList{"started going=1", "four_1.wma going=1", "four_2.wma going=1",
                                  QStringLiteral("ended %1 going=0").arg(int(RunControl::Outcome::Finished))}));

    heard.clear();
    bench().run().Converting = true;
    EXPECT_EQ(control.StartSplit(false), RunControl::Outcome::NotStarted);
    bench().run().Converting = false;
    bench().editor().ClearJob();
    EXPECT_EQ(control.StartSplit(false), RunControl::Outcome::NotStarted);
    EXPECT_TRUE(heard.isEmpty()) << heard.join(QLatin1Char(' ')).toStdString();
}

TEST_F(RunJobTest, CheckpointsSeeTheEntryThePieceAndTheOutputsAsTheRunReportedThem)
{
    add({makeTone(QStringLiteral("four.wav"), 4.0), makeTone(QStringLiteral("two.wav"), 2.0)});
    settings().SplitMode = split_mode::Time;
    settings().SplitSeconds = 2;
    QList<JobPosition> seen;
    bench().setRunCheckpoint([&](RunJob &, const JobPosition &at) { seen.append(at); });
    EXPECT_EQ(runSplit(), RunControl::Outcome::Finished);
    bench().setRunCheckpoint({});

    // each piece's check and one before its only block; the last row of a
    // plan holds no audio after the file's last second: a check, no output
    QList<std::tuple<int, int, int>> where;  // entry, piece row, outputs
    for (const JobPosition &at : std::as_const(seen))
        where.append({at.entry, at.pieceRow, at.outputs});
    const QList<std::tuple<int, int, int>> expected{
        {-1, -1, 0},                       // before the first entry
        {0, -1, 0}, {0, 0, 0},             // first piece, its block
        {0, 0, 1}, {0, 1, 1},              // second piece, its block
        {0, 1, 2},                         // the empty last row
        {0, 1, 2},                         // the check that leaves entry 0
        {1, 1, 2}, {1, 0, 2},              // entry 1's piece, its block
        {1, 0, 3}};                        // its empty last row
    EXPECT_EQ(where, expected);
    // progress is that of the piece at hand: none before its first block
    ASSERT_EQ(seen.size(), expected.size());
    EXPECT_EQ(seen.at(2).progress, -1);
    EXPECT_EQ(seen.at(3).progress, 10000);
    EXPECT_EQ(seen.at(4).progress, -1);
}

// A run works from what the list and the settings held when it started. What
// the user changes while it works (a dialog's Ok) is handed to it through the
// core and used from the next piece on; a change nobody handed over does not
// reach it.
TEST_F(RunJobTest, ChangesHandedThroughTheCoreReachTheNextPieceOthersDoNot)
{
    add({makeTone(QStringLiteral("six.wav"), 6.0)});
    bench().jobs().tags(0).Title = QStringLiteral("Before");
    const QString moved = movedFolder();
    const auto behind = [&] {
        settings().OutputFolder = moved;
        bench().jobs().tags(0).Title = QStringLiteral("Not handed over");
    };
    const auto handed = [&] {
        bench().jobs().tags(0).Title = QStringLiteral("Handed over");
        bench().settingsChanged();
        bench().tagsChanged();
    };
    EXPECT_EQ(splitChangedBetweenPieces(behind, handed), RunControl::Outcome::Finished);

    EXPECT_EQ(outputNames(), (QStringList{"six_1.wma", "six_2.wma"}));
    // the third piece, the first of its name in the new folder
    EXPECT_EQ(QDir(moved).entryList(QDir::Files), QStringList{"six_1.wma"});
    EXPECT_EQ(MutagenAsfTitle(output(QStringLiteral("six_1.wma"))), QStringLiteral("Before"));
    EXPECT_EQ(MutagenAsfTitle(output(QStringLiteral("six_2.wma"))), QStringLiteral("Before"));
    EXPECT_EQ(MutagenAsfTitle(moved + QStringLiteral("six_1.wma")), QStringLiteral("Handed over"));

    // the next run starts from what the list and the settings hold then
    EXPECT_EQ(runSplit(), RunControl::Outcome::Finished);
    EXPECT_EQ(QDir(moved).entryList(QDir::Files).size(), 4);
}

// A modal dialog holds the run: the job waits at its next check, on its own
// thread, until the hold goes or a stop is asked for.
TEST_F(RunJobTest, AHeldJobWaitsAtItsCheckUntilReleasedOrStopped)
{
    RunJob &job = bench().control().job();
    job.begin({});
    std::optional<RunHold> hold;
    hold.emplace(bench().holdRun());
    // the thread that holds would be the one to release: it is never held
    EXPECT_TRUE(job.goOn());

    std::promise<void> parked;
    job.setHeldNotice([&parked] { parked.set_value(); });
    std::atomic<bool> passed{false};
    bool wanted = false;
    std::thread worker([&] {
        wanted = job.goOn();
        passed = true;
    });
    parked.get_future().wait();
    EXPECT_FALSE(passed);
    hold.reset();
    worker.join();
    EXPECT_TRUE(wanted);

    // a stop wakes a held job, which is no longer wanted
    std::promise<void> parkedAgain;
    job.setHeldNotice([&parkedAgain] { parkedAgain.set_value(); });
    hold.emplace(bench().holdRun());
    std::thread again([&] { wanted = job.goOn(); });
    parkedAgain.get_future().wait();
    job.requestStop();
    again.join();
    EXPECT_FALSE(wanted);
    hold.reset();
    job.setHeldNotice({});
}

} // namespace
