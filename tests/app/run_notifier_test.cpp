// The notice at the end of a long run, sent over a bus of the test's own to
// a notification service of the test's own.
#include "app/DesktopIdentity.h"
#include "app/RunNotifier.h"
#include "support/SpawnedProgram.h"
#include "support/TempDir.h"

#include <QDBusConnection>
#include <QDBusConnectionInterface>
#include <QFile>
#include <QSignalSpy>
#include <gtest/gtest.h>

using namespace korvex;

namespace {

struct Notice
{
    QString application, icon, summary, body;
    QVariantMap hints;
    int timeout = 0;
};

class NotificationService : public QObject
{
    Q_OBJECT
    Q_CLASSINFO("D-Bus Interface", "org.freedesktop.Notifications")
public:
    QList<Notice> notices;

public Q_SLOTS:
    uint Notify(const QString &application, uint, const QString &icon, const QString &summary, const QString &body,
                const QStringList &, const QVariantMap &hints, int timeout)
    {
        notices.append({application, icon, summary, body, hints, timeout});
        Q_EMIT notified();
        return uint(notices.size());
    }

Q_SIGNALS:
    void notified();
};

// A session bus of our own, with no service that could be started on demand.
class PrivateBus
{
public:
    PrivateBus()
    {
        QFile config(m_folder.file("bus.conf"));
        if (config.open(QIODevice::WriteOnly)) {
            config.write(R"(<!DOCTYPE busconfig PUBLIC "-//freedesktop//DTD D-Bus Bus Configuration 1.0//EN"
 "http://www.freedesktop.org/standards/dbus/1.0/busconfig.dtd">
<busconfig>
  <type>session</type>
  <listen>unix:tmpdir=/tmp</listen>
  <auth>EXTERNAL</auth>
  <policy context="default">
    <allow send_destination="*" eavesdrop="true"/>
    <allow eavesdrop="true"/>
    <allow own="*"/>
  </policy>
</busconfig>
)");
            config.close();
        }
        // setpriv: the daemon goes with a test that a sanitizer halts
        if (m_daemon.start(QStringLiteral("setpriv"), {"--pdeathsig", "TERM", "dbus-daemon",
                                                       "--config-file=" + config.fileName(), "--nofork",
                                                       "--print-address=1"}))
            m_address = QString::fromUtf8(m_daemon.readLine(10000)).trimmed();
    }
    ~PrivateBus()
    {
        for (const QString &name : m_connections)
            QDBusConnection::disconnectFromBus(name);
        m_daemon.terminate();
        m_daemon.waitForFinished(10000);
    }
    bool running() const { return !m_address.isEmpty(); }
    QDBusConnection connect(const QString &name)
    {
        m_connections.append(name);
        return QDBusConnection::connectToBus(m_address, name);
    }

private:
    test::TestFolder m_folder;
    test::SpawnedProgram m_daemon;
    QString m_address;
    QStringList m_connections;
};

class RunNotifierTest : public ::testing::Test
{
protected:
    void SetUp() override
    {
        ASSERT_TRUE(bus.running()) << "dbus-daemon (Debian package dbus-daemon) is needed";
        serviceConnection = bus.connect("service");
        ASSERT_TRUE(serviceConnection.registerService("org.freedesktop.Notifications"));
        ASSERT_TRUE(serviceConnection.registerObject("/org/freedesktop/Notifications", &service,
                                                     QDBusConnection::ExportAllSlots));
    }

    PrivateBus bus;
    NotificationService service;
    QDBusConnection serviceConnection{QString()};
};

TEST_F(RunNotifierTest, ALongRunWhileAwayTellsWhatWasWrittenAndWhere)
{
    RunNotifier notifier(bus.connect("window"), 0);
    QSignalSpy notified(&service, &NotificationService::notified);
    notifier.runStarted();
    for (const char *piece : {"/music/out/Song_1.wma", "/music/out/Song_2.wma", "/music/out/Song_3.wma"})
        notifier.outputWritten(piece);
    EXPECT_TRUE(notifier.runEnded(false));

    ASSERT_TRUE(notified.wait(10000));
    const Notice &notice = service.notices.first();
    EXPECT_EQ(notice.application, "Korvex");
    EXPECT_EQ(notice.icon, DesktopEntryName);
    EXPECT_EQ(notice.hints.value("desktop-entry").toString(), DesktopEntryName);
    EXPECT_EQ(notice.summary, "Korvex: the conversion is finished");
    EXPECT_EQ(notice.body, "Written: 3 files in /music/out");
}

TEST_F(RunNotifierTest, NothingForAShortRunOrAWatchedWindow)
{
    QSignalSpy notified(&service, &NotificationService::notified);
    RunNotifier patient(bus.connect("patient"), 60 * 60 * 1000);
    patient.runStarted();
    patient.outputWritten("/music/short.wma");
    EXPECT_FALSE(patient.runEnded(false));

    RunNotifier watched(bus.connect("watched"), 0);
    watched.runStarted();
    watched.outputWritten("/music/watched.wma");
    EXPECT_FALSE(watched.runEnded(true));

    // a run that was never started has no length to judge
    EXPECT_FALSE(watched.runEnded(false));

    // the next notice that does go out is the only one the service sees
    watched.runStarted();
    watched.outputWritten("/music/<joined> & more.wma");
    EXPECT_TRUE(watched.runEnded(false, "Cannot write /music: disk full"));
    ASSERT_TRUE(notified.wait(10000));
    ASSERT_EQ(service.notices.size(), 1);
    EXPECT_EQ(service.notices.first().summary, "Korvex: the conversion failed");
    // the service may read markup: a path is shown as it is
    EXPECT_EQ(service.notices.first().body,
              "Cannot write /music: disk full\nWritten before: /music/&lt;joined&gt; &amp; more.wma");
}

TEST(RunNotifier, NoBusNoNotice)
{
    RunNotifier notifier(QDBusConnection(QStringLiteral("never connected")), 0);
    notifier.runStarted();
    notifier.outputWritten("/music/a.wma");
    EXPECT_FALSE(notifier.runEnded(false));
}

TEST(RunNotifier, DescriptionNamesOneFileByItsPathAndSeveralByTheirFolders)
{
    EXPECT_EQ(DescribeRun({"/music/joined.wma"}, {}).body, "Written: /music/joined.wma");
    EXPECT_EQ(DescribeRun({"/a/1.wma", "/b/2.wma", "/a/3.wma"}, {}).body, "Written: 2 files in /a; /b/2.wma");
    EXPECT_EQ(DescribeRun({}, {}).body, "No file was written.");
    const RunNotice failed = DescribeRun({}, "The disk is full");
    EXPECT_EQ(failed.summary, "Korvex: the conversion failed");
    EXPECT_EQ(failed.body, "The disk is full");
}

} // namespace

#include "run_notifier_test.moc"
