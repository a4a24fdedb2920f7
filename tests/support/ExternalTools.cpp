#include "ExternalTools.h"

#include <QFile>
#include <QFileInfo>
#include <QTemporaryFile>
#include <gtest/gtest.h>

#include <cerrno>
#include <cstring>
#include <fcntl.h>
#include <spawn.h>
#include <sys/wait.h>
#include <unistd.h>
#include <vector>

namespace korvex::test {

namespace {

// The program's standard output or error, caught in a file rather than a
// pipe: nothing needs reading while it runs, however much it writes.
class CaughtOutput
{
public:
    bool open() { return m_file.open(); }
    int handle() { return m_file.handle(); }
    QString text()
    {
        m_file.seek(0);
        return QString::fromUtf8(m_file.readAll());
    }

private:
    QTemporaryFile m_file;
};

int waitForExit(pid_t pid)
{
    int status = 0;
    while (waitpid(pid, &status, 0) < 0) {
        if (errno != EINTR)
            return -1;
    }
    return WIFEXITED(status) ? WEXITSTATUS(status) : -1;
}

} // namespace

// Started with posix_spawn, not QProcess: QProcess starts its child with
// clone(CLONE_VM), and ThreadSanitizer's clone hook then does the child's
// after-fork bookkeeping in the parent's memory. From then on it no longer
// sees the calling thread take a lock, and every later hand-over to a worker
// thread is reported as a race. glibc's posix_spawn keeps its clone to itself.
ToolResult RunTool(const QString &program, const QStringList &arguments)
{
    ToolResult result;
    CaughtOutput output;
    CaughtOutput errors;
    if (!output.open() || !errors.open()) {
        ADD_FAILURE() << "no temporary file for the output of " << program.toStdString();
        return result;
    }
    std::vector<QByteArray> words{QFile::encodeName(program)};
    for (const QString &argument : arguments)
        words.push_back(argument.toLocal8Bit());
    std::vector<char *> argv;
    for (QByteArray &word : words)
        argv.push_back(word.data());
    argv.push_back(nullptr);

    posix_spawn_file_actions_t actions;
    posix_spawn_file_actions_init(&actions);
    posix_spawn_file_actions_addopen(&actions, STDIN_FILENO, "/dev/null", O_RDONLY, 0);
    posix_spawn_file_actions_adddup2(&actions, output.handle(), STDOUT_FILENO);
    posix_spawn_file_actions_adddup2(&actions, errors.handle(), STDERR_FILENO);
    pid_t pid = 0;
    const int failure = posix_spawnp(&pid, argv.front(), &actions, nullptr, argv.data(), environ);
    posix_spawn_file_actions_destroy(&actions);
    if (failure != 0) {
        ADD_FAILURE() << "could not run " << program.toStdString() << ": " << std::strerror(failure);
        return result;
    }
    result.exitCode = waitForExit(pid);
    result.output = output.text();
    result.errors = errors.text();
    if (result.exitCode != 0)
        ADD_FAILURE() << program.toStdString() << " failed: " << result.errors.toStdString();
    return result;
}

bool MakeToneWithFfmpeg(const QString &path, double seconds, const QStringList &metadata)
{
    const QString suffix = QFileInfo(path).suffix().toLower();
    const QString codec = suffix == u"mp3"    ? QStringLiteral("libmp3lame")
                        : suffix == u"ogg"  ? QStringLiteral("libvorbis")
                        : suffix == u"flac" ? QStringLiteral("flac")
                                            : QStringLiteral("wmav2");
    QStringList arguments = {QStringLiteral("-v"), QStringLiteral("error"), QStringLiteral("-y"),
                             QStringLiteral("-f"), QStringLiteral("lavfi"), QStringLiteral("-i"),
                             QStringLiteral("sine=frequency=440:sample_rate=44100:duration=%1").arg(seconds),
                             QStringLiteral("-c:a"), codec};
    for (const QString &pair : metadata)
        arguments << QStringLiteral("-metadata") << pair;
    arguments << path;
    return RunTool(QStringLiteral("ffmpeg"), arguments).exitCode == 0;
}

QString RunMutagen(const QString &script, const QString &path)
{
    return RunTool(QStringLiteral("/usr/bin/python3"), {QStringLiteral("-c"), script, path}).output;
}

double ProbedSeconds(const QString &path)
{
    return RunTool(QStringLiteral("ffprobe"),
                   {"-v", "error", "-show_entries", "format=duration", "-of", "csv=p=0", path})
        .output.toDouble();
}

QString MutagenAsfLengthAndTitle(const QString &path)
{
    return RunMutagen(QStringLiteral("import sys\nfrom mutagen.asf import ASF\n"
                                     "f = ASF(sys.argv[1])\n"
                                     "print(round(f.info.length), 'Title' in f.tags)\n"),
                      path)
        .trimmed();
}

} // namespace korvex::test
