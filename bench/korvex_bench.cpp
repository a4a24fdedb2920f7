// korvex-bench: how fast and how lean the audio components are.
//
//   korvex-bench transcode SRC DST [PROFILE]   SRC → WMA through the reader and
//                                              writer in one-second blocks
//   korvex-bench seeks FILE [COUNT]            random sample-exact seeks
//   korvex-bench compare SRC WORKDIR           both transcodes side by side
//                                              (ours and the ffmpeg command),
//                                              then seeks in their outputs
//   korvex-bench overview FILE                 the waveform overview on its
//                                              worker thread, with the longest
//                                              gap of the event loop meanwhile
//   korvex-bench scans SRC CLI                 overview and silence scan, each
//                                              beside the ffmpeg command doing
//                                              the same reading
//   korvex-bench adjustscan FILE [REACH]       the pause scan of a 60 s time
//                                              plan with Adjust REACH s (2) on
//                                              its worker, with the longest gap
//                                              of the event loop meanwhile
#include "components/AudioFile.h"
#include "components/KorvexError.h"
#include "components/WaveformSource.h"
#include "joblist/AdjustScanner.h"

extern "C" {
#include <libavutil/log.h>
}

#include <QCoreApplication>
#include <QElapsedTimer>
#include <QList>
#include <QTimer>
#include <algorithm>
#include <chrono>
#include <cstdio>
#include <random>
#include <sys/resource.h>
#include <sys/wait.h>
#include <unistd.h>

using namespace korvex;

