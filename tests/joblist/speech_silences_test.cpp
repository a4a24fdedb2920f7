// Find Silences on real speech: sentences spoken by espeak-ng, with commas
// inside them and pauses of known lengths between them put in here.

#include "components/AudioFile.h"
#include "joblist/CutAdjuster.h"
#include "joblist/Scale.h"
#include "joblist/SilenceFinder.h"
#include "settings/SilenceSettings.h"
#include "support/AudioFixtures.h"
#include "support/ExternalTools.h"
#include "support/TempDir.h"

#include <gtest/gtest.h>

#include <cmath>

using namespace korvex;
using namespace korvex::test;

namespace {

const QStringList Sentences = {
    QStringLiteral("The river was wide, slow, and brown in the late summer light."),
    QStringLiteral("We walked along the bank, talking about nothing in particular."),
    QStringLiteral("Later, when the sun went down, the air turned cold."),
    QStringLiteral("Nobody wanted to leave, so we stayed until the stars came out."),
};
// Between sentences 1-2, 2-3 and 3-4.
const QList<double> PauseSeconds = {0.8, 1.4, 2.0};

class SpeechSilencesTest : public ::testing::Test
{
protected:
    // The sentences as one WAV with the pauses between them; the frame where
    // each pause begins and ends is kept.
    QString speech()
    {
        QList<float> samples;
        int rate = 0;
        for (qsizetype k = 0; k < Sentences.size(); ++k) {
            const QString wav = m_folder.file(QStringLiteral("sentence%1.wav").arg(k));
            const ToolResult spoken = RunTool(QStringLiteral("espeak-ng"), {"-w", wav, Sentences.at(k)});
            EXPECT_EQ(spoken.exitCode, 0) << spoken.errors.toStdString();
            const DecodedAudio sentence = decodeFile(wav);
            rate = sentence.sampleRate;
            samples.append(sentence.samples);
            if (k < PauseSeconds.size()) {
                const qsizetype pause = qsizetype(std::llround(PauseSeconds.at(k) * rate));
                m_pauses.append({samples.size(), samples.size() + pause});
                samples.append(QList<float>(pause, 0.0f));
            }
        }
        m_rate = rate;
        const QString path = m_folder.file(QStringLiteral("speech.wav"));
        writeAudioSamples(path, rate, 1, samples);
        return path;
    }

    QString convert(const QString &wav, const QString &extension)
    {
        const QString path = m_folder.file(QStringLiteral("speech.") + extension);
        const ToolResult made = RunTool(QStringLiteral("ffmpeg"), {"-v", "error", "-i", wav, "-y", path});
        EXPECT_EQ(made.exitCode, 0) << made.errors.toStdString();
        return path;
    }

    QList<Segment> find(const QString &path, const SilenceSettings &settings = {})
    {
        AudioFile reader;
        SilenceFinder finder(reader);
        return finder.find(path, settings).value_or(QList<Segment>{});
    }

    // The plan with its cuts moved into pauses within ±adjustMs, as a run
    // moves them on the open source.
    QList<Segment> adjust(const QString &path, const QList<Segment> &plan, qint64 adjustMs)
    {
        AudioFile reader;
        reader.openForRead(path, 0, 1);
        SilenceSettings settings;
        settings.AdjustMs = adjustMs;
        return AdjustPlan(reader, plan, settings);
    }

    qint64 lengthMs(const QString &path)
    {
        AudioFile reader;
        reader.openForRead(path, 0, 1);
        return Scale64(reader.length(), 1000, reader.sampleRate());
    }

    // Every cut between pieces lies in a pause: the 20 ms on either side of
    // it stay below the threshold in the file's own decode.
    void expectCutsInPauses(const QString &path, const QList<Segment> &pieces, int thresholdDb)
    {
        const DecodedAudio audio = decodeFile(path);
        const double threshold = std::pow(10.0, thresholdDb / 20.0);
        const qint64 window = audio.sampleRate / 50;
        for (qsizetype k = 1; k < pieces.size(); ++k) {
            const qint64 cut = FrameAtMs(pieces.at(k).Begin, audio.sampleRate);
            for (const qint64 from : {cut - window, cut}) {
                double sum = 0;
                for (qint64 f = from; f < from + window; ++f) {
                    const double v = audio.samples.value(f * audio.channels);
                    sum += v * v;
                }
                EXPECT_LT(std::sqrt(sum / double(window)), threshold)
                    << path.toStdString() << ": sound near the cut at " << pieces.at(k).Begin << " ms";
            }
        }
    }

