// The preview as a sound server hears it: played through a PulseAudio null
// sink of the test's own and recorded from its monitor. Real time, so the
// cases run alone.
#include "player/PlayerFixture.h"

#include "components/SdlOutputBuffers.h"
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

    // Adds the file, selects what `select` clicks and plays it with Play
    // until the preview stops by itself, recording the sink from before the
    // click to a second after the stop.
    QList<float> recordPlayback(const QString &file, const std::function<void()> &select)
    {
        add({file});
        EXPECT_TRUE(sink->startRecording());
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

// Where in `expected` the recording's first sound starts: a stream that
// joins a running sink makes it rewind, and the first milliseconds then reach
// the sink but not the monitor's recording, which has already passed them;
// at most the server's buffer of them, -1 when the sound is not the file's.
qsizetype firstHeardFrame(const QList<float> &recording, qsizetype start, const QList<float> &expected)
{
    constexpr qsizetype Matching = 64;  // frames of noise that match by no chance
    const qsizetype mostLost = qsizetype(Rate) * sdl_audio::ServerBufferMs / 1000;
    for (qsizetype lost = 0; lost <= mostLost && (lost + Matching) * 2 <= expected.size(); ++lost) {
        if (recording.mid(start * 2, Matching * 2) == expected.mid(lost * 2, Matching * 2))
            return lost;
    }
    return -1;
}

// What the recording holds from its first sound on: exactly `expected`
// (less what the monitor missed of its start), then nothing but silence: no
// gap inside, nothing after the end.
void expectSoundIs(const QList<float> &recording, const QList<float> &expected)
{
    const qsizetype start = firstSoundFrame(recording);
    ASSERT_GE(start, 0) << "nothing reached the sink";
    const qsizetype lost = firstHeardFrame(recording, start, expected);
    ASSERT_GE(lost, 0) << "the recording does not start with the file's sound";
    const QList<float> wanted = expected.mid(lost * 2);
    const QList<float> heard = recording.mid(start * 2, wanted.size());
    ASSERT_EQ(heard.size(), wanted.size()) << "the recording ends before the sound does";
    qsizetype firstDifference = -1;
    for (qsizetype i = 0; i < heard.size() && firstDifference < 0; ++i) {
        if (heard[i] != wanted[i])
            firstDifference = i;
    }
    EXPECT_EQ(firstDifference, -1) << "at frame " << lost + firstDifference / 2 << ", channel "
                                   << firstDifference % 2 << ": heard " << heard.value(firstDifference)
                                   << ", the file has " << wanted.value(firstDifference);
    const QList<float> after = recording.mid(start * 2 + wanted.size());
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
