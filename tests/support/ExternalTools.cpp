#include "ExternalTools.h"

#include <QFileInfo>
#include <QProcess>
#include <gtest/gtest.h>

namespace korvex::test {

ToolResult RunTool(const QString &program, const QStringList &arguments)
{
    QProcess process;
    process.start(program, arguments);
    ToolResult result;
    if (!process.waitForFinished(120000)) {
        ADD_FAILURE() << "could not run " << program.toStdString() << ": " << process.errorString().toStdString();
        return result;
    }
    result.exitCode = process.exitStatus() == QProcess::NormalExit ? process.exitCode() : -1;
    result.output = QString::fromUtf8(process.readAllStandardOutput());
    result.errors = QString::fromUtf8(process.readAllStandardError());
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

} // namespace korvex::test
