#pragma once

#include <QProcess>
#include <QProcessEnvironment>
#include <QString>
#include <QStringList>

namespace korvex::test {

// Running the real programs of a build, an installed tree or an unpacked
// package, and the desktop's own tools, from the desktop suite.

struct ProgramRun
{
    int exitCode = -1;  // -1: did not start, crashed or ran out of time
    QString output;
    QString errors;
    QString all() const { return output + errors; }
};

// Runs to the end (up to `timeoutMs`), whatever the exit code.
ProgramRun RunProgram(const QString &program, const QStringList &arguments,
                      const QProcessEnvironment &environment = QProcessEnvironment::systemEnvironment(),
                      int timeoutMs = 300000);

// The environment of a Korvex started by a test: offscreen, its settings and
// runtime folders inside `folder`, and no KORVEX_VCEDIT, so the program finds
// its comment library itself.
QProcessEnvironment ProgramEnvironment(const QString &folder);

// The runtime folder ProgramEnvironment(folder) names.
QString RuntimeFolder(const QString &folder);

// Waits, by the file system's own notices, until `path` exists.
bool WaitForFile(const QString &path, int timeoutMs);

// Starts the window program `korvex`, waits until it takes files from later
// starts (its window is up then), closes it as a desktop session does and
// returns what it said. exitCode 0 and nothing on standard error is a clean
// start.
ProgramRun StartAndCloseWindow(const QString &korvex, const QString &folder);

// An Ogg Vorbis file with the title and artist given, written by ffmpeg.
QString TaggedOgg(const QString &folder, const QString &title, const QString &artist);

} // namespace korvex::test
