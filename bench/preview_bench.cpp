// korvex-preview-bench: the preview player in the real main window.
//
//   korvex-preview-bench FILE [SECONDS]
//
// Shows the window (offscreen when there is no display), adds FILE through
// "addfile", then measures
//   - the time from the click on "play" to the first block handed to the
//     player, from the start and from the middle of the file, and from a
//     release of the slider to the first block after the seek;
//   - once the waveform of the file is complete (its scan keeps a core busy
//     for seconds after the file is chosen, playing or not),
//     over SECONDS (default 30) of playback: the largest gap between the
//     ticks of a 10 ms timer on the window's event loop, the process's CPU
//     time as a share of one core, and its resident memory against the idle
//     window's.
#include "bench/BenchWindow.h"
#include "player/PreviewPlayer.h"

#include <QApplication>
#include <QElapsedTimer>
#include <QEventLoop>
#include <QFile>
#include <QTimer>

#include <algorithm>
#include <cstdio>
#include <unistd.h>

using namespace korvex;
using namespace korvex::bench;

namespace {

double residentMiB()
{
    QFile status(QStringLiteral("/proc/self/status"));
    if (!status.open(QIODevice::ReadOnly))
        return 0;
    for (const QByteArray &line : status.readAll().split('\n'))
        if (line.startsWith("VmRSS:"))
            return line.mid(6).trimmed().split(' ').first().toDouble() / 1024.0;
    return 0;
}

// Milliseconds from the action to the next block the player is handed.
double untilNextBlock(PreviewPlayer &player, const std::function<void()> &action)
{
    QElapsedTimer clock;
    qint64 at = -1;
    const QMetaObject::Connection watch =
        QObject::connect(&player, &PreviewPlayer::blockQueued, &player, [&] {
            if (at < 0)
                at = clock.nsecsElapsed();
        });
    QEventLoop loop;
    QObject::connect(&player, &PreviewPlayer::blockQueued, &loop, &QEventLoop::quit, Qt::QueuedConnection);
    QTimer::singleShot(10000, &loop, &QEventLoop::quit);
    clock.start();
    action();
    if (at < 0)
        loop.exec();
    QObject::disconnect(watch);
    return at < 0 ? -1.0 : double(at) / 1e6;
}

} // namespace

int main(int argc, char **argv)
{
    offscreenWithoutDisplay();
    PrivateSettings settings;
    QApplication app(argc, argv);
    const QStringList args = benchArguments(1, "korvex-preview-bench FILE [SECONDS]");
    if (args.isEmpty())
        return 2;
    const QString file = args[0];
    const int seconds = args.size() > 1 ? args[1].toInt() : 30;

    BenchWindow window({file});
    Tfm_main &main = window.main();
    const double idleMiB = residentMiB();

    QElapsedTimer clock;
    clock.start();
    main.commands().dispatch(CommandTable::Source::Skin, QStringLiteral("addfile"));
    const double addS = double(clock.elapsed()) / 1000.0;
    if (main.jobList().rowCount() != 1)
        return 1;
    main.jobList().selectFileRow(0);
    main.jobEditor().lvClick();
    // The waveform's scan is the entry's, not the preview's: it is done
    // before anything is measured.
    const double waveformS = waitForWaveform(main, 120000);
    const double addedMiB = residentMiB();

    PreviewPlayer &player = main.previewPlayer();
    SkinFace &face = main.skinFace();
    const auto click = [&main](const char *name) {
        main.commands().dispatch(CommandTable::Source::Skin, QString::fromLatin1(name));
    };
    // Three rounds from the start and from the middle: on a shared machine
    // the spread says how much of a figure is the neighbours'.
    QList<double> fromStarts;
    QList<double> fromMiddles;
    const auto playFrom = [&](int position) {
        click("stop");
        face.setPosition(QStringLiteral("pb"), position);
        face.redraw(QStringLiteral("pb"));
        runEventLoopFor(300);
        return untilNextBlock(player, [&] { click("play"); });
    };
    for (int round = 0; round < 3; ++round) {
        fromStarts.append(playFrom(0));
        fromMiddles.append(playFrom(face.maxPosition(QStringLiteral("pb")) / 2));
    }
    const double fromStart = *std::max_element(fromStarts.cbegin(), fromStarts.cend());
    const double fromMiddle = *std::max_element(fromMiddles.cbegin(), fromMiddles.cend());
    runEventLoopFor(500);
    const double afterSeek = untilNextBlock(player, [&] {
        face.reportMouseDown(QStringLiteral("pb"), Qt::LeftButton, 0, 0);
        face.setPosition(QStringLiteral("pb"), face.maxPosition(QStringLiteral("pb")) / 5);
        face.reportMouseUp(QStringLiteral("pb"), Qt::LeftButton, 0, 0);
    });

    // Playback from a seek a fifth of the way in, measured from here on.
    TickGaps gaps;
    double peakMiB = residentMiB();
    QTimer memory;
    QObject::connect(&memory, &QTimer::timeout, &memory, [&] { peakMiB = std::max(peakMiB, residentMiB()); });
    const double cpuBefore = cpuSeconds();
    QElapsedTimer wall;
    wall.start();
    gaps.start();
    memory.start(250);
    runEventLoopFor(seconds * 1000);
    const double cpuShare = (cpuSeconds() - cpuBefore) / (double(wall.elapsed()) / 1000.0);
    const double largestGapMs = gaps.stopMs();
    const bool stillPlaying = main.playerState().Playing;
    click("stop");

    std::printf("%s (%s)\n", qPrintable(file), qPrintable(main.AudioPlayer21.driverName().isEmpty()
                                                                ? QStringLiteral("no audio driver")
                                                                : "audio driver " + main.AudioPlayer21.driverName()));
    std::printf("  adding (measuring) the file        %8.2f s\n", addS);
    std::printf("  its waveform complete after        %8.2f s (before the measurements)\n", waveformS);
    const auto list = [](const QList<double> &values) {
        QStringList texts;
        for (const double value : values)
            texts.append(QString::number(value, 'f', 1));
        return texts.join(QStringLiteral(", "));
    };
    std::printf("  click on play to first block, ms   from the start %s; from the middle %s "
                "(target 100 ms, worst: %s)\n",
                qPrintable(list(fromStarts)), qPrintable(list(fromMiddles)),
                verdict(fromStart >= 0 && fromStart <= 100 && fromMiddle >= 0 && fromMiddle <= 100));
    std::printf("  slider released to first block     %8.1f ms\n", afterSeek);
    std::printf("  %d s of playback%s: largest gap between 10 ms ticks %.1f ms (target 50 ms: %s)\n", seconds,
                stillPlaying ? "" : " (PLAYBACK ENDED EARLY)", largestGapMs,
                verdict(largestGapMs <= 50.0));
    std::printf("  CPU %.2f %% of one core (target 5 %%: %s)\n", cpuShare * 100.0, verdict(cpuShare <= 0.05));
    std::printf("  resident memory: idle window %.1f MiB, file added %.1f MiB, playing at most %.1f MiB: "
                "+%.1f MiB (target 64 MiB: %s)\n",
                idleMiB, addedMiB, peakMiB, peakMiB - idleMiB, verdict(peakMiB - idleMiB <= 64.0));
    return stillPlaying ? 0 : 1;
}
