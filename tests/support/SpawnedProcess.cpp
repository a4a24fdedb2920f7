#include "support/SpawnedProcess.h"

#include <QDeadlineTimer>
#include <QStandardPaths>
#include <QThread>

#include <csignal>
#include <fcntl.h>
#include <sys/prctl.h>
#include <sys/wait.h>
#include <unistd.h>
#include <vector>

namespace korvex::test {

namespace {

// NUL-terminated pointers into `texts`, which must outlive them.
std::vector<char *> pointersTo(QList<QByteArray> &texts)
{
    std::vector<char *> pointers;
    for (QByteArray &text : texts)
        pointers.push_back(text.data());
    pointers.push_back(nullptr);
    return pointers;
}

} // namespace

SpawnedProcess::~SpawnedProcess()
{
    stop();
}

bool SpawnedProcess::start(const QString &program, const QStringList &arguments,
                           const QProcessEnvironment &environment, const QString &outputFile)
{
    const QString path = QStandardPaths::findExecutable(program, environment.value(QStringLiteral("PATH")).split(u':'));
    if (path.isEmpty() || m_pid > 0)
        return false;
    // Everything the child needs is made before the fork.
    QList<QByteArray> argumentTexts{path.toLocal8Bit()};
    for (const QString &argument : arguments)
        argumentTexts.append(argument.toLocal8Bit());
    QList<QByteArray> environmentTexts;
    for (const QString &entry : environment.toStringList())
        environmentTexts.append(entry.toLocal8Bit());
    const std::vector<char *> argv = pointersTo(argumentTexts);
    const std::vector<char *> envp = pointersTo(environmentTexts);
    const QByteArray output = outputFile.isEmpty() ? QByteArray("/dev/null") : outputFile.toLocal8Bit();
    const int outputFlags = O_WRONLY | O_CREAT | O_TRUNC | O_CLOEXEC;

    const pid_t pid = ::fork();
    if (pid < 0)
        return false;
    if (pid == 0) {
        // The child: only async-signal-safe calls until the exec.
        ::prctl(PR_SET_PDEATHSIG, SIGTERM);
        const int nothing = ::open("/dev/null", O_RDWR | O_CLOEXEC);
        const int out = ::open(output.constData(), outputFlags, 0644);
        if (nothing < 0 || out < 0 || ::dup2(nothing, 0) < 0 || ::dup2(out, 1) < 0 || ::dup2(nothing, 2) < 0)
            ::_exit(127);
        ::execve(argv[0], argv.data(), envp.data());
        ::_exit(127);
    }
    m_pid = pid;
    m_status = -1;
    return true;
}

bool SpawnedProcess::running()
{
    if (m_pid <= 0)
        return false;
    int status = 0;
    if (::waitpid(m_pid, &status, WNOHANG) == 0)
        return true;
    m_status = WIFEXITED(status) ? WEXITSTATUS(status) : -1;
    m_pid = -1;
    return false;
}

int SpawnedProcess::waitForExit(int timeoutMs)
{
    const QDeadlineTimer deadline(timeoutMs);
    while (running()) {
        if (deadline.hasExpired())
            return -1;
        QThread::msleep(5);
    }
    return m_status;
}

void SpawnedProcess::stop()
{
    if (!running())
        return;
    ::kill(m_pid, SIGTERM);
    if (waitForExit(5000) == -1 && running()) {
        ::kill(m_pid, SIGKILL);
        waitForExit(5000);
    }
}

} // namespace korvex::test
