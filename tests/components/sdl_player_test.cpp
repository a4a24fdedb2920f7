#include "support/AudioFixtures.h"
#include "components/KorvexError.h"
#include "components/SdlAudioPlayer.h"

#include <QCoreApplication>
#include <QElapsedTimer>
#include <QThread>
#include <gtest/gtest.h>

using namespace korvex;
using namespace korvex::test;

namespace {

// Plays like the preview does: blocks queued whenever the player asks, an
// empty block once the source is used up.
struct Feeder
{
    SdlAudioPlayer &player;
    QList<float> source;
    qsizetype blockSamples;
    qsizetype at = 0;

    void queueNext()
    {
        const QList<float> block = source.mid(at, blockSamples);
        at += block.size();
        player.queue(SampleArray(block));
    }
};

struct Recorder
{
    QList<qint64> samples;
    QList<qint64> elapsed;
    QList<int> levels;
    int requests = 0;
    int arraysEnded = 0;
    bool ended = false;
    bool offThread = false;
    QElapsedTimer clock;

    void attach(SdlAudioPlayer &player, Feeder *feeder)
    {
        QObject::connect(&player, &IAudioPlayer2::OnTimer, &player, [this](qint64 current, int left, int) {
            offThread |= QThread::currentThread() != qApp->thread();
            samples.append(current);
            elapsed.append(clock.elapsed());
            levels.append(left);
        });
        QObject::connect(&player, &IAudioPlayer2::OnRequestOnLoadArray, &player, [this, feeder] {
            offThread |= QThread::currentThread() != qApp->thread();
            ++requests;
            if (feeder)
                feeder->queueNext();
        });
        QObject::connect(&player, &IAudioPlayer2::OnEndArrayPlay, &player, [this, feeder] {
            ++arraysEnded;
            if (feeder)
                feeder->queueNext();
        });
        QObject::connect(&player, &IAudioPlayer2::OnEndPlay, &player, [this] { ended = true; });
    }

