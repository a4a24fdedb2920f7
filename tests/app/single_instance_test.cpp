#include "app/Application.h"
#include "app/InstanceLock.h"
#include "settings/SettingsFile.h"
#include "support/TempDir.h"

#include <QDir>
#include <QDeadlineTimer>
#include <QFileInfo>
#include <QFileSystemWatcher>
#include <QFile>
#include <QProcess>
#include <QSignalSpy>
#include <gtest/gtest.h>

using namespace korvex;

namespace {

const QString kKorvex = QStringLiteral(KORVEX_BINARY_DIR "/korvex");

// Runs the real program with its runtime and configuration folders inside
// the test folder.
struct Programs
{
    Programs()
    {
        runtime = folder.file("run");
        QDir().mkpath(runtime);
        QFile::setPermissions(runtime, QFileDevice::ReadOwner | QFileDevice::WriteOwner | QFileDevice::ExeOwner);
        environment = QProcessEnvironment::systemEnvironment();
        environment.insert("XDG_RUNTIME_DIR", runtime);
        environment.insert("XDG_CONFIG_HOME", folder.configHome());
        environment.insert("QT_QPA_PLATFORM", "offscreen");
    }
    void start(QProcess &process)
    {
        process.setProcessEnvironment(environment);
        process.start(kKorvex, {});
        ASSERT_TRUE(process.waitForStarted(30000));
    }
    QString lockPath() const { return runtime + "/" + ApplicationTitle + ".lock"; }
    QString settingsPath() const { return folder.configHome() + "/Korvex.ini"; }
    // The first copy has its lock once the lock file exists in the runtime
    // folder and names its owner (it is created first and written then):
    // woken by the folder's and the file's changes, not by polling.
    bool waitForLock(int milliseconds = 60000) const
    {
        QFileSystemWatcher watcher({runtime});
        QSignalSpy folderChanged(&watcher, &QFileSystemWatcher::directoryChanged);
        QSignalSpy fileChanged(&watcher, &QFileSystemWatcher::fileChanged);
        const QDeadlineTimer deadline(milliseconds);
        while (QFileInfo(lockPath()).size() == 0) {
            if (QFile::exists(lockPath()) && !watcher.files().contains(lockPath()))
                watcher.addPath(lockPath());
            if (QFileInfo(lockPath()).size() > 0)
                break;
            if (deadline.hasExpired())
                return false;
            // the file's own changes once it is watched, else the folder's
            QSignalSpy &spy = watcher.files().isEmpty() ? folderChanged : fileChanged;
            spy.wait(int(qMax<qint64>(deadline.remainingTime(), 1)));
        }
        return true;
    }

    // SIGTERM: the window closes as its close box closes it, the settings
    // are written and the program ends with 0.
    void terminateAndExpectAnOrderlyEnd(QProcess &process) const
    {
        process.terminate();
        ASSERT_TRUE(process.waitForFinished(30000));
        EXPECT_EQ(process.exitStatus(), QProcess::NormalExit);
        EXPECT_EQ(process.exitCode(), 0) << process.readAllStandardError().constData();
        EXPECT_TRUE(QFile::exists(settingsPath()));
    }

    test::TestFolder folder;
    QString runtime;
    QProcessEnvironment environment;
};

} // namespace

TEST(SingleInstance, SecondCopyEndsAtOnceWithZeroAndShowsNothing)
{
    Programs programs;
    QProcess first;
    programs.start(first);
    ASSERT_TRUE(programs.waitForLock());

    QProcess second;
    programs.start(second);
    ASSERT_TRUE(second.waitForFinished(30000));
    EXPECT_EQ(second.exitStatus(), QProcess::NormalExit);
    EXPECT_EQ(second.exitCode(), 0);
    EXPECT_TRUE(second.readAllStandardOutput().isEmpty());
    EXPECT_EQ(first.state(), QProcess::Running);

    // a desktop session ending closes the window as the close box does:
    // the settings are written and the program ends with 0
    programs.terminateAndExpectAnOrderlyEnd(first);
    SettingsFile written(programs.settingsPath());
    EXPECT_EQ(written.readString("Output", "Dir", "absent").endsWith('/'), true);
}

// The lock is taken before the window and the signal handler exist; a
// signal in that moment still ends the program through its orderly close.
TEST(SingleInstance, ASignalRightAfterTheLockIsTakenStillClosesProperly)
{
    Programs programs;
    QProcess first;
    programs.start(first);
    ASSERT_TRUE(programs.waitForLock());
    programs.terminateAndExpectAnOrderlyEnd(first);
}

TEST(SingleInstance, LockIsHeldUntilItsOwnerEnds)
{
    test::TestFolder folder;
    const QByteArray previous = qgetenv("XDG_RUNTIME_DIR");
    qputenv("XDG_RUNTIME_DIR", folder.path().toLocal8Bit());
    {
        auto first = std::make_unique<InstanceLock>(ApplicationTitle);
        EXPECT_TRUE(first->acquired());
        EXPECT_EQ(first->path(), folder.path() + "/Korvex V1.01.lock");
        EXPECT_FALSE(InstanceLock(ApplicationTitle).acquired());
        // another title is another program
        EXPECT_TRUE(InstanceLock("Korvex V2").acquired());
        first.reset();
        EXPECT_TRUE(InstanceLock(ApplicationTitle).acquired());
    }
    qputenv("XDG_RUNTIME_DIR", previous);
}

TEST(SingleInstance, LockOfACopyThatDiedIsTakenOver)
{
    Programs programs;
    QProcess crashed;
    programs.start(crashed);
    ASSERT_TRUE(programs.waitForLock());
    crashed.kill();
    ASSERT_TRUE(crashed.waitForFinished(30000));
    ASSERT_TRUE(QFile::exists(programs.lockPath()));

    const QByteArray previous = qgetenv("XDG_RUNTIME_DIR");
    qputenv("XDG_RUNTIME_DIR", programs.runtime.toLocal8Bit());
    EXPECT_TRUE(InstanceLock(ApplicationTitle).acquired());
    qputenv("XDG_RUNTIME_DIR", previous);
}
