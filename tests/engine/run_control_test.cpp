#include "engine/EngineFixture.h"
#include "engine/RunProgress.h"
#include "engine/RunReportApplier.h"

#include <QFileInfo>

using namespace korvex;
using namespace korvex::test;

namespace {

class ConvertBarTest : public EngineTest
{
protected:
    ConvertBarTest()
    {
        bench().skin().setRect(QStringLiteral("convertpb"), QRect(10, 20, 335, 8));
        bench().progress().bind();
    }
    int widthAfter(int value)
    {
        bench().control().ShowConvertProgress(value);
        return bench().skin().rect(QStringLiteral("convertpb")).width();
    }
};

TEST_F(ConvertBarTest, WidthFollowsProgressAndAFullBarIsShownEmpty)
{
    EXPECT_EQ(widthAfter(5000), 168);  // 167.5 rounds up
    EXPECT_EQ(widthAfter(9999), 335);
    EXPECT_EQ(widthAfter(10000), 0);
    EXPECT_EQ(widthAfter(1), 0);
    EXPECT_EQ(bench().skin().rect(QStringLiteral("convertpb")).left(), 10);
}

TEST_F(ConvertBarTest, AnOverfullBarIsDrawnOnlyWithTheSkinFlag)
{
    EXPECT_EQ(widthAfter(5000), 168);
    EXPECT_EQ(widthAfter(10100), 168);  // 338 is wider than the bar: unchanged
    settings().SkinFlag = true;
    EXPECT_EQ(widthAfter(10100), 338);
}

TEST_F(ConvertBarTest, StopConversionClearsTheFlagAndTheBar)
{
    widthAfter(4000);
    bench().run().Converting = true;
    bench().control().Stop();
    EXPECT_FALSE(bench().run().Converting);
    EXPECT_EQ(bench().skin().rect(QStringLiteral("convertpb")).width(), 0);
}

TEST_F(ConvertBarTest, StopAsksThePlayerToStopFirst)
{
    int playerStops = 0;
    QObject::connect(&bench().control(), &RunControl::stopPlaybackRequested, [&] { ++playerStops; });
    bench().control().Stop();
    EXPECT_EQ(playerStops, 0);
    bench().player().Playing = true;
    bench().control().Stop();
    EXPECT_EQ(playerStops, 1);
}

} // namespace

// A join of many long files counts more frames than an int holds; its
// progress is still the share of the whole output.
TEST_F(ConvertBarTest, ProgressOfMoreFramesThanAnIntHolds)
{
    RunReportApplier applier(bench().context());
    RunProgress progress(applier);
    const qint64 total = qint64(4) * 1000 * 1000 * 1000;  // about 25 hours at 44.1 kHz
    progress.showFrames(total * 3 / 4, total);
    EXPECT_EQ(bench().skin().text(QStringLiteral("pbpos")), QStringLiteral("75%"));
    EXPECT_EQ(bench().skin().rect(QStringLiteral("convertpb")).width(), 251);  // 335 × 0.75 = 251.25
    progress.showFrames(total - 1, total);
    EXPECT_EQ(bench().skin().text(QStringLiteral("pbpos")), QStringLiteral("100%"));
    progress.showFrames(1, 3);  // 33.33 %: the same rounding as for short runs
    EXPECT_EQ(bench().skin().text(QStringLiteral("pbpos")), QStringLiteral("33%"));
    EXPECT_EQ(bench().skin().rect(QStringLiteral("convertpb")).width(), 112);
}

