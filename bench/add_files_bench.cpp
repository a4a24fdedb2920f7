// korvex-add-bench: "Add File" with many long files in the real main window.
//
//   korvex-add-bench WMA WORKDIR [COUNT] [ROUNDS]
//
// Copies WMA COUNT times (default 20) into WORKDIR/add-files under names of
// their own, then, ROUNDS times (default 3), alternating which goes first:
//   - measures every copy one after the other with one reader, as adding
//     did before the measuring moved onto worker threads;
//   - adds all copies with "addfile" in the window (offscreen when there is
//     no display), the open dialog answering with the copies, while a 10 ms
//     timer on the window thread records the largest gap between its ticks.
// The best time of each way is compared. Lengths are remembered per file
// (inode, size, times), so every copy is touched before every measurement:
// none is ever free because it was measured before.
#include "bench/BenchWindow.h"
#include "components/AudioFile.h"
#include "components/SourceMeasurer.h"

#include <QApplication>
#include <QDateTime>
#include <QDir>
#include <QElapsedTimer>
#include <QFile>
#include <QFileInfo>
#include <QTemporaryDir>
#include <QTimer>

#include <algorithm>
#include <cstdio>

using namespace korvex;
using namespace korvex::bench;

namespace {

QString loadAverage()
{
    QFile file(QStringLiteral("/proc/loadavg"));
    return file.open(QIODevice::ReadOnly) ? QString::fromLatin1(file.readAll()).trimmed() : QStringLiteral("unknown");
}

// Copies under distinct names: hard links would share one inode, and with
// it one remembered length.
QStringList makeCopies(const QString &source, const QString &folder, int count)
{
    QDir().mkpath(folder);
    const qint64 size = QFileInfo(source).size();
    QStringList copies;
    for (int i = 1; i <= count; ++i) {
        const QString copy = QDir(folder).filePath(QStringLiteral("hour-%1.wma").arg(i, 2, 10, QLatin1Char('0')));
        if (QFileInfo(copy).size() != size) {
            QFile::remove(copy);
            if (!QFile::copy(source, copy))
                return {};
        }
        copies.append(copy);
    }
    return copies;
}

// New modification and change times: what was remembered of the files no
// longer applies.
bool touchAll(const QStringList &files)
{
    const QDateTime now = QDateTime::currentDateTime();
    for (const QString &path : files) {
        QFile file(path);
        if (!file.open(QIODevice::ReadWrite) || !file.setFileTime(now, QFileDevice::FileModificationTime))
            return false;
    }
    return true;
}

struct Measured
{
    qint64 durationMs = 0;
    qint64 frames = 0;
    bool operator==(const Measured &) const = default;
};

QList<Measured> measureOneAfterAnother(const QStringList &files)
{
    QList<Measured> lengths;
    AudioFile reader;
    for (const QString &path : files) {
        reader.openForRead(path, 0, 1);
        lengths.append({reader.duration(), reader.length()});
        reader.close();
    }
    return lengths;
}

struct AddFigures
{
    double seconds = 0;
    double largestGapMs = 0;
    QList<Measured> lengths;  // as the job list holds them: whole seconds, frames
};

AddFigures addInWindow(Tfm_main &main)
{
    AddFigures figures;
    qint64 largestGapNs = 0;
    QElapsedTimer gap;
    QTimer ticker;
    ticker.setTimerType(Qt::PreciseTimer);
    QElapsedTimer clock;
    // KORVEX_BENCH_GAPS=1 names every gap over 50 ms: when, and with how many rows.
    const bool showGaps = qEnvironmentVariableIntValue("KORVEX_BENCH_GAPS") != 0;
    QObject::connect(&ticker, &QTimer::timeout, &ticker, [&] {
        const qint64 elapsed = gap.nsecsElapsed();
        if (showGaps && elapsed > 50'000'000)
            std::printf("      gap %.1f ms ending %.2f s in, %d rows\n", double(elapsed) / 1e6,
                        double(clock.nsecsElapsed()) / 1e9, int(main.jobList().rowCount()));
        largestGapNs = std::max(largestGapNs, elapsed);
        gap.restart();
    });
    ticker.start(10);
    clock.start();
    gap.start();
    main.commands().dispatch(CommandTable::Source::Skin, QStringLiteral("addfile"));
    largestGapNs = std::max(largestGapNs, gap.nsecsElapsed());
    figures.seconds = double(clock.nsecsElapsed()) / 1e9;
    figures.largestGapMs = double(largestGapNs) / 1e6;
    for (const listrecord &job : main.jobList().JobRecords())
        figures.lengths.append({job.Duration, job.Frames});
    return figures;
}

// The job list keeps whole seconds; the reader gives milliseconds.
QList<Measured> asListed(QList<Measured> lengths)
{
    for (Measured &length : lengths)
        length.durationMs /= 1000;
    return lengths;
}

} // namespace

