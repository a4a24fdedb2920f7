#include "app/DesktopLauncher.h"

#include <QDesktopServices>
#include <QFile>
#include <QSocketNotifier>
#include <QStandardPaths>
#include <QTimer>
#include <QUrl>

#include <fcntl.h>
#include <spawn.h>
#include <sys/syscall.h>
#include <sys/wait.h>
#include <unistd.h>

extern char **environ;

namespace korvex {

namespace {

const QString NoOpener = QStringLiteral("No program to open it with was found.");

// xdg-open's own exit codes.
QString xdgOpenFailure(int exitCode)
{
    switch (exitCode) {
    case 2:
        return QStringLiteral("The file does not exist.");
    case 3:
        return NoOpener;
    default:
        return QStringLiteral("The program that should open it failed.");
    }
}

// posix_spawn rather than QProcess: QProcess starts its child with
// clone(CLONE_VM), after which ThreadSanitizer no longer sees this thread's
// locks; glibc's posix_spawn keeps its clone to itself. The child reads and
// writes nothing of ours. -1 when it cannot start.
pid_t spawnQuietly(const QString &program, const QString &argument)
{
    posix_spawn_file_actions_t actions;
    posix_spawn_file_actions_init(&actions);
    posix_spawn_file_actions_addopen(&actions, STDIN_FILENO, "/dev/null", O_RDONLY, 0);
    posix_spawn_file_actions_addopen(&actions, STDOUT_FILENO, "/dev/null", O_WRONLY, 0);
    posix_spawn_file_actions_addopen(&actions, STDERR_FILENO, "/dev/null", O_WRONLY, 0);
    QByteArray path = QFile::encodeName(program);
    QByteArray target = QFile::encodeName(argument);
    char *arguments[] = {path.data(), target.data(), nullptr};
    pid_t pid = -1;
    const int status = posix_spawn(&pid, path.constData(), &actions, nullptr, arguments, environ);
    posix_spawn_file_actions_destroy(&actions);
    return status == 0 ? pid : -1;
}

void reportExit(int status, const DesktopLauncher::Failure &failed)
{
    const bool exited = WIFEXITED(status);
    if (failed && !(exited && WEXITSTATUS(status) == 0))
        failed(xdgOpenFailure(exited ? WEXITSTATUS(status) : 4));
}

// Reaps the child when it ends and reports a failure, on the window thread:
// woken by a pidfd, or, on a kernel without them, by looking now and then.
void followExit(pid_t pid, const DesktopLauncher::Failure &failed)
{
    const int pidFd = int(::syscall(SYS_pidfd_open, pid, 0));
    if (pidFd >= 0) {
        auto *ended = new QSocketNotifier(pidFd, QSocketNotifier::Read);
        QObject::connect(ended, &QSocketNotifier::activated, ended, [ended, pid, pidFd, failed] {
            ended->setEnabled(false);
            int status = 0;
            ::waitpid(pid, &status, 0);
            ::close(pidFd);
            ended->deleteLater();
            reportExit(status, failed);
        });
        return;
    }
    auto *poll = new QTimer;
    QObject::connect(poll, &QTimer::timeout, poll, [poll, pid, failed] {
        int status = 0;
        if (::waitpid(pid, &status, WNOHANG) == 0)
            return;
        poll->stop();
        poll->deleteLater();
        reportExit(status, failed);
    });
    poll->start(200);
}

} // namespace

void DesktopLauncher::open(const QString &pathOrUrl, const Failure &failed)
{
    const QUrl url = QUrl::fromUserInput(pathOrUrl);
    const QString xdgOpen = QStandardPaths::findExecutable(QStringLiteral("xdg-open"));
    if (xdgOpen.isEmpty()) {
        if (!QDesktopServices::openUrl(url) && failed)
            failed(NoOpener);
        return;
    }
    // A browser xdg-open waits for outlives the window: nothing here ends it.
    const pid_t pid = spawnQuietly(xdgOpen, url.isLocalFile() ? url.toLocalFile() : url.toString());
    if (pid < 0) {
        if (failed)
            failed(NoOpener);
        return;
    }
    followExit(pid, failed);
}

} // namespace korvex
