#include "app/Application.h"
#include "app/InstanceLock.h"
#include "settings/SettingsFile.h"
#include "support/TempDir.h"

#include <QDir>
#include <QElapsedTimer>
#include <QFile>
#include <QProcess>
#include <QThread>
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
    // The first copy has its lock once the lock file exists and its main
    // window exists once the settings file has been read; wait for both.
    bool waitForLock(int milliseconds = 60000) const
    {
        QElapsedTimer timer;
        timer.start();
        while (!QFile::exists(lockPath())) {
            if (timer.elapsed() > milliseconds)
                return false;
            QThread::msleep(50);
        }
        return true;
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
    QThread::msleep(1500);
    first.terminate();
    ASSERT_TRUE(first.waitForFinished(30000));
    EXPECT_EQ(first.exitStatus(), QProcess::NormalExit);
    EXPECT_EQ(first.exitCode(), 0) << first.readAllStandardError().constData();
    EXPECT_TRUE(QFile::exists(programs.settingsPath()));
    SettingsFile written(programs.settingsPath());
    EXPECT_EQ(written.readString("Output", "Dir", "absent").endsWith('/'), true);
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
