// korvex-preview-sink-bench: the preview as a sound server hears it.
//
//   korvex-preview-sink-bench FILE OTHER_FILE [PLAYS] [SECONDS]
//
// Starts a PulseAudio server of its own whose only sink plays into nothing,
// records that sink's monitor, and in the real main window (offscreen without
// a display) measures
//   - PLAYS (default 10) plays of SECONDS (default 30) each of FILE, from
//     positions spread over it: the silent gaps in what reached the sink
//     (runs of at least 1 ms of exact silence between a play's first and
//     last sound), the time from the click on "play" to the first sound at
//     the sink, how far the player's clock (what the slider and the time
//     show) runs ahead of the sound at the sink, where in its play each gap
//     began, how early each block of a play reached the sound output before
//     the sink was due to sound it, and over the plays the largest gap
//     between 10 ms ticks on the window's event loop and the process's CPU
//     time as a share of one core;
//   - the switch of format: FILE plays, "stop", OTHER_FILE (another rate or
//     channel count) is chosen and played: click to first sound at the sink.
// Times at the sink are frames of the monitor's recording, whose clock is the
// sink's, set against this process's clock by the least delay the recording
// was seen to have (see SinkClock); what is left of the recorder's latency
// (20 ms at most) makes click-to-sound times longer, never shorter.
#include "bench/BenchWindow.h"
#include "support/PulseNullSink.h"

#include <QApplication>
#include <QElapsedTimer>

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <limits>

using namespace korvex;
using namespace korvex::bench;
using korvex::test::PulseNullSink;

namespace {

constexpr int Rate = PulseNullSink::Rate;
constexpr int Channels = PulseNullSink::Channels;
// Quieter than any sample of sound, louder than nothing.
constexpr float Audible = 1e-4f;
constexpr qint64 ShortestGapFrames = Rate / 1000;

bool audible(const QList<float> &recording, qint64 frame)
{
    for (int c = 0; c < Channels; ++c)
        if (std::fabs(recording[frame * Channels + c]) > Audible)
            return true;
    return false;
}

bool silent(const QList<float> &recording, qint64 frame)
{
    for (int c = 0; c < Channels; ++c)
        if (recording[frame * Channels + c] != 0.0f)
            return false;
    return true;
}

qint64 framesOf(const QList<float> &recording)
{
    return recording.size() / Channels;
}

// The first audible frame in [from, to), -1 when there is none.
qint64 firstSound(const QList<float> &recording, qint64 from, qint64 to)
{
    for (qint64 frame = std::max<qint64>(0, from); frame < std::min(to, framesOf(recording)); ++frame)
        if (audible(recording, frame))
            return frame;
    return -1;
}

// The first sound in [from, to) that follows at least 10 ms of exact
// silence: what the sink still held of the file played before is skipped.
qint64 firstSoundAfterSilence(const QList<float> &recording, qint64 from, qint64 to)
{
    qint64 silentRun = 0;
    bool afterSilence = false;
    for (qint64 frame = std::max<qint64>(0, from); frame < std::min(to, framesOf(recording)); ++frame) {
        if (silent(recording, frame)) {
            afterSilence = afterSilence || ++silentRun >= Rate / 100;
            continue;
        }
        silentRun = 0;
        if (afterSilence && audible(recording, frame))
            return frame;
    }
    return -1;
}

qint64 lastSound(const QList<float> &recording, qint64 from, qint64 to)
{
    for (qint64 frame = std::min(to, framesOf(recording)) - 1; frame >= from; --frame)
        if (audible(recording, frame))
            return frame;
    return -1;
}

struct Gaps
{
    int count = 0;
    qint64 longestFrames = 0;
    QList<double> startsMs;  // where each began, from the play's first sound
};

// Runs of exact silence inside a stretch of sound: the player had nothing to
// give, or the server took nothing from it, while the music went on.
Gaps gapsBetween(const QList<float> &recording, qint64 first, qint64 last)
{
    Gaps gaps;
    qint64 run = 0;
    for (qint64 frame = first; frame <= last; ++frame) {
        if (silent(recording, frame)) {
            ++run;
            continue;
        }
        if (run >= ShortestGapFrames) {
            ++gaps.count;
            gaps.longestFrames = std::max(gaps.longestFrames, run);
            gaps.startsMs.append(double(frame - run - first) * 1000.0 / Rate);
        }
        run = 0;
    }
    return gaps;
}

double msOf(qint64 frames)
{
    return double(frames) * 1000.0 / Rate;
}

double median(QList<double> values)
{
    if (values.isEmpty())
        return -1;
    std::sort(values.begin(), values.end());
    const qsizetype middle = values.size() / 2;
    return values.size() % 2 ? values[middle] : (values[middle - 1] + values[middle]) / 2;
}

QString listed(const QList<double> &values)
{
    QStringList texts;
    for (const double value : values)
        texts.append(QString::number(value, 'f', 0));
    return texts.join(QStringLiteral(", "));
}

// The sink's clock against this process's: the recording's frame n was
// made at origin + n / Rate. The recorder hands frames over late, by its
// latency and by however long a loaded machine keeps it waiting, never
// early: the smallest lag seen near a moment, sampled every 10 ms, is the
// best origin there. Near, as a recorder kept waiting long enough loses
// frames, and the origin moves on by what it lost.
class SinkClock
{
public:
    explicit SinkClock(const PulseNullSink &sink) : m_sink(sink)
    {
        m_clock.start();
        QObject::connect(&m_sampler, &QTimer::timeout, &m_sampler, [this] { sample(); });
        m_sampler.start(10);
    }