    TestFolder m_folder;
    QList<std::pair<qint64, qint64>> m_pauses;  // frames of the WAV
    int m_rate = 0;
};

TEST_F(SpeechSilencesTest, OnePiecePerSentenceInWavMp3AndWmaWithEveryCutInAPause)
{
    const QString wav = speech();
    ASSERT_EQ(m_pauses.size(), 3);
    for (const QString &path : {wav, convert(wav, QStringLiteral("mp3")), convert(wav, QStringLiteral("wma"))}) {
        const QList<Segment> pieces = find(path);
        // the commas' short pauses are no cuts
        ASSERT_EQ(pieces.size(), Sentences.size()) << path.toStdString();
        EXPECT_EQ(pieces.front().Begin, 0);
        EXPECT_EQ(pieces.back().End, lengthMs(path)) << "the end of the recording is in the last piece";
        for (qsizetype k = 1; k < pieces.size(); ++k)
            EXPECT_EQ(pieces.at(k).Begin, pieces.at(k - 1).End) << "nothing left out between pieces";
        expectCutsInPauses(path, pieces, SilenceSettings::DefaultThreshold);
    }
}

TEST_F(SpeechSilencesTest, OffsetZeroAndOneCutAtThePausesEdgesAndTrimLeavesTheirMiddleOut)
{
    const QString wav = speech();
    const auto msOf = [this](qint64 frame) { return Scale64(frame, 1000, m_rate); };
    const QList<Segment> atBegin = find(wav, {-40, 700, 0.0, 0});
    const QList<Segment> atEnd = find(wav, {-40, 700, 1.0, 0});
    ASSERT_EQ(atBegin.size(), 4);
    ASSERT_EQ(atEnd.size(), 4);
    for (qsizetype k = 0; k < m_pauses.size(); ++k) {
        // speech fades out before the silence put in: the cut may come a
        // little earlier than the pause, never later; the next sentence
        // begins at the pause's end, within the 10 ms the gate looks at
        EXPECT_LE(atBegin.at(k).End, msOf(m_pauses.at(k).first) + 10) << k;
        EXPECT_GT(atBegin.at(k).End, msOf(m_pauses.at(k).first) - 400) << k;
        EXPECT_NEAR(double(atEnd.at(k).End), double(msOf(m_pauses.at(k).second)), 30.0) << k;
    }
    const QList<Segment> trimmed = find(wav, {-40, 700, 0.5, 200});
    ASSERT_EQ(trimmed.size(), 4);
    for (qsizetype k = 0; k < m_pauses.size(); ++k) {
        // the middle of every pause belongs to no piece
        const qint64 middle = msOf((m_pauses.at(k).first + m_pauses.at(k).second) / 2);
        EXPECT_LT(trimmed.at(k).End, middle) << k;
        EXPECT_GT(trimmed.at(k + 1).Begin, middle) << k;
        EXPECT_NEAR(double(trimmed.at(k + 1).Begin), double(msOf(m_pauses.at(k).second) - 200), 30.0) << k;
    }
}

// Cuts moved into pauses: time and count plans of the same speech.
TEST_F(SpeechSilencesTest, AdjustedTimeAndCountSplitsCutInsideThePausesAndCoverTheWholeFile)
{
    const QString wav = speech();
    for (const QString &path : {wav, convert(wav, QStringLiteral("mp3"))}) {
        const qint64 length = lengthMs(path);
        for (const QList<Segment> &plan : {timePlan(length, 5), countPlan(length, 4)}) {
            const QList<Segment> moved = adjust(path, plan, 2500);
            ASSERT_EQ(moved.size(), plan.size()) << path.toStdString();
            // the plain cuts (5, 10, 15 s; quarters of 18.5 s) fall in words
            EXPECT_NE(moved, plan);
            EXPECT_EQ(moved.front().Begin, 0);
            EXPECT_EQ(moved.back().End, plan.back().End) << "the end stays where the plan put it";
            for (qsizetype k = 1; k < moved.size(); ++k) {
                EXPECT_EQ(moved.at(k).Begin, moved.at(k - 1).End) << "nothing left out between pieces";
                EXPECT_LE(std::llabs(moved.at(k).Begin - plan.at(k).Begin), 2500) << k;
            }
            expectCutsInPauses(path, moved, SilenceSettings::DefaultThreshold);
        }
    }
}

TEST_F(SpeechSilencesTest, ACutWithNoPauseWithinReachStaysAndZeroKeepsThePlainPlan)
{
    const QString wav = speech();
    const qint64 length = lengthMs(wav);
    // the middle of the first sentence lies more than 0.3 s from every pause
    const qint64 insideSpeech = Scale64(m_pauses.front().first, 1000, m_rate) / 2;
    const QList<Segment> plan = {{0, insideSpeech}, {insideSpeech, length}};
    EXPECT_EQ(adjust(wav, plan, 300), plan);
    EXPECT_NE(adjust(wav, plan, 6000), plan) << "with reach enough the cut moves";
    EXPECT_EQ(adjust(wav, timePlan(length, 3), 0), timePlan(length, 3));
    EXPECT_EQ(adjust(wav, countPlan(length, 5), 0), countPlan(length, 5));
}

} // namespace
