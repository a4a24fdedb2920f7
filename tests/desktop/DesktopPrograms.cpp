#include "DesktopPrograms.h"

#include "app/Application.h"
#include "app/InstanceChannel.h"
#include "support/ExternalTools.h"

#include <QDeadlineTimer>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QFileSystemWatcher>
#include <QSignalSpy>

namespace korvex::test {

ProgramRun RunProgram(const QString &program, const QStringList &arguments, const QProcessEnvironment &environment,
                      int timeoutMs)
{
    QProcess process;
    process.setProcessEnvironment(environment);
    process.start(program, arguments);
    ProgramRun run;
    if (!process.waitForFinished(timeoutMs)) {
        run.errors = QStringLiteral("%1 did not run to its end: %2").arg(program, process.errorString());
        process.kill();
        process.waitForFinished();
        return run;
    }
    run.exitCode = process.exitStatus() == QProcess::NormalExit ? process.exitCode() : -1;
    run.output = QString::fromUtf8(process.readAllStandardOutput());
    run.errors = QString::fromUtf8(process.readAllStandardError());
    return run;
}

QString RuntimeFolder(const QString &folder)
{
    return QDir(folder).filePath(QStringLiteral("run"));
}

QProcessEnvironment ProgramEnvironment(const QString &folder)
{
    const QString runtime = RuntimeFolder(folder);
    QDir().mkpath(runtime);
    QFile::setPermissions(runtime, QFileDevice::ReadOwner | QFileDevice::WriteOwner | QFileDevice::ExeOwner);
    const QString config = QDir(folder).filePath(QStringLiteral("config"));
    QDir().mkpath(config);
    QProcessEnvironment environment = QProcessEnvironment::systemEnvironment();
    environment.insert(QStringLiteral("XDG_RUNTIME_DIR"), runtime);
    environment.insert(QStringLiteral("XDG_CONFIG_HOME"), config);
    environment.insert(QStringLiteral("XDG_STATE_HOME"), folder + QStringLiteral("/state"));
    environment.insert(QStringLiteral("HOME"), folder);
    environment.insert(QStringLiteral("QT_QPA_PLATFORM"), QStringLiteral("offscreen"));
    environment.remove(QStringLiteral("KORVEX_VCEDIT"));
    return environment;
}

bool WaitForFile(const QString &path, int timeoutMs)
{
    QFileSystemWatcher watcher({QFileInfo(path).absolutePath()});
    QSignalSpy changed(&watcher, &QFileSystemWatcher::directoryChanged);
    const QDeadlineTimer deadline(timeoutMs);
    while (!QFileInfo::exists(path)) {
        if (deadline.hasExpired())
            return false;
        changed.wait(int(qMax<qint64>(1, deadline.remainingTime())));
    }
    return true;
}

ProgramRun StartAndCloseWindow(const QString &korvex, const QString &folder)
{
    ProgramRun run;
    const QProcessEnvironment environment = ProgramEnvironment(folder);
    const QString socket = QDir(RuntimeFolder(folder)).filePath(ApplicationTitle + QStringLiteral(".socket"));
    QProcess window;
    window.setProcessEnvironment(environment);
    window.start(korvex, {});
    if (!window.waitForStarted(30000)) {
        run.errors = window.errorString();
        return run;
    }
    const bool listening = WaitForFile(socket, 60000);
    window.terminate();
    if (!window.waitForFinished(60000)) {
        window.kill();
        window.waitForFinished();
    }
    run.exitCode = listening && window.exitStatus() == QProcess::NormalExit ? window.exitCode() : -1;
    run.output = QString::fromUtf8(window.readAllStandardOutput());
    run.errors = QString::fromUtf8(window.readAllStandardError());
    if (!listening)
        run.errors += QStringLiteral("\n(the window never listened at %1)").arg(socket);
    return run;
}

QString TaggedOgg(const QString &folder, const QString &title, const QString &artist)
{
    const QString path = QDir(folder).filePath(QStringLiteral("tagged.ogg"));
    MakeToneWithFfmpeg(path, 2.0, {QStringLiteral("title=") + title, QStringLiteral("artist=") + artist});
    return path;
}

} // namespace korvex::test
