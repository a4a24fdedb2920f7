#include "engine/EngineFixture.h"
#include "joblist/StatusWords.h"
#include "support/SegmentedRecord.h"

#include <QFileInfo>

using namespace korvex;
using namespace korvex::test;

namespace {

constexpr int Rate = 44100;

class JoinRunTest : public EngineTest
{
protected:
    QString joined() const { return m_folder.file(QStringLiteral("joined.wma")); }
    RunControl::Outcome join(int mode)
    {
        settings().SplitMode = mode;
        m_seams.dialogs.saveAnswer = m_folder.file(QStringLiteral("joined"));
        return runJoin();
    }
    // A stereo tone in the stretches of `loud` (seconds), silence elsewhere.
    QString makeGated(const QString &name, int seconds, const QList<Segment> &loud)
    {
        AudioSpec tone;
        tone.frames = qint64(seconds) * Rate;
        QList<float> samples = generateSamples(tone);
        for (qint64 f = 0; f < tone.frames; ++f) {
            bool on = false;
            for (const Segment &segment : loud)
                on = on || (f >= qint64(segment.Begin) * Rate && f < qint64(segment.End) * Rate);
            if (!on)
                samples[2 * f] = samples[2 * f + 1] = 0.0f;
        }
        const QString path = m_folder.file(name);
        writeAudioSamples(path, Rate, 2, samples);
        return path;
    }
};

TEST_F(JoinRunTest, EntriesAreDeliveredInTheFirstEntrysRateAndJoinedWhole)
{
    add({makeTone(QStringLiteral("high.wav"), 3.0, 44100), makeTone(QStringLiteral("low.wav"), 2.0, 22050)});
    EXPECT_EQ(join(split_mode::Custom), RunControl::Outcome::Finished);
    EXPECT_EQ(decodeFile(joined()).sampleRate, 44100);
    EXPECT_NEAR(audioFrames(joined()), 5 * Rate, CodecFrame);
    EXPECT_EQ(statuses(), QStringList{status_word::Finish});
    EXPECT_FALSE(bench().run().Converting);  // Start join clears it
    EXPECT_TRUE(bench().skin().text(QStringLiteral("pbpos")).isEmpty());
    EXPECT_EQ(m_seams.launcher.opened, QStringList{outputFolder()});
}

TEST_F(JoinRunTest, WholeFilesShowOneRowPerEntryWithItsLength)
{
    add({makeTone(QStringLiteral("w1.wav"), 2.0), makeTone(QStringLiteral("w2.wav"), 3.0)});
    setSegments(bench().jobs().job(0), {{1, 2}, {0, 2}});  // ignored: whole files
    EXPECT_EQ(join(split_mode::Time), RunControl::Outcome::Finished);
    EXPECT_NEAR(audioFrames(joined()), 5 * Rate, CodecFrame);
    ASSERT_EQ(bench().jobs().segmentModel()->rowCount(), 1);
    EXPECT_EQ(bench().jobs().segmentModel()->row(0),
              (SegmentRow{QStringLiteral("00:00:00 - 00:00:03"), QStringLiteral("00:00:03"), status_word::Finish}));
}

TEST_F(JoinRunTest, UnificationJoinsTheFirstEntrysSegmentsFromAShorterEntry)
{
    add({makeTone(QStringLiteral("u0.wav"), 10.0), makeTone(QStringLiteral("u1.wav"), 5.0)});
    setSegments(bench().jobs().job(0), {{1, 4}, {6, 9}, {0, 10}});
    EXPECT_EQ(join(split_mode::Unification), RunControl::Outcome::Finished);
    // u0 gives 3 + 3 seconds, u1 gives [1, 4] and nothing from [6, 9].
    EXPECT_NEAR(audioFrames(joined()), 9 * Rate, 2 * CodecFrame);
    // the rows are the first entry's segments, as the last entry left them
    EXPECT_EQ(statuses().value(0), status_word::Finish);
    EXPECT_NE(statuses().value(1), status_word::Finish);
    EXPECT_EQ(bench().jobs().job(0).Count, 3);
}

TEST_F(JoinRunTest, FadesHappenOnceAtTheVeryStartAndEnd)
{
    add({makeTone(QStringLiteral("f1.wav"), 3.0), makeTone(QStringLiteral("f2.wav"), 3.0)});
    settings().FadeIn = settings().FadeOut = true;
    settings().FadeInSeconds = settings().FadeOutSeconds = 1;
    EXPECT_EQ(join(split_mode::Custom), RunControl::Outcome::Finished);
    const DecodedAudio audio = decodeFile(joined());
    const qint64 end = audioFrames(joined());
    const double middle = channelRms(audio, 3 * Rate - 4410, 8820);  // across the join
    EXPECT_GT(middle, 0.2);
    EXPECT_LT(channelRms(audio, 0, 4410), middle * 0.2);
    EXPECT_LT(channelRms(audio, end - 4410, 4410), middle * 0.2);
}

TEST_F(JoinRunTest, AFadeOutOverSeveralSegmentsTakesOnlyTheChosenAudio)
{
    // Loud only where the segments are; the gaps between them are silent.
    add({makeGated(QStringLiteral("gated.wav"), 8, {{0, 1}, {3, 4}, {6, 7}})});
    setSegments(bench().jobs().job(0), {{0, 1}, {3, 4}, {6, 7}, {0, 8}});
    settings().FadeOut = true;
    settings().FadeOutSeconds = 2;
    EXPECT_EQ(join(split_mode::Custom), RunControl::Outcome::Finished);
    const DecodedAudio audio = decodeFile(joined());
    const qint64 end = audioFrames(joined());
    EXPECT_NEAR(end, 3 * Rate, CodecFrame);
    // The third second is the third segment fading from half level, not a gap.
    const double second = channelRms(audio, Rate + 2205, 4410);
    const double third = channelRms(audio, 2 * Rate + 2205, 4410);
    EXPECT_GT(third, 0.05);
    EXPECT_LT(third, second);
    EXPECT_LT(channelRms(audio, end - 2205, 2205), 0.05);
}

TEST_F(JoinRunTest, SegmentsAreJoinedFromWhereTheyWereMarked)
{
    // 5.9 s, loud only in [3, 4): the whole-second duration (5) against the
    // exact length would put second 3 at 3.54 s.
    AudioSpec tone;
    tone.frames = qint64(5.9 * Rate);
    QList<float> samples = generateSamples(tone);
    for (qint64 f = 0; f < tone.frames; ++f) {
        if (f < 3 * Rate || f >= 4 * Rate)
            samples[2 * f] = samples[2 * f + 1] = 0.0f;
    }
    const QString path = m_folder.file(QStringLiteral("marked.wav"));
    writeAudioSamples(path, Rate, 2, samples);
    add({path});
    setSegments(bench().jobs().job(0), {{3, 4}, {0, 5}});
    EXPECT_EQ(join(split_mode::Custom), RunControl::Outcome::Finished);
    const DecodedAudio audio = decodeFile(joined());
    EXPECT_NEAR(audioFrames(joined()), Rate, CodecFrame);
    EXPECT_GT(channelRms(audio, Rate / 10, Rate * 8 / 10), 0.3);
    EXPECT_GT(channelRms(audio, Rate / 2, Rate * 4 / 10), 0.3);

    // A segment that ends at the last whole second runs to the true end.
    setSegments(bench().jobs().job(0), {{4, 5}, {0, 5}});
    m_seams.messages.questionAnswer = true;  // the earlier output is replaced
    EXPECT_EQ(join(split_mode::Custom), RunControl::Outcome::Finished);
    EXPECT_NEAR(audioFrames(joined()), 1.9 * Rate, CodecFrame);
}

TEST_F(JoinRunTest, UnificationJoinsSegmentsMarkedOutOfOrderAndMarksOnlyWhatItJoined)
{
    add({makeTone(QStringLiteral("o0.wav"), 10.0), makeTone(QStringLiteral("o1.wav"), 4.0)});
    setSegments(bench().jobs().job(0), {{5, 8}, {1, 3}, {0, 10}});
    settings().FadeOut = true;
    settings().FadeOutSeconds = 1;
    EXPECT_EQ(join(split_mode::Unification), RunControl::Outcome::Finished);
    // o0 gives 3 + 2 seconds, o1 only [1, 3]: [5, 8] lies beyond its end.
    EXPECT_NEAR(audioFrames(joined()), 7 * Rate, 2 * CodecFrame);
    EXPECT_NE(statuses().value(0), status_word::Finish);
    EXPECT_EQ(statuses().value(1), status_word::Finish);
    // the total counted o1's segment, so the fade-out ends the output
    const DecodedAudio audio = decodeFile(joined());
    EXPECT_LT(channelRms(audio, audio.frames() - 2205, 2205), 0.05);
    EXPECT_GT(channelRms(audio, audio.frames() - Rate - 4410, 4410), 0.2);
}

TEST_F(JoinRunTest, AFadeOutAcrossEntriesOfOtherRatesIsOneStraightRamp)
{
    add({makeTone(QStringLiteral("r44.wav"), 4.0, 44100), makeTone(QStringLiteral("r22.wav"), 3.0, 22050)});
    settings().FadeOut = true;
    settings().FadeOutSeconds = 5;
    EXPECT_EQ(join(split_mode::Time), RunControl::Outcome::Finished);
    const DecodedAudio audio = decodeFile(joined());
    ASSERT_NEAR(double(audioFrames(joined())), 7.0 * Rate, CodecFrame);
    const double full = channelRms(audio, Rate / 2, Rate / 2);
    // The gain falls from 1 at 2 s to 0 at 7 s: half way at 4.5 s.
    for (const double at : {2.5, 3.5, 4.5, 5.5, 6.5}) {
        const double expected = (7.0 - at) / 5.0;
        EXPECT_NEAR(channelRms(audio, qint64((at - 0.05) * Rate), Rate / 10) / full, expected, 0.08) << at;
    }
}

TEST_F(JoinRunTest, AFadeOfZeroSecondsIsNoFade)
{
    add({makeTone(QStringLiteral("z.wav"), 4.0)});
    settings().FadeIn = settings().FadeOut = true;
    settings().FadeInSeconds = 0;
    settings().FadeOutSeconds = -3;
    EXPECT_EQ(join(split_mode::Custom), RunControl::Outcome::Finished);
    const DecodedAudio audio = decodeFile(joined());
    const double full = channelRms(audio, 2 * Rate, Rate / 2);
    EXPECT_GT(channelRms(audio, Rate / 10, Rate / 10), full * 0.9);
    EXPECT_GT(channelRms(audio, audio.frames() - Rate / 5, Rate / 10), full * 0.9);
}

TEST_F(JoinRunTest, StopDuringTheSecondEntryKeepsWhatWasJoined)
{
    add({makeTone(QStringLiteral("s1.wav"), 2.0), makeTone(QStringLiteral("s2.wav"), 20.0)});
    // Stop at the fourth check of the second entry (its segment's, then one
    // before each block): two blocks of a second are joined from it.
    bench().setRunCheckpoint([](RunJob &job, const JobPosition &at) {
        if (at.entry == 1 && at.checks == 4)
            job.requestStop();
    });
    EXPECT_EQ(join(split_mode::Custom), RunControl::Outcome::Stopped);
    const qint64 frames = audioFrames(joined());
    EXPECT_GT(frames, 3 * Rate);
    EXPECT_LT(frames, 10 * Rate);
    EXPECT_FALSE(bench().run().Converting);
    EXPECT_EQ(m_seams.launcher.opened, QStringList{outputFolder()});
}

TEST_F(JoinRunTest, NoRunWithoutAnOutput)
{
    EXPECT_EQ(join(split_mode::Custom), RunControl::Outcome::NotStarted);
    EXPECT_TRUE(m_seams.dialogs.saveRequests.isEmpty());
    add({makeTone(QStringLiteral("c.wav"), 1.0)});
    m_seams.dialogs.saveAnswer.clear();
    EXPECT_EQ(runJoin(), RunControl::Outcome::NotStarted);
    EXPECT_TRUE(m_seams.launcher.opened.isEmpty());
    EXPECT_FALSE(QFileInfo::exists(joined()));
}

TEST_F(JoinRunTest, AFailingOutputIsReportedAndLeavesConvertingSet)
{
    add({makeTone(QStringLiteral("e.wav"), 1.0)});
    settings().SplitMode = split_mode::Custom;
    m_seams.dialogs.saveAnswer = m_folder.file(QStringLiteral("no/such/folder/out"));
    EXPECT_EQ(runJoin(), RunControl::Outcome::Failed);
    EXPECT_EQ(m_seams.messages.errors.size(), 1);
    EXPECT_TRUE(bench().run().Converting);
    EXPECT_FALSE(m_reader.isOpen());
    EXPECT_TRUE(m_seams.launcher.opened.isEmpty());
}

} // namespace
