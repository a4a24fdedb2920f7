#include "support/SpawnedProgram.h"

#include <QDir>
#include <QFile>
#include <QTemporaryFile>

#include <cerrno>
#include <csignal>
#include <cstring>
#include <fcntl.h>
#include <poll.h>
#include <spawn.h>
#include <sys/syscall.h>
#include <sys/wait.h>
#include <unistd.h>
#include <utility>
#include <vector>

namespace korvex::test {

namespace {

std::vector<char *> pointersTo(std::vector<QByteArray> &words)
{
    std::vector<char *> pointers;
    for (QByteArray &word : words)
        pointers.push_back(word.data());
    pointers.push_back(nullptr);
    return pointers;
}

// Waits until `descriptor` is readable (a pipe with data, or a process
// that ended, through its pidfd); false when the time ran out.
bool readable(int descriptor, int timeoutMs)
{
    pollfd watched{descriptor, POLLIN, 0};
    for (;;) {
        const int ready = ::poll(&watched, 1, timeoutMs);
        if (ready >= 0)
            return ready > 0;
        if (errno != EINTR)
            return false;
    }
}

} // namespace

pid_t SpawnProgram(const QString &program, const QStringList &arguments, const QStringList &environment,
                   int output, int errors, QString *failure)
{
    std::vector<QByteArray> words{QFile::encodeName(program)};
    for (const QString &argument : arguments)
        words.push_back(argument.toLocal8Bit());
    std::vector<char *> argv = pointersTo(words);
    std::vector<QByteArray> settings;
    for (const QString &setting : environment)
        settings.push_back(setting.toLocal8Bit());
    std::vector<char *> envp = pointersTo(settings);

    posix_spawn_file_actions_t actions;
    posix_spawn_file_actions_init(&actions);
    posix_spawn_file_actions_addopen(&actions, STDIN_FILENO, "/dev/null", O_RDONLY, 0);
    posix_spawn_file_actions_adddup2(&actions, output, STDOUT_FILENO);
    posix_spawn_file_actions_adddup2(&actions, errors, STDERR_FILENO);
    pid_t pid = -1;
    const int status =
        posix_spawnp(&pid, argv.front(), &actions, nullptr, argv.data(), environment.isEmpty() ? environ : envp.data());
    posix_spawn_file_actions_destroy(&actions);
    if (status != 0) {
        *failure = QStringLiteral("could not run %1: %2").arg(program, QString::fromLocal8Bit(std::strerror(status)));
        return -1;
    }
    return pid;
}

SpawnedProgram::~SpawnedProgram()
{
    if (running()) {
        kill();
        waitForFinished(-1);
    }
    closeOutput();
    if (!m_errorsPath.isEmpty())
        QFile::remove(m_errorsPath);
}

bool SpawnedProgram::start(const QString &program, const QStringList &arguments, const QStringList &environment)
{
    QTemporaryFile errors(QDir::tempPath() + QStringLiteral("/korvex-test-errors-XXXXXX"));
    errors.setAutoRemove(false);
    int pipe[2];
    if (!errors.open() || ::pipe2(pipe, O_CLOEXEC) != 0)
        return false;
    m_errorsPath = errors.fileName();
    QString failure;
    m_pid = SpawnProgram(program, arguments, environment, pipe[1], errors.handle(), &failure);
    ::close(pipe[1]);
    m_output = pipe[0];
    if (m_pid < 0) {
        closeOutput();
        return false;
    }
    m_pidFd = int(::syscall(SYS_pidfd_open, m_pid, 0));
    return m_pidFd >= 0;
}

bool SpawnedProgram::running()
{
    if (m_pid < 0)
        return false;
    int status = 0;
    const pid_t done = ::waitpid(m_pid, &status, WNOHANG);
    if (done == m_pid)
        reap(status);
    return done == 0;
}

QByteArray SpawnedProgram::readLine(int timeoutMs)
{
    for (;;) {
        const qsizetype end = m_buffered.indexOf('\n');
        if (end >= 0) {
            const QByteArray line = m_buffered.left(end);
            m_buffered.remove(0, end + 1);
            return line;
        }
        if (m_output < 0 || !readable(m_output, timeoutMs))
            return {};
        char chunk[4096];
        const ssize_t got = ::read(m_output, chunk, sizeof chunk);
        if (got == 0 || (got < 0 && errno != EINTR))
            return {};
        if (got > 0)
            m_buffered.append(chunk, got);
    }
}

QByteArray SpawnedProgram::remainingOutput()
{
    char chunk[4096];
    while (m_output >= 0 && readable(m_output, 0)) {
        const ssize_t got = ::read(m_output, chunk, sizeof chunk);
        if (got <= 0)
            break;
        m_buffered.append(chunk, got);
    }
    return std::exchange(m_buffered, {});
}

QString SpawnedProgram::errors() const
{
    QFile file(m_errorsPath);
    return file.open(QIODevice::ReadOnly) ? QString::fromLocal8Bit(file.readAll()) : QString();
}

void SpawnedProgram::terminate()
{
    if (m_pid > 0)
        ::kill(m_pid, SIGTERM);
}

void SpawnedProgram::kill()
{
    if (m_pid > 0)
        ::kill(m_pid, SIGKILL);
}

bool SpawnedProgram::waitForFinished(int timeoutMs)
{
    if (m_pid < 0)
        return true;
    if (!readable(m_pidFd, timeoutMs))
        return false;
    int status = 0;
    while (::waitpid(m_pid, &status, 0) < 0) {
        if (errno != EINTR)
            return false;
    }
    reap(status);
    return true;
}

void SpawnedProgram::reap(int status)
{
    m_exitedNormally = WIFEXITED(status);
    m_exitCode = m_exitedNormally ? WEXITSTATUS(status) : -1;
    m_pid = -1;
    if (m_pidFd >= 0)
        ::close(m_pidFd);
    m_pidFd = -1;
}

void SpawnedProgram::closeOutput()
{
    if (m_output >= 0)
        ::close(m_output);
    m_output = -1;
}

} // namespace korvex::test
