#include "app/RunNotifier.h"

#include "app/DesktopIdentity.h"

#include <QDBusMessage>
#include <QDir>
#include <QFileInfo>

namespace korvex {

namespace {

const QString NotificationService = QStringLiteral("org.freedesktop.Notifications");
const QString NotificationPath = QStringLiteral("/org/freedesktop/Notifications");

// "5 files in /music", or the path of a folder's only file.
QStringList writtenByFolder(const QStringList &written)
{
    QStringList folders;
    QHash<QString, QStringList> files;
    for (const QString &path : written) {
        const QString folder = QFileInfo(path).absolutePath();
        if (!files.contains(folder))
            folders.append(folder);
        files[folder].append(path);
    }
    QStringList lines;
    for (const QString &folder : folders) {
        const QStringList &inFolder = files[folder];
        lines.append(inFolder.size() == 1 ? QDir::toNativeSeparators(inFolder.first())
                                          : QStringLiteral("%1 files in %2").arg(inFolder.size()).arg(folder));
    }
    return lines;
}

} // namespace

RunNotice DescribeRun(const QStringList &written, const QString &failure)
{
    const QStringList where = writtenByFolder(written);
    RunNotice notice;
    if (!failure.isEmpty()) {
        notice.summary = QStringLiteral("Korvex: the conversion failed");
        notice.body = failure;
        if (!where.isEmpty())
            notice.body += QStringLiteral("\nWritten before: ") + where.join(QStringLiteral("; "));
        return notice;
    }
    notice.summary = QStringLiteral("Korvex: the conversion is finished");
    notice.body = where.isEmpty() ? QStringLiteral("No file was written.")
                                  : QStringLiteral("Written: ") + where.join(QStringLiteral("; "));
    return notice;
}

RunNotifier::RunNotifier() : m_bus([] { return QDBusConnection::sessionBus(); }) {}

RunNotifier::RunNotifier(const QDBusConnection &bus, qint64 minimumRunMs)
    : m_bus([bus] { return bus; }), m_minimumRunMs(minimumRunMs)
{
}

void RunNotifier::runStarted()
{
    m_written.clear();
    m_clock.start();
}

void RunNotifier::outputWritten(const QString &path)
{
    m_written.append(path);
}

bool RunNotifier::runEnded(bool windowActive, const QString &failure)
{
    const bool longRun = m_clock.isValid() && m_clock.elapsed() >= m_minimumRunMs;
    m_clock.invalidate();
    if (windowActive || !longRun)
        return false;
    QDBusConnection bus = m_bus();
    if (!bus.isConnected())
        return false;
    send(bus, DescribeRun(m_written, failure));
    return true;
}

// Sent without waiting for an answer: a bus without the service answers
// with an error nobody needs to read, and a slow service never holds up
// the window.
void RunNotifier::send(QDBusConnection &bus, const RunNotice &notice)
{
    QDBusMessage call =
        QDBusMessage::createMethodCall(NotificationService, NotificationPath, NotificationService, QStringLiteral("Notify"));
    const QVariantMap hints{{QStringLiteral("desktop-entry"), DesktopEntryName}};
    call << QStringLiteral("Korvex") << uint(0) << DesktopEntryName << notice.summary << notice.body.toHtmlEscaped()
         << QStringList() << hints << int(-1);
    bus.send(call);
}

} // namespace korvex
