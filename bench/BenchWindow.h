#pragma once

// What the benches that drive the real main window share: seams that answer
// without a person, the window's own kind of idle event loop, and the meter
// of the gaps between timer ticks on the window thread.
#include "components/Seams.h"

#include <QElapsedTimer>
#include <QEventLoop>
#include <QTimer>

#include <algorithm>
#include <cstdio>

namespace korvex::bench {

class PrintedMessages : public MessageSeam
{
public:
    void error(const QString &text) override { std::fprintf(stderr, "error box: %s\n", qPrintable(text)); }
    void information(const QString &text) override { std::fprintf(stderr, "box: %s\n", qPrintable(text)); }
};

// "Add File" gets the one file; nothing is saved or chosen.
class AnsweringDialogs : public DialogSeam
{
public:
    explicit AnsweringDialogs(QString file) : m_file(std::move(file)) {}
    QStringList openFiles(const OpenFilesRequest &) override { return {m_file}; }
    QString saveFile(const SaveFileRequest &) override { return {}; }
    QString chooseFolder(const QString &, bool) override { return {}; }

private:
    QString m_file;
};

class NoLauncher : public LauncherSeam
{
public:
    void open(const QString &) override {}
};

// Before the application object: without a display the window is drawn
// offscreen, as it would be on one.
inline void offscreenWithoutDisplay()
{
    if (qEnvironmentVariableIsEmpty("DISPLAY") && qEnvironmentVariableIsEmpty("WAYLAND_DISPLAY"))
        qputenv("QT_QPA_PLATFORM", "offscreen");
}

inline void runEventLoopFor(int milliseconds)
{
    QEventLoop loop;
    QTimer::singleShot(milliseconds, &loop, &QEventLoop::quit);
    loop.exec();
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

inline const char *verdict(bool met)
{
    return met ? "met" : "MISSED";
}

} // namespace korvex::bench