    qint64 nowNs() const { return m_clock.nsecsElapsed(); }
    // The recording's frame made at `ns`, by the origins seen within two
    // seconds of it.
    qint64 frameAt(qint64 ns) const
    {
        constexpr qint64 NearNs = 2000000000;
        qint64 origin = std::numeric_limits<qint64>::max();
        for (const auto &[when, seenOrigin] : m_origins) {
            if (when >= ns - NearNs && when <= ns + NearNs)
                origin = std::min(origin, seenOrigin);
        }
        return origin == std::numeric_limits<qint64>::max() ? -1 : (ns - origin) * Rate / 1000000000;
    }

private:
    void sample()
    {
        const qint64 frames = m_sink.recordedFrames();
        const qint64 now = m_clock.nsecsElapsed();
        if (frames > 0)
            m_origins.append({now, now - frames * 1000000000 / Rate});
    }

    const PulseNullSink &m_sink;
    QElapsedTimer m_clock;
    QTimer m_sampler;
    QList<std::pair<qint64, qint64>> m_origins;  // (when, the origin it gave)
};

// A block the preview handed to the sound output.
struct HandOver
{
    qint64 ns = 0;
    qint64 firstFrame = 0;  // in the file
};

// A stretch of playback that one click started, in this process's clock.
struct Play
{
    qint64 clickNs = 0;
    qint64 stopNs = 0;
    // The player's clock at its ticks: (when, frames played by its count).
    QList<std::pair<qint64, qint64>> ticks;
    QList<HandOver> handOvers;
};

class SinkBench
{
public:
    SinkBench(Tfm_main &main, const SinkClock &clock) : m_main(main), m_clock(clock) {}

    void click(const char *name)
    {
        m_main.commands().dispatch(CommandTable::Source::Skin, QString::fromLatin1(name));
    }

    void choose(int row)
    {
        m_main.jobList().selectFileRow(row);
        m_main.jobEditor().lvClick();
    }

    void placeSlider(int position)
    {
        SkinFace &face = m_main.skinFace();
        face.setPosition(QStringLiteral("pb"), position);
        face.redraw(QStringLiteral("pb"));
    }

    int sliderMax() { return m_main.skinFace().maxPosition(QStringLiteral("pb")); }

    // Plays for `ms` from a click on "play" and stops; the window's ticks and
    // the CPU are measured from a second after the click to the stop.
    Play playFor(int ms)
    {
        Play play;
        const QMetaObject::Connection ticks =
            QObject::connect(&m_main.AudioPlayer21, &IAudioPlayer2::OnTimer, &m_main.AudioPlayer21,
                             [&](qint64 played) { play.ticks.append({m_clock.nowNs(), played}); });
        PreviewPlayer &preview = m_main.previewPlayer();
        const QMetaObject::Connection handOvers =
            QObject::connect(&preview, &PreviewPlayer::blockQueued, &preview, [&](qint64 firstFrame) {
                play.handOvers.append({m_clock.nowNs(), firstFrame});
            });
        play.clickNs = m_clock.nowNs();
        click("play");
        runEventLoopFor(1000);
        TickGaps gaps;
        const double cpuBefore = cpuSeconds();
        QElapsedTimer wall;
        wall.start();
        gaps.start();
        runEventLoopFor(ms - 1000);
        largestTickGapMs = std::max(largestTickGapMs, gaps.stopMs());
        cpuUsed += cpuSeconds() - cpuBefore;
        wallUsed += double(wall.elapsed()) / 1000.0;
        if (!m_main.playerState().Playing)
            ++endedEarly;
        play.stopNs = m_clock.nowNs();
        QObject::disconnect(ticks);
        QObject::disconnect(handOvers);
        click("stop");
        return play;
    }

