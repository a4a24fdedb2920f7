#include "ExternalTools.h"

#include "SpawnedProgram.h"

#include <QFileInfo>
#include <QTemporaryFile>
#include <gtest/gtest.h>

#include <cerrno>
#include <sys/wait.h>

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

// Started with SpawnProgram, never QProcess (SpawnedProgram.h says why).
ToolResult RunTool(const QString &program, const QStringList &arguments)
{
    ToolResult result;
    CaughtOutput output;
    CaughtOutput errors;
    if (!output.open() || !errors.open()) {
        ADD_FAILURE() << "no temporary file for the output of " << program.toStdString();
        return result;
    }
    QString failure;
    const pid_t pid = SpawnProgram(program, arguments, {}, output.handle(), errors.handle(), &failure);
    if (pid < 0) {
        ADD_FAILURE() << failure.toStdString();
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

QString MutagenAsfTitle(const QString &path)
{
    return RunMutagen(QStringLiteral("import sys\nfrom mutagen.asf import ASF\n"
                                     "print(ASF(sys.argv[1]).tags['Title'][0])\n"),
                      path)
        .trimmed();
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
