#pragma once

// What the benchmarks that drive the real main window share: its seams
// (error boxes printed and counted, an open dialog that answers with the
// files given, nothing launched), the offscreen platform when there is no
// display, the meter of the gaps between timer ticks on the window thread,
// and the verdict words.
#include "app/Application.h"
#include "app/WaveformView.h"
#include "components/Seams.h"

#include <QCoreApplication>

#include <QElapsedTimer>
#include <QEventLoop>
#include <QStringList>
#include <QTemporaryDir>
#include <QTimer>

#include <algorithm>
#include <cstdio>
#include <sys/resource.h>

namespace korvex::bench {

class PrintedMessages : public MessageSeam
{
public:
    void error(const QString &text) override
    {
        ++errors;
        std::fprintf(stderr, "error box: %s\n", qPrintable(text));
    }
    void information(const QString &text) override { std::fprintf(stderr, "box: %s\n", qPrintable(text)); }
    int errors = 0;
};

class AnsweringDialogs : public DialogSeam
{
public:
    explicit AnsweringDialogs(QStringList files) : m_files(std::move(files)) {}
    QStringList openFiles(const OpenFilesRequest &) override { return m_files; }
    QString saveFile(const SaveFileRequest &) override { return {}; }
    QString chooseFolder(const QString &, bool, const QString &) override { return {}; }

private:
    QStringList m_files;
};

class NoLauncher : public LauncherSeam
{
public:
    using LauncherSeam::open;
    void open(const QString &, const Failure &) override {}
};

// The window's own kind of event loop, idle between events.
inline void runEventLoopFor(int milliseconds)
{
    QEventLoop loop;
    QTimer::singleShot(milliseconds, &loop, &QEventLoop::quit);
    loop.exec();
}

// The main window as the program makes it, with the seams above, shown and
// given a moment to settle.
struct BenchWindow
{
    explicit BenchWindow(const QStringList &openAnswer) : dialogs(openAnswer)
    {
        MainWindowOptions options;
        options.programFolder = QCoreApplication::applicationDirPath() + QStringLiteral("/..");
        options.seams = Seams{&messages, &dialogs, &launcher};
        windows = CreateWindows(options);
        windows.fm_main->show();
        runEventLoopFor(1500);
    }
    Tfm_main &main() { return *windows.fm_main; }

    PrintedMessages messages;
    AnsweringDialogs dialogs;
    NoLauncher launcher;
    KorvexWindows windows;
};

// Until the waveform of the current entry is complete (it is scanned on a
// thread of its own once the entry is chosen, and a one-hour file keeps a
// core busy for seconds): the seconds it took, -1 after `timeoutMs`.
inline double waitForWaveform(Tfm_main &main, int timeoutMs)
{
    QElapsedTimer clock;
    clock.start();
    while (!main.waveformView()->source().current().complete) {
        if (clock.elapsed() > timeoutMs)
            return -1;
        runEventLoopFor(50);
    }
    return double(clock.elapsed()) / 1000.0;
}

// A settings folder of the bench's own, so that no user's settings are read
// or written; made before the window.
class PrivateSettings
{
public:
    PrivateSettings() { qputenv("XDG_CONFIG_HOME", m_folder.path().toLocal8Bit()); }

private:
    QTemporaryDir m_folder;
};

// The application's arguments after the program's name, at least `needed`
// of them; empty after printing `usage` when there are fewer.
inline QStringList benchArguments(int needed, const char *usage)
{
    const QStringList args = QCoreApplication::arguments().mid(1);
    if (args.size() >= needed)
        return args;
    std::fprintf(stderr, "usage: %s\n", usage);
    return {};
}

// Before the application object: without a display the window is drawn
// offscreen, as it would be on one.
inline void offscreenWithoutDisplay()
{
    if (qEnvironmentVariableIsEmpty("DISPLAY") && qEnvironmentVariableIsEmpty("WAYLAND_DISPLAY"))
        qputenv("QT_QPA_PLATFORM", "offscreen");
}

// A 10 ms timer on the window thread: the largest time between two of its
// ticks (or from start() to the first) is the longest the window's events
// waited. Ticks come from any event processing, a run's pump included.
class TickGaps
{
public:
    TickGaps()
    {
        m_ticker.setTimerType(Qt::PreciseTimer);
        QObject::connect(&m_ticker, &QTimer::timeout, &m_ticker, [this] {
            m_largestNs = std::max(m_largestNs, m_sinceTick.nsecsElapsed());
            m_sinceTick.restart();
        });
    }

    void start()
    {
        m_largestNs = 0;
        m_sinceTick.start();
        m_ticker.start(10);
    }

    // Counts the time since the last tick as well: a stall at the very end
    // is a gap too.
    double stopMs()
    {
        m_ticker.stop();
        m_largestNs = std::max(m_largestNs, m_sinceTick.nsecsElapsed());
        return double(m_largestNs) / 1e6;
    }

private:
    QTimer m_ticker;
    QElapsedTimer m_sinceTick;
    qint64 m_largestNs = 0;
};

// The process's CPU time so far, all its threads, in seconds.
inline double cpuSeconds()
{
    rusage usage{};
    getrusage(RUSAGE_SELF, &usage);
    auto seconds = [](const timeval &t) { return double(t.tv_sec) + double(t.tv_usec) / 1e6; };
    return seconds(usage.ru_utime) + seconds(usage.ru_stime);
}

inline const char *verdict(bool met)
{
    return met ? "met" : "MISSED";
}

} // namespace korvex::bench