namespace {

using RunGuardTest = EngineTest;

// Split and Join given while another command is still on the stack would run
// inside it.
TEST_F(RunGuardTest, NoRunStartsWhileFilesAreAddedOrAStoppedRunUnwinds)
{
    const QString first = makeTone(QStringLiteral("first.wav"), 3.0);
    const QString second = makeTone(QStringLiteral("second.wav"), 3.0);
    settings().SplitMode = split_mode::Time;
    settings().SplitSeconds = 1;
    QList<RunControl::Outcome> inside;
    {
        const PumpHookScope hook([&] {
            if (bench().jobs().Adding() && bench().jobs().rowCount() == 1 && inside.isEmpty()) {
                inside.append(bench().control().StartSplit(true));
                m_seams.dialogs.saveAnswer = m_folder.file(QStringLiteral("mix"));
                inside.append(bench().control().StartJoin());
            }
        });
        add({first, second});
    }
    EXPECT_EQ(inside, QList<RunControl::Outcome>(2, RunControl::Outcome::NotStarted));
    EXPECT_TRUE(outputNames().isEmpty());
    EXPECT_FALSE(QFileInfo::exists(m_folder.file(QStringLiteral("mix.wma"))));

    inside.clear();
    bench().setRunCheckpoint([&](RunJob &, const JobPosition &at) {
        if (at.entry == 0 && inside.isEmpty()) {
            bench().control().Stop();
            inside.append(bench().control().StartSplit(false));
            inside.append(bench().control().StartJoin());
        }
    });
    EXPECT_EQ(runSplit(), RunControl::Outcome::Stopped);
    bench().setRunCheckpoint({});
    EXPECT_EQ(inside, QList<RunControl::Outcome>(2, RunControl::Outcome::NotStarted));
    EXPECT_LE(outputNames().size(), 1);
    EXPECT_FALSE(QFileInfo::exists(m_folder.file(QStringLiteral("mix.wma"))));

    // Once the stopped run has returned, a new one starts.
    EXPECT_EQ(runSplit(), RunControl::Outcome::Finished);
}

TEST_F(RunGuardTest, AClosingSessionOpensNoFolderAndThePathFieldFollowsTheRun)
{
    add({makeTone(QStringLiteral("one.wav"), 2.0), makeTone(QStringLiteral("two.wav"), 2.0)});
    bench().jobs().selectFileRow(0);
    bench().editor().lvClick();
    ASSERT_EQ(bench().skin().text(QStringLiteral("nm")), bench().jobs().job(0).FileName);
    settings().SplitMode = split_mode::Custom;
    bench().setRunCheckpoint([&](RunJob &, const JobPosition &at) {
        if (at.entry == 1)
            bench().control().SessionEnding();
    });
    EXPECT_EQ(runSplit(true), RunControl::Outcome::Stopped);
    bench().setRunCheckpoint({});
    EXPECT_TRUE(m_seams.launcher.opened.isEmpty());
    // the run ended on the second entry, which is the selected row
    EXPECT_EQ(bench().jobs().selectedFileRow(), 1);
    EXPECT_EQ(bench().skin().text(QStringLiteral("nm")), bench().jobs().job(1).FileName);

    EXPECT_EQ(runSplit(true), RunControl::Outcome::Finished);
    EXPECT_EQ(m_seams.launcher.opened, QStringList{outputFolder()});
}

// The window and korvex-cli name the file a stop cut short from this list,
// whether the session ended or the user pressed Stop; only an ending
// session is remembered as such.
TEST_F(RunGuardTest, AnEndingSessionAndAStopListTheFileTheyCutShort)
{
    add({makeTone(QStringLiteral("eight.wav"), 8.0)});
    settings().SplitMode = split_mode::Time;
    settings().SplitSeconds = 4;
    QStringList written;
    QObject::connect(&bench().control(), &RunControl::outputWritten, [&](const QString &path) { written << path; });
    // each run is stopped while it writes its second piece
    const auto runStoppedBy = [&](const std::function<void()> &stop) {
        written.clear();
        bool busyInside = false;
        int checksInSecondPiece = 0;
        bench().setRunCheckpoint([&](RunJob &, const JobPosition &at) {
            busyInside |= bench().control().Busy();
            // the second check, so that the piece holds a block
            if (at.outputs == 1 && m_writer.isOpen() && ++checksInSecondPiece == 2)
                stop();
        });
        EXPECT_EQ(runSplit(), RunControl::Outcome::Stopped);
        bench().setRunCheckpoint({});
        EXPECT_TRUE(busyInside);
    };

    runStoppedBy([&] { bench().control().SessionEnding(); });
    EXPECT_FALSE(bench().control().Busy());
    EXPECT_TRUE(bench().control().SessionEndWaiting());
    ASSERT_EQ(written.size(), 2);
    EXPECT_EQ(bench().control().CutShortFiles(), QStringList{written.at(1)});

    runStoppedBy([&] { bench().control().Stop(); });
    ASSERT_EQ(written.size(), 2);
    EXPECT_EQ(bench().control().CutShortFiles(), QStringList{written.at(1)});
    EXPECT_FALSE(bench().control().StoppedBySessionEnd());
    EXPECT_FALSE(bench().control().SessionEndWaiting());

    // ending an idle session leaves nothing waiting
    bench().control().SessionEnding();
    EXPECT_FALSE(bench().control().SessionEndWaiting());
}

// The window answers while a block is written and a piece closed: a session
// that ends then stops the run before its next piece, and the piece that got
// all its audio is not named as cut short.
TEST_F(RunGuardTest, APieceCompletedAsTheSessionEndsIsNotCutShort)
{
    add({makeTone(QStringLiteral("eight.wav"), 8.0)});
    settings().SplitMode = split_mode::Time;
    settings().SplitSeconds = 4;
    QStringList written;
    QObject::connect(&bench().control(), &RunControl::outputWritten, [&](const QString &path) { written << path; });
    // the first piece's last block is shown before it is written: the end of
    // the session arrives while it is
    bool ended = false;
    QObject::connect(&bench().skin(), &SkinFace::redrawRequested, [&](const QString &name) {
        if (!ended && name == QStringLiteral("pbpos") && bench().skin().text(name) == QStringLiteral("100%")) {
            ended = true;
            QMetaObject::invokeMethod(&bench().control(), [&] { bench().control().SessionEnding(); },
                                      Qt::QueuedConnection);
        }
    });
    EXPECT_EQ(runSplit(), RunControl::Outcome::Stopped);
    ASSERT_TRUE(ended);
    ASSERT_EQ(written.size(), 1);
    EXPECT_EQ(audioFrames(written.first()), 4 * 44100);
    EXPECT_TRUE(bench().control().CutShortFiles().isEmpty());
    // said as it happened: no file was cut short
    EXPECT_TRUE(bench().control().StopReport().contains(QStringLiteral("between two files")))
        << bench().control().StopReport().toStdString();
}

} // namespace