namespace {

int transcode(const QString &source, const QString &target, int profile)
{
    AudioFile reader;
    AudioFile writer;
    reader.openForRead(source, 0, 1);
    const int rate = reader.sampleRate();
    const int channels = reader.channelCount();
    writer.setOutputProfile(profile);
    writer.setDataFormat(rate, channels);
    writer.createForWrite(target, 0);
    writer.setDataFormat(rate, channels);
    for (;;) {
        const SampleArray block = reader.readBlock(rate);
        if (block.upperBound() < 1)
            break;
        writer.writeBlock(block);
    }
    writer.close();
    reader.close();
    return 0;
}

struct SeekFigures
{
    double openMs = 0;
    double medianMs = 0;
    double p90Ms = 0;
    double worstMs = 0;
};

SeekFigures measureSeeks(const QString &path, int count)
{
    SeekFigures figures;
    QElapsedTimer clock;
    clock.start();
    AudioFile file;
    file.openForRead(path, 0, 1);
    const qint64 length = file.length();
    figures.openMs = double(clock.nsecsElapsed()) / 1e6;
    std::mt19937_64 random(2024);
    std::uniform_int_distribution<qint64> anywhere(0, std::max<qint64>(length - 4096, 0));
    QList<double> times;
    for (int i = 0; i < count; ++i) {
        const qint64 target = anywhere(random);
        clock.restart();
        file.seek(target, 3);
        const SampleArray block = file.readBlock(4096);
        times.append(double(clock.nsecsElapsed()) / 1e6);
        if (block.upperBound() < 1)
            std::fprintf(stderr, "empty read at %lld\n", static_cast<long long>(target));
    }
    std::sort(times.begin(), times.end());
    figures.medianMs = (times[count / 2] + times[(count - 1) / 2]) / 2;
    figures.p90Ms = times[count * 9 / 10];
    figures.worstMs = times.last();
    return figures;
}

int seeks(const QString &path, int count)
{
    const SeekFigures f = measureSeeks(path, count);
    std::printf("%s: open %.1f ms; %d seeks: median %.2f ms, 90%% %.2f ms, worst %.2f ms\n",
                qPrintable(path), f.openMs, count, f.medianMs, f.p90Ms, f.worstMs);
    return 0;
}

struct RunFigures
{
    double wallS = 0;
    double cpuS = 0;
    double peakMiB = 0;
    int status = -1;
};

// Runs a program as a child and takes its wall time, CPU time and peak
// resident memory from the kernel.
RunFigures runChild(const QStringList &arguments)
{
    QList<QByteArray> storage;
    std::vector<char *> argv;
    for (const QString &argument : arguments)
        storage.append(argument.toLocal8Bit());
    for (QByteArray &bytes : storage)
        argv.push_back(bytes.data());
    argv.push_back(nullptr);

    RunFigures figures;
    const auto start = std::chrono::steady_clock::now();
    const pid_t child = fork();
    if (child == 0) {
        execvp(argv[0], argv.data());
        _exit(127);
    }
    int status = 0;
    rusage usage{};
    wait4(child, &status, 0, &usage);
    figures.wallS = std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();
    auto seconds = [](const timeval &t) { return double(t.tv_sec) + double(t.tv_usec) / 1e6; };
    figures.cpuS = seconds(usage.ru_utime) + seconds(usage.ru_stime);
    figures.peakMiB = double(usage.ru_maxrss) / 1024.0;
    figures.status = WIFEXITED(status) ? WEXITSTATUS(status) : -1;
    return figures;
}

void printRun(const char *name, const RunFigures &f)
{
    std::printf("  %-28s wall %7.2f s   cpu %7.2f s   peak memory %6.1f MiB%s\n", name, f.wallS, f.cpuS,
                f.peakMiB, f.status == 0 ? "" : "   (FAILED)");
}

RunFigures best(const RunFigures &a, const RunFigures &b)
{
    return (b.status == 0 && (a.status != 0 || b.wallS < a.wallS)) ? b : a;
}

// The transcodes alternate, twice each, and the faster run of each counts:
// on a shared machine the slower one mostly measures the neighbours.
int compare(const QString &self, const QString &source, const QString &folder)
{
    const QString ours = folder + QStringLiteral("/korvex.wma");
    const QString theirs = folder + QStringLiteral("/ffmpeg.wma");
    const QStringList korvexCommand{self, QStringLiteral("transcode"), source, ours, QStringLiteral("10")};
    const QStringList ffmpegCommand{QStringLiteral("ffmpeg"), QStringLiteral("-nostdin"), QStringLiteral("-v"),
                                    QStringLiteral("error"), QStringLiteral("-y"), QStringLiteral("-i"), source,
                                    QStringLiteral("-c:a"), QStringLiteral("wmav2"), QStringLiteral("-b:a"),
                                    QStringLiteral("128k"), theirs};
    std::printf("Transcoding %s to WMA profile 10 (44.1 kHz stereo, 128 kbps), two rounds:\n", qPrintable(source));
    RunFigures korvex;
    RunFigures ffmpeg;
    for (int round = 1; round <= 2; ++round) {
        const RunFigures k = runChild(korvexCommand);
        printRun("korvex reader + writer", k);
        const RunFigures f = runChild(ffmpegCommand);
        printRun("ffmpeg -c:a wmav2 -b:a 128k", f);
        korvex = round == 1 ? k : best(korvex, k);
        ffmpeg = round == 1 ? f : best(ffmpeg, f);
    }
    std::printf("Best of each:\n");
    printRun("korvex reader + writer", korvex);
    printRun("ffmpeg -c:a wmav2 -b:a 128k", ffmpeg);
    const double ratio = korvex.wallS / ffmpeg.wallS;
    std::printf("  wall-time ratio korvex/ffmpeg %.2f (target at most 0.75: %s); cpu-time ratio %.2f; "
                "peak memory target 64 MiB: %s\n",
                ratio, ratio <= 0.75 ? "met" : "MISSED", korvex.cpuS / ffmpeg.cpuS,
                korvex.peakMiB <= 64.0 ? "met" : "MISSED");

    std::printf("100 random seeks (each followed by a read of 4096 frames):\n");
    for (const QString &path : {ours, theirs}) {
        const SeekFigures f = measureSeeks(path, 100);
        std::printf("  %-28s open %7.1f ms   median %6.2f ms   90%% %6.2f ms   worst %6.2f ms  (target median < 20 ms: "
                    "%s)\n",
                    qPrintable(path.section(QLatin1Char('/'), -1)), f.openMs, f.medianMs, f.p90Ms, f.worstMs,
                    f.medianMs < 20.0 ? "met" : "MISSED");
    }
    return korvex.status == 0 && ffmpeg.status == 0 ? 0 : 1;
}

// The window thread's side of an overview: a timer that wants to tick every
// 5 ms notes the longest wait between its ticks while the worker scans.
int overview(const QString &path)
{
    WaveformSource source{QString()};  // no cache: every run scans
    QElapsedTimer sinceTick;
    qint64 longestGapMs = 0;
    int handOvers = 0;
    QTimer ticker;
    ticker.setTimerType(Qt::PreciseTimer);
    QObject::connect(&ticker, &QTimer::timeout, [&] {
        longestGapMs = std::max(longestGapMs, sinceTick.restart());
    });
    QObject::connect(&source, &WaveformSource::overviewChanged, [&] {
        ++handOvers;
        if (source.current().complete)
            QCoreApplication::quit();
    });
    QElapsedTimer clock;
    clock.start();
    sinceTick.start();
    ticker.start(5);
    source.show(path);
    QCoreApplication::exec();
    const WaveOverview &done = source.current();
    std::printf("  overview: %d of %d columns in %.2f s, %d hand-overs, %lld bytes kept; longest event-loop gap "
                "%lld ms (target at most 50 ms: %s)\n",
                done.filled, WaveOverview::Columns, double(clock.nsecsElapsed()) / 1e9, handOvers,
                static_cast<long long>(done.peak.size() + done.rms.size()), static_cast<long long>(longestGapMs),
                longestGapMs <= 50 ? "met" : "MISSED");
    return done.complete ? 0 : 1;
}

// What selecting a file with [Function] Adjust starts in time mode with
// 60 s pieces: the scan around every cut, on the scanner's worker, timed
// from the request to its report on this thread.
int adjustScan(const QString &path, int reachSeconds)
{
    AudioFile probe;
    probe.openForRead(path, 0, 1);
    const QList<Segment> plan = timePlan(probe.duration(), 60);
    probe.close();
    SilenceSettings silence;
    silence.AdjustMs = reachSeconds * 1000LL;
    const AdjustRequest request = AdjustRequest::of(path, plan, silence);
    AdjustScanner scanner;
    QElapsedTimer sinceTick;
    qint64 longestGapMs = 0;
    QTimer ticker;
    ticker.setTimerType(Qt::PreciseTimer);
    QObject::connect(&ticker, &QTimer::timeout, [&] { longestGapMs = std::max(longestGapMs, sinceTick.restart()); });
    QObject::connect(&scanner, &AdjustScanner::scanFinished, [] { QCoreApplication::quit(); });
    QElapsedTimer clock;
    clock.start();
    sinceTick.start();
    ticker.start(5);
    scanner.start(request);
    QCoreApplication::exec();
    const std::optional<MovedPlan> moved = scanner.finished(request);
    int movedCuts = 0;
    for (qsizetype k = 1; moved && k < plan.size(); ++k)
        movedCuts += moved->plan.at(k).Begin != plan.at(k).Begin ? 1 : 0;
    std::printf("  adjust scan within %d s: %lld cuts (%lld moved) in %.2f s on the worker; longest event-loop gap "
                "%lld ms\n",
                reachSeconds, static_cast<long long>(plan.size() - 1), static_cast<long long>(movedCuts),
                double(clock.nsecsElapsed()) / 1e9, static_cast<long long>(longestGapMs));
    return moved && moved->failure.isEmpty() ? 0 : 1;
}

// Best of two alternating rounds, and the ratio of ours to ffmpeg's.
void race(const char *what, const QStringList &ours, const char *oursName, const QStringList &theirs,
          const char *theirsName, double target)
{
    std::printf("%s, two rounds:\n", what);
    RunFigures korvex;
    RunFigures ffmpeg;
    for (int round = 1; round <= 2; ++round) {
        const RunFigures k = runChild(ours);
        printRun(oursName, k);
        const RunFigures f = runChild(theirs);
        printRun(theirsName, f);
        korvex = round == 1 ? k : best(korvex, k);
        ffmpeg = round == 1 ? f : best(ffmpeg, f);
    }
    const double ratio = korvex.wallS / ffmpeg.wallS;
    std::printf("  best of each: korvex %.2f s, ffmpeg %.2f s; wall-time ratio %.2f (target at most %.2f: %s)\n",
                korvex.wallS, ffmpeg.wallS, ratio, target, ratio <= target ? "met" : "MISSED");
}

int scans(const QString &self, const QString &source, const QString &cli)
{
    // the children print too: keep the lines in order
    std::setvbuf(stdout, nullptr, _IOLBF, 0);
    const QStringList ffmpeg{QStringLiteral("ffmpeg"), QStringLiteral("-nostdin"), QStringLiteral("-v"),
                             QStringLiteral("error"), QStringLiteral("-i"), source};
    race("Waveform overview against a plain ffmpeg decode", {self, QStringLiteral("overview"), source},
         "korvex waveform worker", ffmpeg + QStringList{QStringLiteral("-f"), QStringLiteral("null"), QStringLiteral("-")},
         "ffmpeg -f null", 1.2);
    race("Silence scan (-40 dBFS, 700 ms) against ffmpeg's silencedetect",
         {cli, QStringLiteral("silences"), QStringLiteral("--threshold"), QStringLiteral("-40"),
          QStringLiteral("--min-silence"), QStringLiteral("700"), source},
         "korvex-cli silences",
         ffmpeg + QStringList{QStringLiteral("-af"), QStringLiteral("silencedetect=n=-40dB:d=0.7"), QStringLiteral("-f"),
                              QStringLiteral("null"), QStringLiteral("-")},
         "ffmpeg silencedetect", 1.1);
    return 0;
}

int usage()
{
    std::fprintf(stderr, "usage: korvex-bench transcode SRC DST [PROFILE] | seeks FILE [COUNT] | compare SRC DIR"
                         " | overview FILE | scans SRC CLI | adjustscan FILE [REACH]\n");
    return 2;
}

} // namespace

