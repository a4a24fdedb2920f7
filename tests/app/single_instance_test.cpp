#include "app/Application.h"
#include "app/InstanceLock.h"
#include "settings/SettingsFile.h"
#include "support/SpawnedProgram.h"
#include "support/TempDir.h"

#include <QDir>
#include <QDeadlineTimer>
#include <QFileInfo>
#include <QFileSystemWatcher>
#include <QFile>
#include <QProcessEnvironment>
#include <QSignalSpy>
#include <gtest/gtest.h>

#include <unistd.h>

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
    void start(test::SpawnedProgram &program)
    {
        ASSERT_TRUE(program.start(kKorvex, {}, environment.toStringList()));
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
    void terminateAndExpectAnOrderlyEnd(test::SpawnedProgram &program) const
    {
        program.terminate();
        ASSERT_TRUE(program.waitForFinished(30000));
        EXPECT_TRUE(program.exitedNormally());
        EXPECT_EQ(program.exitCode(), 0) << program.errors().toStdString();
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
    test::SpawnedProgram first;
    programs.start(first);
    ASSERT_TRUE(programs.waitForLock());

    test::SpawnedProgram second;
    programs.start(second);
    ASSERT_TRUE(second.waitForFinished(30000));
    EXPECT_TRUE(second.exitedNormally());
    EXPECT_EQ(second.exitCode(), 0);
    EXPECT_TRUE(second.remainingOutput().isEmpty());
    EXPECT_TRUE(first.running());

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
    test::SpawnedProgram first;
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
    test::SpawnedProgram crashed;
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

namespace {

// Points the lock folder's inputs (runtime, temporary and cache folders)
// into a test folder for one test and puts them back afterwards.
struct LockFolderInputs
{
    LockFolderInputs()
        : saved{qgetenv("XDG_RUNTIME_DIR"), qgetenv("TMPDIR"), qgetenv("XDG_CACHE_HOME")}
    {
        QDir().mkpath(folder.file("tmp"));
        qunsetenv("XDG_RUNTIME_DIR");
        qputenv("TMPDIR", QFile::encodeName(folder.file("tmp")));
        qputenv("XDG_CACHE_HOME", QFile::encodeName(folder.file("cache")));
    }
    ~LockFolderInputs()
    {
        const char *names[] = {"XDG_RUNTIME_DIR", "TMPDIR", "XDG_CACHE_HOME"};
        for (int i = 0; i < 3; ++i) {
            if (saved[i].isNull())
                qunsetenv(names[i]);
            else
                qputenv(names[i], saved[i]);
        }
    }
    QString inTemp() const { return folder.file(QStringLiteral("tmp/korvex-%1").arg(::getuid())); }
    QString inCache() const { return folder.file("cache/korvex"); }
    static bool isPrivate(const QString &path)
    {
        return QFileInfo(path).isDir() && !QFileInfo(path).isSymLink()
            && QFile::permissions(path) == (QFileDevice::ReadOwner | QFileDevice::WriteOwner | QFileDevice::ExeOwner
                                            | QFileDevice::ReadUser | QFileDevice::WriteUser | QFileDevice::ExeUser);
    }

    test::TestFolder folder;
    QByteArray saved[3];
};

} // namespace

// Without a runtime folder the lock and the hand-off socket live in the
// shared temporary folder, where another user could have made the name first
// to read the files handed over: only a private folder of our own is used.
TEST(LockFolder, WithoutARuntimeFolderAPrivateFolderOfOurOwnIsUsed)
{
    LockFolderInputs inputs;
    EXPECT_EQ(InstanceLock::lockFolder(), inputs.inTemp());
    EXPECT_TRUE(LockFolderInputs::isPrivate(inputs.inTemp()));
    // a second call takes the same folder, so both copies meet
    EXPECT_EQ(InstanceLock::lockFolder(), inputs.inTemp());
}

TEST(LockFolder, AFolderOthersMayEnterOrThatIsALinkIsNotUsed)
{
    {
        LockFolderInputs inputs;
        ASSERT_TRUE(QDir().mkpath(inputs.inTemp()));
        QFile::setPermissions(inputs.inTemp(), QFileDevice::ReadOwner | QFileDevice::WriteOwner | QFileDevice::ExeOwner
                                                   | QFileDevice::ReadOther | QFileDevice::WriteOther
                                                   | QFileDevice::ExeOther);
        EXPECT_EQ(InstanceLock::lockFolder(), inputs.inCache());
        EXPECT_TRUE(LockFolderInputs::isPrivate(inputs.inCache()));
    }
    {
        LockFolderInputs inputs;
        const QString elsewhere = inputs.folder.file("elsewhere");
        ASSERT_TRUE(QDir().mkpath(elsewhere));
        QFile::setPermissions(elsewhere, QFileDevice::ReadOwner | QFileDevice::WriteOwner | QFileDevice::ExeOwner);
        ASSERT_TRUE(QFile::link(elsewhere, inputs.inTemp()));
        EXPECT_EQ(InstanceLock::lockFolder(), inputs.inCache());
    }
}

TEST(LockFolder, AFolderOfAnotherUserIsNotUsed)
{
    if (::getuid() != 0)
        GTEST_SKIP() << "only root can give a folder to another user";
    LockFolderInputs inputs;
    ASSERT_TRUE(QDir().mkpath(inputs.inTemp()));
    QFile::setPermissions(inputs.inTemp(), QFileDevice::ReadOwner | QFileDevice::WriteOwner | QFileDevice::ExeOwner);
    ASSERT_EQ(::chown(QFile::encodeName(inputs.inTemp()).constData(), 65534, 65534), 0);
    EXPECT_EQ(InstanceLock::lockFolder(), inputs.inCache());
}