    void runUntil(const std::function<bool()> &done, int timeoutMs)
    {
        QElapsedTimer wait;
        wait.start();
        while (!done() && wait.elapsed() < timeoutMs)
            QCoreApplication::processEvents(QEventLoop::AllEvents, 20);
    }
};

QList<float> sine(qint64 frames)
{
    return generateSamples(sineSpec(44100, 2, frames));
}

// Plays `frames` of a 44.1 kHz stereo sine, fed in blocks of `blockFrames`
// as the player asks, until it ends (or 15 s pass); the milliseconds it took.
qint64 playToTheEnd(SdlAudioPlayer &player, Recorder &recorder, qint64 frames, qint64 blockFrames)
{
    player.setDataFormat(44100, 2);
    Feeder feeder{player, sine(frames), blockFrames * 2};
    recorder.attach(player, &feeder);
    recorder.clock.start();
    player.play();
    feeder.queueNext();
    recorder.runUntil([&] { return recorder.ended; }, 15000);
    return recorder.clock.elapsed();
}

TEST(SdlPlayerRealTime, ClockFollowsTheWallClockAndPlaybackEndsWithOnEndPlay)
{
    SdlAudioPlayer player;
    Recorder recorder;
    const qint64 took = playToTheEnd(player, recorder, 44100 * 3 / 2, 44100 / 2);

    EXPECT_TRUE(recorder.ended);
    EXPECT_FALSE(player.isPlaying());
    EXPECT_FALSE(recorder.offThread);
    EXPECT_GE(took, 1200);
    EXPECT_LT(took, 8000);
    ASSERT_GE(recorder.samples.size(), 5);
    for (qsizetype i = 1; i < recorder.samples.size(); ++i)
        EXPECT_GE(recorder.samples[i], recorder.samples[i - 1]);
    EXPECT_LE(recorder.samples.last(), 44100 * 3 / 2);
    // Frames per second of wall time between the first and the last tick.
    const double span = double(recorder.elapsed.last() - recorder.elapsed.first()) / 1000.0;
    ASSERT_GT(span, 0.5);
    const double rate = double(recorder.samples.last() - recorder.samples.first()) / span;
    EXPECT_GT(rate, 44100 * 0.6);
    EXPECT_LT(rate, 44100 * 1.6);
    EXPECT_GE(recorder.requests, 1);
    EXPECT_GE(recorder.arraysEnded, 1);
    EXPECT_NEAR(*std::max_element(recorder.levels.cbegin(), recorder.levels.cend()), 50, 3);
}

// The clock tells what has sounded: never more than the time since play
// gives, though the device was handed a buffer (about 90 ms) ahead; and the
// end comes once the last frame has sounded, not when it was handed over.
TEST(SdlPlayerRealTime, TheClockShowsWhatHasSoundedAndTheEndWaitsForTheLastFrame)
{
    constexpr int Rate = 44100;
    SdlAudioPlayer player;
    Recorder recorder;
    const qint64 took = playToTheEnd(player, recorder, Rate, Rate);

    ASSERT_TRUE(recorder.ended);
    EXPECT_GE(took, 1000) << "a second of sound ended early";
    ASSERT_GE(recorder.samples.size(), 5);
    constexpr qint64 ToleranceMs = 20;
    for (qsizetype i = 0; i < recorder.samples.size(); ++i) {
        EXPECT_LE(recorder.samples[i], (recorder.elapsed[i] + ToleranceMs) * Rate / 1000)
            << "tick " << i << " at " << recorder.elapsed[i] << " ms";
    }
    EXPECT_LE(recorder.samples.last(), Rate);
}

TEST(SdlPlayerRealTime, FlushCountsAgainFromZeroAndAsksForData)
{
    SdlAudioPlayer player;
    player.setDataFormat(22050, 1);
    Recorder recorder;
    recorder.attach(player, nullptr);
    recorder.clock.start();
    player.play();
    player.queue(SampleArray(generateSamples(sineSpec(22050, 1, 22050 * 10))));
    recorder.runUntil([&] { return !recorder.samples.isEmpty() && recorder.samples.last() > 11025; }, 8000);
    ASSERT_GT(recorder.samples.last(), 11025);
    const int requestsBefore = recorder.requests;
    player.flush();
    recorder.samples.clear();
    recorder.runUntil([&] { return recorder.samples.size() >= 2 && recorder.requests > requestsBefore; }, 8000);
    ASSERT_FALSE(recorder.samples.isEmpty());
    EXPECT_LT(recorder.samples.first(), 11025);
    EXPECT_GT(recorder.requests, requestsBefore);
    // Nothing queued after the flush: once the request goes unanswered long
    // enough, playback ends on its own.
    recorder.runUntil([&] { return recorder.ended; }, 8000);
    EXPECT_TRUE(recorder.ended);
}

TEST(SdlPlayerRealTime, StopSilencesTheEvents)
{
    SdlAudioPlayer player;
    player.setDataFormat(44100, 2);
    Recorder recorder;
    recorder.attach(player, nullptr);
    recorder.clock.start();
    player.play();
    player.queue(SampleArray(sine(44100 * 5)));
    recorder.runUntil([&] { return recorder.samples.size() >= 2; }, 8000);
    player.stop();
    const qsizetype ticks = recorder.samples.size();
    recorder.runUntil([] { return false; }, 400);
    EXPECT_EQ(recorder.samples.size(), ticks);
    EXPECT_FALSE(recorder.ended);
    EXPECT_FALSE(player.isPlaying());
}

// A play that starts with a short block asks for the next ones at once, not
// on its clock's ticks: before the first tick, the three seconds
// it keeps queued are there, though each block is a quarter of a second.
TEST(SdlPlayerRealTime, AfterAShortFirstBlockTheQueueFillsBeforeTheFirstTick)
{
    constexpr qint64 BlockFrames = 44100 / 4;
    SdlAudioPlayer player(QStringList{QStringLiteral("dummy")}, nullptr);
    player.setDataFormat(44100, 2);
    Feeder feeder{player, sine(44100 * 10), BlockFrames * 2};
    Recorder recorder;
    recorder.attach(player, &feeder);
    qsizetype queuedAtFirstTick = -1;
    QObject::connect(&player, &IAudioPlayer2::OnTimer, &player, [&] {
        if (queuedAtFirstTick < 0)
            queuedAtFirstTick = feeder.at / 2;
    });
    player.play();
    feeder.queueNext();
    recorder.runUntil([&] { return queuedAtFirstTick >= 0; }, 8000);
    player.stop();
    EXPECT_GE(queuedAtFirstTick, 44100 * 3) << "frames queued when the clock first ticked";
}

TEST(SdlPlayer, WithoutAnyDriverEveryOperationSaysItIsNotConnected)
{
    SdlAudioPlayer player(QStringList{QStringLiteral("korvex-no-such-driver")}, nullptr);
    const std::string expected = "DefaultInterface is NULL. Component is not connected to Server. You must call "
                                 "'Connect' or 'ConnectTo' before this operation";
    try {
        player.play();
        FAIL() << "played without a driver";
    } catch (const KorvexError &error) {
        EXPECT_EQ(error.text().toStdString(), expected);
    }
    EXPECT_THROW(player.setDataFormat(44100, 2), KorvexError);
    EXPECT_THROW(player.queue(SampleArray(4)), KorvexError);
    EXPECT_THROW(player.flush(), KorvexError);
    EXPECT_THROW(player.stop(), KorvexError);
}

} // namespace

