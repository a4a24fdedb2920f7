// The preview as a sound server hears it: played through a PulseAudio null
// sink of the test's own and recorded from its monitor. Real time, so the
// cases run alone.
#include "player/PlayerFixture.h"

#include "support/PulseNullSink.h"
#include "support/SegmentedRecord.h"

#include <functional>
#include <memory>

using namespace korvex;
using namespace korvex::test;

namespace {

constexpr int Rate = PulseNullSink::Rate;

class NullSinkRealTime : public PlayerTest
{
public:
    // The server comes up before the fixture makes its player, so that the
    // player's driver choice finds it.
    static void SetUpTestSuite()
    {
        sink = std::make_unique<PulseNullSink>();
        whyNot = sink->start();
        if (whyNot.isEmpty())
            qputenv("SDL_AUDIODRIVER", "pulseaudio");
    }
    static void TearDownTestSuite() { sink.reset(); }

protected:
    void SetUp() override
    {
        if (!whyNot.isEmpty())
            GTEST_SKIP() << "no PulseAudio null sink: " << whyNot.toStdString();
        ASSERT_EQ(m_output.driverName(), QStringLiteral("pulseaudio"));
    }

    // Adds the file and a silent one after it, selects what `select` clicks
    // and plays it with Play until the preview stops by itself, recording the
    // sink from before the click to a second after the stop. The silent file
    // is played and stopped just before, so that the player's stream is open
    // already: a stream that joins a running sink makes it rewind, and its
    // first milliseconds then reach the sink but not the monitor's
    // recording, which has already passed them.
    QList<float> recordPlayback(const QString &file, const std::function<void()> &select)
    {
        const QString silent = m_folder.file(QStringLiteral("silent.wav"));
        AudioSpec silence = sineSpec(Rate, 2, Rate);
        silence.signal = Signal::Silence;
        writeAudioFile(silent, silence);
        add({file, silent});
        EXPECT_TRUE(sink->startRecording());
        clickFile(1);
        preview().Play();
        EXPECT_TRUE(waitForTicks(2));
        preview().StopPlayback();
        select();
        preview().Play();
        EXPECT_TRUE(state().Playing);
        EXPECT_TRUE(waitFor([this] { return !state().Playing; }));
        EXPECT_TRUE(sink->recordFurther(Rate, 10000));
        return sink->stopRecording();
    }

    // A noise file: no two neighbouring samples alike, the channels unlike.
    QString makeNoise(const QString &name, int seconds)
    {
        const QString path = m_folder.file(name);
        writeAudioFile(path, noiseSpec(Rate, 2, qint64(seconds) * Rate));
        return path;
    }

    static inline std::unique_ptr<PulseNullSink> sink;
    static inline QString whyNot;
};

// The frame where the recording's first sound starts, -1 when it is silent.
qsizetype firstSoundFrame(const QList<float> &recording)
{
    for (qsizetype i = 0; i < recording.size(); ++i) {
        if (recording[i] != 0.0f)
            return i / 2;
    }
    return -1;
}

// What the recording holds from its first sound on: exactly `expected`, then
// nothing but silence (no gap inside, nothing after the end).
void expectSoundIs(const QList<float> &recording, const QList<float> &expected)
{
    const qsizetype start = firstSoundFrame(recording);
    ASSERT_GE(start, 0) << "nothing reached the sink";
    const QList<float> heard = recording.mid(start * 2, expected.size());
    ASSERT_EQ(heard.size(), expected.size()) << "the recording ends before the sound does";
    qsizetype firstDifference = -1;
    for (qsizetype i = 0; i < heard.size() && firstDifference < 0; ++i) {
        if (heard[i] != expected[i])
            firstDifference = i;
    }
    EXPECT_EQ(firstDifference, -1) << "at frame " << firstDifference / 2 << ", channel " << firstDifference % 2
                                   << ": heard " << heard.value(firstDifference) << ", the file has "
                                   << expected.value(firstDifference);
    const QList<float> after = recording.mid(start * 2 + expected.size());
    EXPECT_EQ(firstSoundFrame(after), -1) << "sound after the end";
}

TEST_F(NullSinkRealTime, TheSinkGetsTheFilesDecodedSamplesInOrderWithoutAGap)
{
    const QString file = makeNoise(QStringLiteral("noise.flac"), 3);
    const QList<float> recording = recordPlayback(file, [this] { clickFile(0); });
    const DecodedAudio decoded = decodeFile(file);
    ASSERT_EQ(decoded.frames(), 3 * Rate);
    expectSoundIs(recording, decoded.samples);
}

// The sink gets the segment's samples in order, from its first frame to its
// last and not one more.
TEST_F(NullSinkRealTime, ASegmentSoundsExactlyItsOwnSamples)
{
    const QString file = makeNoise(QStringLiteral("noise.flac"), 4);
    const QList<float> recording = recordPlayback(file, [this] {
        setSegments(bench().jobs().job(0), {{1, 3}});
        clickFile(0);
        clickSegment(0);
    });
    const DecodedAudio decoded = decodeFile(file);
    ASSERT_EQ(decoded.frames(), 4 * Rate);
    expectSoundIs(recording, decoded.samples.mid(2 * Rate, 2 * 2 * Rate));
}

} // namespace