    double largestTickGapMs = 0;
    double cpuUsed = 0;
    double wallUsed = 0;
    int endedEarly = 0;

private:
    Tfm_main &m_main;
    const SinkClock &m_clock;
};

} // namespace

int main(int argc, char **argv)
{
    offscreenWithoutDisplay();
    PrivateSettings settings;
    QApplication app(argc, argv);
    const QStringList args = benchArguments(2, "korvex-preview-sink-bench FILE OTHER_FILE [PLAYS] [SECONDS]");
    if (args.isEmpty())
        return 2;
    const QString file = args[0];
    const QString other = args[1];
    const int plays = args.size() > 2 ? std::max(args[2].toInt(), 1) : 10;
    const int seconds = args.size() > 3 ? std::max(args[3].toInt(), 2) : 30;

    PulseNullSink sink;
    if (const QString whyNot = sink.start(); !whyNot.isEmpty()) {
        std::fprintf(stderr, "no PulseAudio null sink: %s\n", qPrintable(whyNot));
        return 2;
    }
    // Before the window makes its player, which chooses the driver at once.
    qputenv("SDL_AUDIODRIVER", "pulseaudio");
    BenchWindow window({file, other});
    Tfm_main &main = window.main();
    main.commands().dispatch(CommandTable::Source::Skin, QStringLiteral("addfile"));
    if (main.jobList().rowCount() != 2 || !sink.startRecording())
        return 1;
    SinkClock sinkClock(sink);
    SinkBench bench(main, sinkClock);

    // Silence between the plays, long enough for the device to be closed
    // (a second after the stop) and the sink to have played out the rest.
    constexpr int PauseMs = 2500;
    QList<Play> played;
    bench.choose(0);
    // The waveform's scan is the entry's, not the preview's.
    if (waitForWaveform(main, 120000) < 0)
        return 1;
    for (int i = 0; i < plays; ++i) {
        bench.placeSlider(bench.sliderMax() * (i + 1) / (plays + 2));
        runEventLoopFor(PauseMs);
        played.append(bench.playFor(seconds * 1000));
    }
    // The switch: FILE plays, then the other format right after its stop;
    // with the stop of the play before it, from which on the sink is silent
    // until the switched play sounds.
    QList<std::pair<Play, qint64>> switched;
    for (int i = 0; i < 3; ++i) {
        bench.choose(0);
        bench.placeSlider(0);
        runEventLoopFor(PauseMs);
        const Play before = bench.playFor(2000);
        bench.choose(1);
        runEventLoopFor(300);
        switched.append({bench.playFor(2000), before.stopNs});
    }
    runEventLoopFor(PauseMs);
    const QList<float> recording = sink.stopRecording();

    QList<double> toSound;
    int gapCount = 0;
    int playsWithGaps = 0;
    qint64 longestGap = 0;
    QList<double> gapStartsMs;
    for (const Play &play : std::as_const(played)) {
        const qint64 click = sinkClock.frameAt(play.clickNs);
        const qint64 stop = sinkClock.frameAt(play.stopNs);
        const qint64 first = firstSound(recording, click, stop);
        const qint64 last = lastSound(recording, click, stop);
        toSound.append(first < 0 ? -1 : msOf(first - click));
        const Gaps gaps = first < 0 ? Gaps{} : gapsBetween(recording, first, last);
        gapCount += gaps.count;
        playsWithGaps += gaps.count > 0 ? 1 : 0;
        longestGap = std::max(longestGap, gaps.longestFrames);
        gapStartsMs.append(gaps.startsMs);
    }
    // How early each block reached the sound output before its first frame
    // was due at the sink, by its place in the play: the least over the
    // plays. A block late at its place leaves a gap; one that is only just in
    // time says the reader runs too close there.
    QList<double> leastMargins;
    for (const Play &play : std::as_const(played)) {
        const qint64 first =
            firstSound(recording, sinkClock.frameAt(play.clickNs), sinkClock.frameAt(play.stopNs));
        if (first < 0 || play.handOvers.isEmpty())
            continue;
        const qint64 startFrame = play.handOvers.first().firstFrame;
        for (qsizetype i = 1; i < play.handOvers.size(); ++i) {
            const HandOver &handOver = play.handOvers[i];
            const double margin = msOf(first + handOver.firstFrame - startFrame - sinkClock.frameAt(handOver.ns));
            if (leastMargins.size() < i)
                leastMargins.append(margin);
            else
                leastMargins[i - 1] = std::min(leastMargins[i - 1], margin);
        }
    }
    // How far the player's clock (slider, time) runs ahead of what the sink
    // sounds: at each tick, its frames against the frames heard since the
    // play's first sound.
    QList<double> clockLeads;
    for (const Play &play : std::as_const(played)) {
        const qint64 click = sinkClock.frameAt(play.clickNs);
        const qint64 first = firstSound(recording, click, sinkClock.frameAt(play.stopNs));
        for (const auto &[ns, frames] : play.ticks) {
            if (first >= 0 && frames > 0)
                clockLeads.append(msOf(frames - (sinkClock.frameAt(ns) - first)));
        }
    }
    QList<double> switchToSound;
    for (const auto &[play, quietFromNs] : std::as_const(switched)) {
        const qint64 click = sinkClock.frameAt(play.clickNs);
        const qint64 first =
            firstSoundAfterSilence(recording, sinkClock.frameAt(quietFromNs), sinkClock.frameAt(play.stopNs));
        // the sink renders a little ahead of its clock (the recorder's
        // latency at most): at the click at the soonest
        switchToSound.append(first < 0 ? -1 : msOf(std::max<qint64>(0, first - click)));
    }
    const double cpuShare = bench.wallUsed > 0 ? bench.cpuUsed / bench.wallUsed : 0;
    const double medianToSound = median(toSound);
    const double worstSwitch = *std::max_element(switchToSound.cbegin(), switchToSound.cend());

    std::printf("%s through a PulseAudio null sink, %d plays of %d s (then %s)\n", qPrintable(file), plays, seconds,
                qPrintable(other));
    std::printf("  silent gaps at the sink: %d in %d of %d plays, longest %.1f ms (target none: %s)%s\n", gapCount,
                playsWithGaps, plays, msOf(longestGap), verdict(gapCount == 0),
                bench.endedEarly ? " (A PLAY ENDED EARLY)" : "");
    std::printf("  click on play to sound at the sink, ms: %s; median %.0f (target 100 ms: %s)\n",
                qPrintable(listed(toSound)), medianToSound, verdict(medianToSound >= 0 && medianToSound <= 100));
    if (!gapStartsMs.isEmpty())
        std::printf("  the gaps began at these ms into their play: %s\n", qPrintable(listed(gapStartsMs)));
    std::printf("  blocks 2, 3, ... of a play reached the output this many ms before they were due at the sink, "
                "least over the plays: %s\n",
                qPrintable(listed(leastMargins)));
    std::sort(clockLeads.begin(), clockLeads.end());
    const auto percentile = [&clockLeads](int percent) {
        return clockLeads.value((clockLeads.size() - 1) * percent / 100);
    };
    std::printf("  the player's clock ahead of the sound at the sink, ms: median %.0f, 5th to 95th percentile %.0f "
                "to %.0f, from %.0f to %.0f\n",
                median(clockLeads), percentile(5), percentile(95), clockLeads.value(0),
                clockLeads.value(clockLeads.size() - 1));
    std::printf("  switch of format, click to sound at the sink, ms: %s (target 100 ms: %s)\n",
                qPrintable(listed(switchToSound)),
                verdict(worstSwitch >= 0 && worstSwitch <= 100 && !switchToSound.contains(-1)));
    std::printf("  while playing: largest gap between 10 ms ticks %.1f ms (target 50 ms: %s), CPU %.2f %% of one core "
                "(target 5 %%: %s)\n",
                bench.largestTickGapMs, verdict(bench.largestTickGapMs <= 50.0), cpuShare * 100.0,
                verdict(cpuShare <= 0.05));
    return 0;
}