namespace {

TEST(SdlPlayer, FallsBackToTheNextDriverWhenOneFails)
{
    SdlAudioPlayer player(QStringList{QStringLiteral("korvex-no-such-driver"), QStringLiteral("dummy")}, nullptr);
    player.setDataFormat(48000, 2);
    EXPECT_EQ(player.driverName(), QStringLiteral("dummy"));
}

// A player holds a device only while it sounds: it opens one with its first
// samples (opened before them, it would fill the sound server with silence
// to be played first) and lets go a moment after it stopped or ended, so
// nothing keeps the sound output busy with silence. The dummy driver has a
// single device, which a second player gets only while the first does not
// hold it.
TEST(SdlPlayerRealTime, ADeviceIsHeldOnlyFromTheFirstSamplesToTheStopOrTheEnd)
{
    SdlAudioPlayer first(QStringList{QStringLiteral("dummy")}, nullptr);
    SdlAudioPlayer second(QStringList{QStringLiteral("dummy")}, nullptr);
    first.setDataFormat(44100, 2);
    second.setDataFormat(22050, 1);
    const SampleArray firstSamples(sine(4410));
    const SampleArray secondSamples(generateSamples(sineSpec(22050, 1, 2205)));
    const auto sounds = [](SdlAudioPlayer &player, const SampleArray &samples) {
        try {
            player.play();
            player.queue(samples);
            return true;
        } catch (const KorvexError &) {
            player.stop();
            return false;
        }
    };

    first.play();
    EXPECT_TRUE(sounds(second, secondSamples)) << "a player waiting for samples holds no device";
    EXPECT_FALSE(sounds(first, firstSamples)) << "two devices on a driver that has one";
    second.stop();
    Recorder recorder;
    recorder.runUntil([&] { return sounds(first, firstSamples); }, 8000);
    EXPECT_TRUE(first.isPlaying()) << "a stopped player still holds its device";
    first.stop();

    // played to its end, the device goes a moment later
    recorder.runUntil([&] { return sounds(second, secondSamples); }, 8000);
    ASSERT_TRUE(second.isPlaying());
    recorder.attach(second, nullptr);
    second.queue(SampleArray());
    recorder.runUntil([&] { return recorder.ended; }, 8000);
    ASSERT_TRUE(recorder.ended);
    recorder.runUntil([&] { return sounds(first, firstSamples); }, 8000);
    EXPECT_TRUE(first.isPlaying());
    first.stop();
}

} // namespace
