#include "engine/EngineFixture.h"
#include "joblist/StatusWords.h"
#include "support/ExternalTools.h"
#include "support/SegmentedRecord.h"
#include "support/TonesAndPauses.h"

#include <QDir>
#include <QFile>

#include <cmath>

using namespace korvex;
using namespace korvex::test;

namespace {

constexpr int Rate = 44100;

class SplitRunTest : public EngineTest
{
protected:
    RunControl::Outcome split(int mode)
    {
        settings().SplitMode = mode;
        return runSplit();
    }
    void expectLengths(const QStringList &names, const QList<double> &seconds)
    {
        ASSERT_EQ(outputNames(), names);
        for (qsizetype k = 0; k < names.size(); ++k)
            EXPECT_NEAR(audioFrames(output(names[k])), seconds[k] * Rate, CodecFrame) << names[k].toStdString();
    }
};

TEST_F(SplitRunTest, TimeModeCutsPiecesOfTheGivenLengthAndAShortLastOne)
{
    add({makeTone(QStringLiteral("song.wav"), 125.0)});
    settings().SplitSeconds = 60;
    EXPECT_EQ(split(split_mode::Time), RunControl::Outcome::Finished);
    expectLengths({"song_1.wma", "song_2.wma", "song_3.wma"}, {60, 60, 5});
    EXPECT_EQ(statuses(), QStringList(3, status_word::Finish));
    EXPECT_FALSE(bench().run().Converting);
    EXPECT_TRUE(bench().skin().text(QStringLiteral("pbpos")).isEmpty());
    EXPECT_EQ(bench().progress().ConvertBarRect().width(), 0);
    EXPECT_TRUE(m_seams.launcher.opened.isEmpty());  // the menu's Split opens nothing
}

TEST_F(SplitRunTest, CountModeCutsEqualPiecesOverTheWholeFile)
{
    add({makeTone(QStringLiteral("count.wav"), 125.0)});
    settings().SplitCount = 6;
    EXPECT_EQ(split(split_mode::Count), RunControl::Outcome::Finished);
    const QStringList names = {"count_1.wma", "count_2.wma", "count_3.wma",
                               "count_4.wma", "count_5.wma", "count_6.wma"};
    expectLengths(names, QList<double>(6, 125.0 / 6));
}

TEST_F(SplitRunTest, CountModeKeepsEverySampleOfAFileWithAFractionOfASecond)
{
    const QString source = makeTone(QStringLiteral("talk.wav"), 13.85);
    add({source});
    settings().SplitCount = 4;
    EXPECT_EQ(split(split_mode::Count), RunControl::Outcome::Finished);
    const QStringList names = {"talk_1.wma", "talk_2.wma", "talk_3.wma", "talk_4.wma"};
    ASSERT_EQ(outputNames(), names);
    qint64 sum = 0;
    for (const QString &name : names)
        sum += audioFrames(output(name));
    EXPECT_EQ(sum, audioFrames(source));
    // the borders at the millisecond nearest to a quarter of 13.85 s
    EXPECT_EQ(audioFrames(output(names[0])), 152718);                         // 3.463 s
    EXPECT_EQ(audioFrames(output(names[3])), audioFrames(source) - 458111);  // from 10.388 s
}

TEST_F(SplitRunTest, SoftEdgesRampEveryPieceInAndOutAndKeepItsLength)
{
    add({makeTone(QStringLiteral("edges.wav"), 4.0)});
    settings().SplitSeconds = 2;
    settings().EdgeMs = 20;
    EXPECT_EQ(split(split_mode::Time), RunControl::Outcome::Finished);
    expectLengths({"edges_1.wma", "edges_2.wma"}, {2, 2});
    const DecodedAudio piece = decodeFile(output(QStringLiteral("edges_2.wma")));
    const qint64 edge = Rate / 50;
    // quiet in the first and last 2 ms, at the tone's level once past the ramp
    EXPECT_LT(channelRms(piece, 0, edge / 10), 0.25 * channelRms(piece, edge * 2, edge));
    EXPECT_LT(channelRms(piece, 2 * Rate - edge / 10, edge / 10), 0.25 * channelRms(piece, edge * 2, edge));
    EXPECT_GT(channelRms(piece, edge / 2, edge / 4), channelRms(piece, 0, edge / 10));
}

TEST_F(SplitRunTest, AMillisecondSegmentGivesExactlyItsFrames)
{
    add({makeTone(QStringLiteral("ms.wav"), 6.0)});
    setSegments(bench().jobs().job(0), {{0, 6}});
    // 1.250 s to 3.125 s: frames 55125 to 137813 (137812.5 rounds up)
    bench().jobs().job(0).BeginTime = {1250, 0};
    bench().jobs().job(0).EndTime = {3125, 6000};
    bench().jobs().job(0).Count = 2;
    EXPECT_EQ(split(split_mode::Custom), RunControl::Outcome::Finished);
    ASSERT_EQ(outputNames(), QStringList{"ms_1.wma"});
    EXPECT_EQ(audioFrames(output(QStringLiteral("ms_1.wma"))), 137813 - 55125);
}

TEST_F(SplitRunTest, NoPieceIsWrittenThatHoldsNoAudio)
{
    // A length that divides evenly: the last row of the time view is empty.
    add({makeTone(QStringLiteral("even.wav"), 4.0)});
    settings().SplitSeconds = 2;
    EXPECT_EQ(split(split_mode::Time), RunControl::Outcome::Finished);
    expectLengths({"even_1.wma", "even_2.wma"}, {2, 2});
    EXPECT_EQ(statuses(), (QStringList{status_word::Finish, status_word::Finish, status_word::Unconvert}));

    // More pieces asked than the file has seconds: a piece per second.
    QDir(outputFolder()).removeRecursively();
    QDir().mkpath(outputFolder());
    settings().SplitCount = 3;
    bench().jobs().job(0).FileName = makeTone(QStringLiteral("two.wav"), 2.0);
    bench().jobs().job(0).Duration = 2;
    bench().jobs().job(0).DurationMs = 2000;
    bench().jobs().job(0).Frames = 2 * Rate;
    EXPECT_EQ(split(split_mode::Count), RunControl::Outcome::Finished);
    expectLengths({"even_1.wma", "even_2.wma"}, {1, 1});
}

TEST_F(SplitRunTest, PiecesThatEndAtTheEntrysDurationRunToTheTrueEnd)
{
    add({makeTone(QStringLiteral("tail.wav"), 4.6)});
    settings().SplitSeconds = 2;
    EXPECT_EQ(split(split_mode::Time), RunControl::Outcome::Finished);
    expectLengths({"tail_1.wma", "tail_2.wma", "tail_3.wma"}, {2, 2, 0.6});
    EXPECT_EQ(statuses(), QStringList(3, status_word::Finish));

    QDir(outputFolder()).removeRecursively();
    QDir().mkpath(outputFolder());
    EXPECT_EQ(split(split_mode::Custom), RunControl::Outcome::Finished);
    expectLengths({"tail_1.wma"}, {4.6});
}

TEST_F(SplitRunTest, UnificationTakesSegmentsMarkedOutOfOrderFromAShorterEntry)
{
    add({makeTone(QStringLiteral("long.wav"), 10.0), makeTone(QStringLiteral("short.wav"), 4.0)});
    setSegments(bench().jobs().job(0), {{5, 8}, {1, 3}, {0, 10}});
    EXPECT_EQ(split(split_mode::Unification), RunControl::Outcome::Finished);
    expectLengths({"long_1.wma", "long_2.wma", "short_1.wma"}, {3, 2, 2});
    // the rows are the first entry's segments: the second one was written
    EXPECT_EQ(statuses().value(1), status_word::Finish);
}

TEST_F(SplitRunTest, ASourceThatDecodesToNonFiniteOrHugeSamplesStillConverts)
{
    // Float samples: NaN, infinities and ±1e30 in its second half-second.
    add({QStringLiteral(KORVEX_SOURCE_DIR "/tests/samples/float-nan-inf-and-huge.wav")});
    EXPECT_EQ(split(split_mode::Custom), RunControl::Outcome::Finished);
    EXPECT_TRUE(m_seams.messages.errors.isEmpty()) << m_seams.messages.errors.join('\n').toStdString();
    expectLengths({"float-nan-inf-and-huge_1.wma"}, {2.5});
    const DecodedAudio audio = decodeFile(output(QStringLiteral("float-nan-inf-and-huge_1.wma")));
    for (const float v : audio.samples)
        ASSERT_TRUE(std::isfinite(v) && std::abs(v) < 1.5f) << v;
}

TEST_F(SplitRunTest, AFadeOfZeroSecondsIsNoFade)
{
    add({makeTone(QStringLiteral("flat.wav"), 4.0)});
    settings().FadeIn = settings().FadeOut = true;
    settings().FadeInSeconds = 0;
    settings().FadeOutSeconds = 0;
    EXPECT_EQ(split(split_mode::Custom), RunControl::Outcome::Finished);
    const DecodedAudio audio = decodeFile(output(QStringLiteral("flat_1.wma")));
    const double full = channelRms(audio, 2 * Rate, Rate / 2);
    EXPECT_GT(channelRms(audio, Rate / 10, Rate / 10), full * 0.9);
    EXPECT_GT(channelRms(audio, 4 * Rate - Rate / 5, Rate / 10), full * 0.9);
}

TEST_F(SplitRunTest, CustomModeConvertsConfirmedSegmentsAndGivesThePendingOneBack)
{
    add({makeTone(QStringLiteral("a.wav"), 10.0), makeTone(QStringLiteral("b.wav"), 6.0)});
    setSegments(bench().jobs().job(0), {{1, 3}, {4, 8}, {0, 10}});
    QStringList seenFirst;
    QObject::connect(bench().jobs().segmentModel(), &SegmentListModel::dataChanged, [&] {
        if (bench().jobs().SelectedFileRow == 1)
            seenFirst.append(bench().jobs().segmentModel()->status(0));
    });
    EXPECT_EQ(split(split_mode::Custom), RunControl::Outcome::Finished);
    expectLengths({"a_1.wma", "a_2.wma", "b_1.wma"}, {2, 4, 6});
    EXPECT_EQ(bench().jobs().job(0).Count, 3);
    EXPECT_EQ(bench().jobs().job(1).Count, 1);
    // The single pending segment of b: "OK", then "Converting", then "Finish".
    EXPECT_EQ(seenFirst, (QStringList{status_word::OK, status_word::Converting, status_word::Finish}));
}

TEST_F(SplitRunTest, UnificationTakesTheFirstEntrysSegmentsAsFarAsEachEntryReaches)
{
    add({makeTone(QStringLiteral("first.wav"), 12.0), makeTone(QStringLiteral("second.wav"), 7.0),
         makeTone(QStringLiteral("third.wav"), 10.0)});
    setSegments(bench().jobs().job(0), {{1, 3}, {8, 11}, {0, 12}});
    bench().jobs().tags(1).Artist = QStringLiteral("Second Artist");
    EXPECT_EQ(split(split_mode::Unification), RunControl::Outcome::Finished);
    // second: [1, 3] only, as 8 > 7; third: [1, 3] and [8, 10].
    expectLengths({"first_1.wma", "first_2.wma", "second_1.wma", "third_1.wma", "third_2.wma"},
                  {2, 3, 2, 2, 2});
    EXPECT_EQ(bench().jobs().job(0).Count, 3);
    const QString artist = RunMutagen(QStringLiteral("import sys\nfrom mutagen.asf import ASF\n"
                                                     "print(ASF(sys.argv[1]).tags['Author'][0])\n"),
                                      output(QStringLiteral("second_1.wma")));
    EXPECT_EQ(artist.trimmed(), QStringLiteral("Second Artist"));
}

TEST_F(SplitRunTest, UnificationIgnoresRowsLeftOverFromAnotherModesView)
{
    add({makeTone(QStringLiteral("u.wav"), 9.0)});
    setSegments(bench().jobs().job(0), {{2, 4}, {0, 9}});
    settings().SplitMode = split_mode::Time;
    settings().SplitSeconds = 1;
    bench().editor().lvClick();  // lv_time now holds ten time pieces
    EXPECT_EQ(split(split_mode::Unification), RunControl::Outcome::Finished);
    expectLengths({"u_1.wma"}, {2});
    EXPECT_EQ(bench().jobs().job(0).Count, 2);
}

TEST_F(SplitRunTest, FadesRampEveryPieceAndAFadeLongerThanThePieceStaysInsideIt)
{
    add({makeTone(QStringLiteral("fade.wav"), 9.0)});
    setSegments(bench().jobs().job(0), {{0, 4}, {4, 6}, {0, 9}});
    settings().FadeIn = true;
    settings().FadeOut = true;
    settings().FadeInSeconds = 1;
    settings().FadeOutSeconds = 1;
    EXPECT_EQ(split(split_mode::Custom), RunControl::Outcome::Finished);
    const DecodedAudio piece = decodeFile(output(QStringLiteral("fade_1.wma")));
    const qint64 end = audioFrames(output(QStringLiteral("fade_1.wma")));
    const double middle = channelRms(piece, 2 * Rate - 2205, 4410);
    EXPECT_GT(middle, 0.2);
    EXPECT_LT(channelRms(piece, 0, 4410), middle * 0.2);
    EXPECT_LT(channelRms(piece, end - 4410, 4410), middle * 0.2);

    // A 5-second fade-in on a 2-second piece: the piece keeps its length.
    QDir(outputFolder()).removeRecursively();
    QDir().mkpath(outputFolder());
    settings().FadeOut = false;
    settings().FadeInSeconds = 5;
    EXPECT_EQ(split(split_mode::Custom), RunControl::Outcome::Finished);
    expectLengths({"fade_1.wma", "fade_2.wma"}, {4, 2});
}

TEST_F(SplitRunTest, PiecesNeverOverwriteFilesAlreadyInTheOutputFolder)
{
    add({makeTone(QStringLiteral("keep.wav"), 3.0)});
    ASSERT_TRUE(QFile::copy(bench().jobs().job(0).FileName, output(QStringLiteral("keep_1.wma"))));
    const qint64 kept = QFileInfo(output(QStringLiteral("keep_1.wma"))).size();
    EXPECT_EQ(split(split_mode::Custom), RunControl::Outcome::Finished);
    EXPECT_EQ(outputNames(), (QStringList{"keep_1.wma", "keep_2.wma"}));
    EXPECT_EQ(QFileInfo(output(QStringLiteral("keep_1.wma"))).size(), kept);
}

// The piece a Stop cut short is kept closed, tagged and named, its row says
// "Stopped", and the stop report names it with what it holds.
TEST_F(SplitRunTest, StopInAPieceKeepsItClosedTaggedAndNamedAsStopped)
{
    add({makeTone(QStringLiteral("long.wav"), 30.0), makeTone(QStringLiteral("next.wav"), 3.0)});
    bench().jobs().tags(0).Title = QStringLiteral("Stopped Piece");
    settings().SplitMode = split_mode::Time;
    settings().SplitSeconds = 20;
    // Stop asked for before the fourth block (an entry's first check is its
    // piece's, then one comes before each block): three blocks of two
    // seconds of stereo audio are written.
    bench().setRunCheckpoint([](RunJob &job, const JobPosition &at) {
        if (at.entry == 0 && at.checks == 5)
            job.requestStop();
    });
    EXPECT_EQ(runSplit(true), RunControl::Outcome::Stopped);
    ASSERT_EQ(outputNames(), QStringList{"long_1.wma"});
    const qint64 frames = audioFrames(output(QStringLiteral("long_1.wma")));
    EXPECT_GT(frames, 4 * Rate);
    EXPECT_LT(frames, 12 * Rate);
    EXPECT_EQ(statuses(), (QStringList{status_word::Stopped, status_word::Unconvert}));
    const QString title = RunMutagen(QStringLiteral("import sys\nfrom mutagen.asf import ASF\n"
                                                    "print(ASF(sys.argv[1]).tags['Title'][0])\n"),
                                     output(QStringLiteral("long_1.wma")));
    EXPECT_EQ(title.trimmed(), QStringLiteral("Stopped Piece"));
    EXPECT_EQ(bench().control().CutShortFiles(), QStringList{output(QStringLiteral("long_1.wma"))});
    const QString report = bench().control().StopReport();
    EXPECT_TRUE(report.contains(output(QStringLiteral("long_1.wma")))) << report.toStdString();
    EXPECT_TRUE(report.contains(QStringLiteral("of 20.0 s"))) << report.toStdString();
    EXPECT_TRUE(report.contains(QStringLiteral("holds %1 s").arg(double(frames) / Rate, 0, 'f', 1).left(9)))
        << report.toStdString();
    EXPECT_FALSE(bench().run().Converting);
    EXPECT_TRUE(bench().skin().text(QStringLiteral("pbpos")).isEmpty());
    EXPECT_EQ(bench().progress().ConvertBarRect().width(), 0);
    EXPECT_EQ(m_seams.launcher.opened, QStringList{outputFolder()});  // the skin's Split, even after Stop
}

TEST_F(SplitRunTest, AnEscapingErrorIsReportedAndLeavesTheRunStuckWithItsFilesClosed)
{
    add({makeTone(QStringLiteral("err.wav"), 4.0)});
    setSegments(bench().jobs().job(0), {{0, 2}, {0, 4}});
    settings().OutputFolder = m_folder.file(QStringLiteral("missing/deeper/"));
    EXPECT_EQ(runSplit(true), RunControl::Outcome::Failed);
    ASSERT_EQ(m_seams.messages.errors.size(), 1);
    EXPECT_TRUE(bench().run().Converting);
    EXPECT_FALSE(m_reader.isOpen());
    EXPECT_FALSE(m_writer.isOpen());
    EXPECT_EQ(bench().jobs().job(0).Count, 2);  // the pending segment is given back
    EXPECT_TRUE(m_seams.launcher.opened.isEmpty());

    // Guarded until Stop clears the flag.
    EXPECT_EQ(runSplit(), RunControl::Outcome::NotStarted);
    bench().control().Stop();
    EXPECT_FALSE(bench().run().Converting);
}

TEST_F(SplitRunTest, NothingRunsOnAnEmptyListOrAnUnknownMode)
{
    EXPECT_EQ(runSplit(true), RunControl::Outcome::NotStarted);
    EXPECT_TRUE(m_seams.launcher.opened.isEmpty());
    add({makeTone(QStringLiteral("x.wav"), 1.0)});
    EXPECT_EQ(split(7), RunControl::Outcome::NotStarted);
    EXPECT_TRUE(outputNames().isEmpty());
    EXPECT_FALSE(bench().run().Converting);
}

} // namespace

