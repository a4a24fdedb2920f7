#pragma once

#include <QDBusConnection>
#include <QElapsedTimer>
#include <QStringList>

#include <functional>

namespace korvex {

struct RunNotice
{
    QString summary;
    QString body;  // plain text; the notifier escapes it for the service
};

// What a notice about an ended run says: which files were written and where
// (one file by its path, several by their number and folder), and the error
// when the run failed.
RunNotice DescribeRun(const QStringList &written, const QString &failure);

// A desktop notification at the end of a long run the user was not watching:
// through the freedesktop notification service on `bus` when there is one,
// nothing when there is none or no bus at all.
class RunNotifier
{
public:
    static constexpr qint64 DefaultMinimumRunMs = 10000;

    // The session bus, connected to only when there is something to send.
    RunNotifier();
    RunNotifier(const QDBusConnection &bus, qint64 minimumRunMs);

    void runStarted();
    void outputWritten(const QString &path);
    // Sends the notice when the run took at least the minimum and the
    // window was not active. True when a notice was sent.
    bool runEnded(bool windowActive, const QString &failure = QString());

private:
    static void send(QDBusConnection &bus, const RunNotice &notice);

    std::function<QDBusConnection()> m_bus;
    qint64 m_minimumRunMs = DefaultMinimumRunMs;
    QElapsedTimer m_clock;
    QStringList m_written;
};

} // namespace korvex