int main(int argc, char **argv)
{
    QCoreApplication app(argc, argv);
    // The figures are the output; the ASF demuxer's notes on binary-search
    // probes past the last packet are not.
    av_log_set_level(AV_LOG_FATAL);
    const QStringList args = app.arguments();
    try {
        if (args.size() >= 4 && args[1] == QLatin1String("transcode"))
            return transcode(args[2], args[3], args.size() > 4 ? args[4].toInt() : 10);
        if (args.size() >= 3 && args[1] == QLatin1String("seeks"))
            return seeks(args[2], args.size() > 3 ? args[3].toInt() : 100);
        if (args.size() >= 4 && args[1] == QLatin1String("compare"))
            return compare(QCoreApplication::applicationFilePath(), args[2], args[3]);
        if (args.size() >= 3 && args[1] == QLatin1String("overview"))
            return overview(args[2]);
        if (args.size() >= 3 && args[1] == QLatin1String("adjustscan"))
            return adjustScan(args[2], args.size() > 3 ? args[3].toInt() : 2);
        if (args.size() >= 4 && args[1] == QLatin1String("scans"))
            return scans(QCoreApplication::applicationFilePath(), args[2], args[3]);
    } catch (const KorvexError &error) {
        std::fprintf(stderr, "%s\n", qPrintable(error.text()));
        return 1;
    }
    return usage();
}