TEST_F(SplitRunTest, ADayLongFileIsCutNearItsEndAtTheRightSamples)
{
    // 29:00:00.250 is frame 2302025513 (2302025512.5 rounded half up)
    const qint64 cutFrame = qint64(29) * 3600 * 22050 + 5513;
    const QString path = writeDayLongFile(m_folder.file(QStringLiteral("day.flac")), cutFrame);
    ASSERT_FALSE(path.isEmpty());
    add({path});
    const listrecord &entry = bench().jobs().job(0);
    ASSERT_EQ(entry.Frames, qint64(30) * 3600 * 22050);
    // one second from 29:00:00.250: the tone's half second, then silence
    const qint64 begin = qint64(29) * 3600000 + 250;
    bench().jobs().job(0).BeginTime = {begin, 0};
    bench().jobs().job(0).EndTime = {begin + 1000, qint64(30) * 3600000};
    bench().jobs().job(0).Count = 2;
    EXPECT_EQ(split(split_mode::Custom), RunControl::Outcome::Finished);
    ASSERT_EQ(outputNames(), QStringList{"day_1.wma"});
    const DecodedAudio piece = decodeFile(output(QStringLiteral("day_1.wma")));
    ASSERT_GT(piece.sampleRate, 0);
    const qint64 rate = piece.sampleRate;
    EXPECT_NEAR(double(audioFrames(output(QStringLiteral("day_1.wma")))), double(rate), 1.0);
    // the tone from the first milliseconds on, and nothing after its end
    EXPECT_GT(channelRms(piece, 0, rate / 100), 0.1);
    EXPECT_GT(channelRms(piece, rate / 10, rate * 3 / 10), 0.1);
    EXPECT_LT(channelRms(piece, rate * 55 / 100, rate * 40 / 100), 0.01);
}
