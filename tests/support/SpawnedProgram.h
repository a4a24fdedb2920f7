#pragma once

#include <QByteArray>
#include <QString>
#include <QStringList>

#include <sys/types.h>

namespace korvex::test {

// Starts `program` (looked up in PATH) with posix_spawn, never QProcess:
// QProcess starts its child with clone(CLONE_VM), and ThreadSanitizer's clone
// hook then does the child's after-fork bookkeeping in the parent's memory.
// From then on it no longer sees the calling thread take a lock, and every
// later hand-over to a worker thread is reported as a race. glibc's
// posix_spawn keeps its clone to itself. Standard input is /dev/null; standard output
// and error go to the descriptors given. `environment` holds NAME=value
// entries; empty means the test's own. Returns the process id, or -1 with
// `failure` set.
pid_t SpawnProgram(const QString &program, const QStringList &arguments, const QStringList &environment,
                   int output, int errors, QString *failure);

// A program that runs beside the test (a bus daemon, a second copy of
// Korvex), started as SpawnProgram starts it. Its standard output is a pipe
// the test reads line by line; a program that writes much there must be
// read, or it blocks. Its standard error is kept in a file. A program still
// running when the object goes is killed.
class SpawnedProgram
{
public:
    SpawnedProgram() = default;
    ~SpawnedProgram();
    SpawnedProgram(const SpawnedProgram &) = delete;
    SpawnedProgram &operator=(const SpawnedProgram &) = delete;

    bool start(const QString &program, const QStringList &arguments, const QStringList &environment = {});
    bool running();
    // The next line of standard output without its end; empty when none came
    // within the time or the program closed its output.
    QByteArray readLine(int timeoutMs);
    // Everything still unread on standard output, once the program ended.
    QByteArray remainingOutput();
    QString errors() const;

    void terminate();  // SIGTERM
    void kill();       // SIGKILL
    // False when the program still runs after the time.
    bool waitForFinished(int timeoutMs);
    bool exitedNormally() const { return m_exitedNormally; }
    int exitCode() const { return m_exitCode; }

private:
    void reap(int status);
    void closeOutput();

    pid_t m_pid = -1;
    int m_pidFd = -1;
    int m_output = -1;
    QByteArray m_buffered;
    QString m_errorsPath;
    bool m_exitedNormally = false;
    int m_exitCode = -1;
};

} // namespace korvex::test
