#pragma once

#include <QProcessEnvironment>
#include <QString>
#include <QStringList>

#include <sys/types.h>

namespace korvex::test {

// A helper program that a test runs beside itself (a sound server, a
// recorder), started with fork() and exec. Not QProcess: Qt 6.4 starts its
// children with clone(CLONE_VM | CLONE_VFORK), whose after-fork bookkeeping
// ThreadSanitizer then does in this process's memory, and from then on it no
// longer sees the starting thread take a lock (see RunTool). Not posix_spawn
// either, as RunTool is: the program must die with the test, even one a
// sanitizer halts, and only a child of our own can ask for that
// (PR_SET_PDEATHSIG) before its exec. It holds none of the test's output pipes.
class SpawnedProcess
{
public:
    SpawnedProcess() = default;
    ~SpawnedProcess();
    SpawnedProcess(const SpawnedProcess &) = delete;
    SpawnedProcess &operator=(const SpawnedProcess &) = delete;

    // Its standard output goes to `outputFile` (made or emptied), or nowhere;
    // its standard input and error are /dev/null. False when it cannot start.
    bool start(const QString &program, const QStringList &arguments, const QProcessEnvironment &environment,
               const QString &outputFile = QString());
    bool running();
    // Until it exits: its exit code; -1 after the timeout or when a signal
    // ended it.
    int waitForExit(int timeoutMs);
    // SIGTERM, then SIGKILL when it is still there after five seconds.
    void stop();

private:
    pid_t m_pid = -1;
    int m_status = -1;
};

} // namespace korvex::test
