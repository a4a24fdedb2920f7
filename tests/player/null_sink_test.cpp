// The preview as a sound server hears it: played through a PulseAudio null
// sink of the test's own and recorded from its monitor. Real time, so the
// cases run alone.
#include "player/PlayerFixture.h"

#include "support/PulseNullSink.h"
#include "support/SegmentedRecord.h"

#include <algorithm>
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

// Whether the recording holds anything but exact silence.
bool anySound(const QList<float> &recording)
{
    return std::any_of(recording.cbegin(), recording.cend(), [](float sample) { return sample != 0.0f; });
}

// The frame where `expected`'s first frames start in the recording, -1 when
// they are nowhere: a start the sink lost is not found.
qsizetype frameWhereSoundStarts(const QList<float> &recording, const QList<float> &expected)
{
    constexpr qsizetype Matching = 64;  // frames of noise that match by no chance
    const QList<float> opening = expected.first(std::min<qsizetype>(expected.size(), Matching * 2));
    const qsizetype found = recording.indexOf(opening.first(), 0);
    for (qsizetype at = found; at >= 0; at = recording.indexOf(opening.first(), at + 1)) {
        if (at % 2 == 0 && recording.mid(at, opening.size()) == opening)
            return at / 2;
    }
    return -1;
}

// The recording is exactly `expected` in silence: nothing before its first
// frame, every sample in order (channels in place, no gap), nothing after
// its last.
void expectSoundIs(const QList<float> &recording, const QList<float> &expected)
{
    ASSERT_TRUE(anySound(recording)) << "nothing reached the sink";
    const qsizetype start = frameWhereSoundStarts(recording, expected);
    ASSERT_GE(start, 0) << "the recording does not hold the sound's first frames";
    EXPECT_FALSE(anySound(recording.first(start * 2))) << "sound before the first frame";
    const QList<float> heard = recording.mid(start * 2, expected.size());
    ASSERT_EQ(heard.size(), expected.size()) << "the recording ends before the sound does";
    const auto [heardDiffers, expectedDiffers] = std::mismatch(heard.cbegin(), heard.cend(), expected.cbegin());
    const qsizetype firstDifference = heardDiffers == heard.cend() ? -1 : heardDiffers - heard.cbegin();
    EXPECT_EQ(firstDifference, -1) << "at frame " << firstDifference / 2 << ", channel " << firstDifference % 2
                                   << ": heard " << heard.value(firstDifference) << ", the file has "
                                   << expected.value(firstDifference);
    EXPECT_FALSE(anySound(recording.mid(start * 2 + expected.size()))) << "sound after the end";
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
