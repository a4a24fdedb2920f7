// "Open with Korvex" while Korvex is open: a second start of the real
// program hands its files to the running window and ends at once. The
// running window is a session inside the test, holding the lock and
// listening as the program does, so what it shows can be read.
#include "DesktopPrograms.h"

#include "app/InstanceChannel.h"
#include "app/InstanceLock.h"
#include "app/MainSession.h"
#include "support/AudioFixtures.h"

#include <QElapsedTimer>
#include <QLocalSocket>
#include <QSignalSpy>

using namespace korvex;
using namespace korvex::test;

namespace {

// Sets a variable for the life of the object.
class EnvironmentOverride
{
public:
    EnvironmentOverride(const char *name, const QString &value)
        : m_name(name), m_had(qEnvironmentVariableIsSet(name)), m_previous(qgetenv(name))
    {
        qputenv(name, value.toLocal8Bit());
    }
    ~EnvironmentOverride()
    {
        if (m_had)
            qputenv(m_name, m_previous);
        else
            qunsetenv(m_name);
    }

private:
    const char *m_name;
    bool m_had;
    QByteArray m_previous;
};

QStringList captions(Tfm_main &main)
{
    QStringList names;
    for (int row = 0; row < main.jobList().rowCount(); ++row)
        names.append(main.jobList().fileModel()->row(row).caption);
    return names;
}

TEST(HandOff, RealTimeSecondStartGivesItsFilesToTheRunningWindowAndEndsAtOnce)
{
    MainSession s;
    const QProcessEnvironment environment = ProgramEnvironment(s.folder.path());
    const EnvironmentOverride runtime("XDG_RUNTIME_DIR", RuntimeFolder(s.folder.path()));
    const InstanceLock lock(ApplicationTitle);
    ASSERT_TRUE(lock.acquired());
    InstanceServer server(InstanceSocketPath(ApplicationTitle));
    s.main().acceptFilesFrom(server);
    ASSERT_TRUE(server.listen()) << qPrintable(server.errorString());

    writeAudioFile(s.folder.file("first.wav"), sineSpec(44100, 2, 88200));
    writeAudioFile(s.folder.file("second.wav"), sineSpec(22050, 1, 44100));
    s.main().showMinimized();
    QSignalSpy rows(s.main().jobList().fileModel(), &QAbstractItemModel::rowsInserted);

    // named as a file manager names them: relative to its own folder
    QProcess second;
    second.setProcessEnvironment(environment);
    second.setWorkingDirectory(s.folder.path());
    QSignalSpy finished(&second, &QProcess::finished);
    QElapsedTimer clock;
    clock.start();
    second.start(QStringLiteral(KORVEX_BINARY_DIR "/korvex"), {"first.wav", "second.wav"});
    ASSERT_TRUE(finished.wait(30000)) << qPrintable(second.errorString());
    EXPECT_LT(clock.elapsed(), 2000);
    EXPECT_EQ(second.exitStatus(), QProcess::NormalExit);
    EXPECT_EQ(second.exitCode(), 0);
    EXPECT_EQ(second.readAllStandardOutput(), "");
    EXPECT_EQ(second.readAllStandardError(), "");

    while (s.main().jobList().rowCount() < 2 && rows.wait(30000)) {
    }
    EXPECT_EQ(captions(s.main()), QStringList({"first.wav", "second.wav"}));
    EXPECT_EQ(s.recorder.messages.errors, QStringList());
    EXPECT_FALSE(s.main().windowState() & Qt::WindowMinimized) << "the window comes to the front";
}

TEST(HandOff, SomethingElseOnTheSocketIsIgnored)
{
    TestFolder folder;
    InstanceServer server(folder.file("korvex.socket"));
    ASSERT_TRUE(server.listen());
    QSignalSpy received(&server, &InstanceServer::filesReceived);

    QLocalSocket stranger;
    stranger.connectToServer(folder.file("korvex.socket"));
    ASSERT_TRUE(stranger.waitForConnected(5000));
    stranger.write(QByteArray("GET / HTTP/1.0\r\n\r\n").repeated(10));
    QSignalSpy dropped(&stranger, &QLocalSocket::disconnected);
    ASSERT_TRUE(dropped.wait(10000)) << "the window hangs up on a stranger";

    // a real start afterwards still gets through
    ASSERT_TRUE(SendFilesToRunningCopy(folder.file("korvex.socket"), {"/music/a.mp3"}, 5000));
    ASSERT_TRUE(received.wait(10000));
    EXPECT_EQ(received.size(), 1);
    EXPECT_EQ(received.first().first().toStringList(), QStringList({"/music/a.mp3"}));
}

TEST(HandOff, NobodyListeningIsToldToTheSender)
{
    TestFolder folder;
    EXPECT_FALSE(SendFilesToRunningCopy(folder.file("nobody.socket"), {"/music/a.mp3"}, 1000));
}

} // namespace