int main(int argc, char **argv)
{
    offscreenWithoutDisplay();
    QTemporaryDir home;  // no user's settings or overview cache are read or written
    qputenv("XDG_CONFIG_HOME", home.filePath(QStringLiteral("config")).toLocal8Bit());
    qputenv("XDG_CACHE_HOME", home.filePath(QStringLiteral("cache")).toLocal8Bit());
    QApplication app(argc, argv);
    const QStringList args = app.arguments();
    if (args.size() < 3) {
        std::fprintf(stderr, "usage: korvex-add-bench WMA WORKDIR [COUNT] [ROUNDS]\n");
        return 2;
    }
    const int count = args.size() > 3 ? args[3].toInt() : 20;
    const int rounds = args.size() > 4 ? args[4].toInt() : 3;
    const QString loadAtStart = loadAverage();
    std::printf("Adding %d one-hour WMA files with \"Add File\" (load at start: %s):\n", count,
                qPrintable(loadAtStart));
    std::fflush(stdout);
    const QStringList files = makeCopies(args[1], QDir(args[2]).filePath(QStringLiteral("add-files")), count);
    if (files.isEmpty()) {
        std::fprintf(stderr, "cannot copy %s into %s\n", qPrintable(args[1]), qPrintable(args[2]));
        return 1;
    }

    BenchWindow window(files);
    Tfm_main &main = window.main();

    double bestAlone = 0;
    double bestAdded = 0;
    double largestGap = 0;
    bool sameLengths = true;
    QList<Measured> reference;
    const auto oneAfterAnother = [&] {
        if (!touchAll(files))
            return false;
        QElapsedTimer clock;
        clock.start();
        const QList<Measured> lengths = measureOneAfterAnother(files);
        const double seconds = double(clock.nsecsElapsed()) / 1e9;
        bestAlone = bestAlone > 0 ? std::min(bestAlone, seconds) : seconds;
        sameLengths = sameLengths && (reference.isEmpty() || lengths == reference);
        reference = lengths;
        std::printf("    one after the other %7.2f s\n", seconds);
        return true;
    };
    const auto added = [&] {
        if (!touchAll(files))
            return false;
        const AddFigures figures = addInWindow(main);
        bestAdded = bestAdded > 0 ? std::min(bestAdded, figures.seconds) : figures.seconds;
        largestGap = std::max(largestGap, figures.largestGapMs);
        sameLengths = sameLengths && figures.lengths.size() == files.size()
                      && (reference.isEmpty() || figures.lengths == asListed(reference));
        std::printf("    \"Add File\"          %7.2f s, largest gap %.1f ms\n", figures.seconds,
                    figures.largestGapMs);
        // The first row's overview starts when adding ends; an empty list
        // ends it before the next measurement.
        main.jobEditor().ClearJob();
        runEventLoopFor(500);
        return true;
    };
    for (int round = 0; round < rounds; ++round) {
        std::printf("  round %d:\n", round + 1);
        const bool ok = round % 2 == 0 ? oneAfterAnother() && added() : added() && oneAfterAnother();
        std::fflush(stdout);
        if (!ok) {
            std::fprintf(stderr, "cannot touch the copies in %s\n", qPrintable(args[2]));
            return 1;
        }
    }
    const double share = bestAdded / bestAlone;
    std::printf("  best of %d: one after the other %.2f s, \"Add File\" %.2f s with %d measuring workers: "
                "%.2f× (target at most 0.6×: %s)\n",
                rounds, bestAlone, bestAdded, SourceMeasurer(nullptr).workers(), share, verdict(share <= 0.6));
    std::printf("  largest gap between 10 ms ticks on the window thread while adding: %.1f ms "
                "(target 50 ms: %s)\n",
                largestGap, verdict(largestGap <= 50.0));
    std::printf("  lengths in the list equal the ones measured one after the other: %s; error boxes: %d\n",
                sameLengths ? "yes" : "NO", window.messages.errors);
    std::printf("  load at the end: %s\n", qPrintable(loadAverage()));
    return sameLengths && window.messages.errors == 0 ? 0 : 1;
}
