#pragma once

#include <QString>
#include <QStringList>

namespace korvex::test {

// Other programs as independent writers and readers of test files: the
// `ffmpeg` command, mutagen through Debian's /usr/bin/python3, exiftool.
// Each fails the calling test (gtest ADD_FAILURE) when the program does.

struct ToolResult
{
    int exitCode = -1;
    QString output;  // standard output
    QString errors;  // standard error
};

ToolResult RunTool(const QString &program, const QStringList &arguments);

// A sine tone of `seconds` written by the ffmpeg command; the encoder follows
// from the extension (.mp3 libmp3lame, .ogg libvorbis, .flac flac, else wmav2).
// `metadata` holds key=value pairs passed as -metadata.
bool MakeToneWithFfmpeg(const QString &path, double seconds, const QStringList &metadata = {});

// Runs a Python script with mutagen importable; `path` is handed to the
// script as sys.argv[1]. Returns the script's standard output.
QString RunMutagen(const QString &script, const QString &path);

// The duration ffprobe reads from a file's container, in seconds; 0 when it
// reads none.
double ProbedSeconds(const QString &path);
// What mutagen reads of an ASF file: its length in whole seconds and whether
// it holds a Title ("5 False"); empty when mutagen cannot read its header.
QString MutagenAsfLengthAndTitle(const QString &path);
// The Title mutagen reads of an ASF file, trimmed; empty when it has none.
QString MutagenAsfTitle(const QString &path);

} // namespace korvex::test
