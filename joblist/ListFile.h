#pragma once

#include "joblist/JobRecords.h"
#include "settings/OutputFormat.h"

#include <QByteArray>
#include <QList>
#include <QString>

namespace korvex {

struct Settings;

// A saved job list (a ".korvex" file): a JSON object with "version" 1, the
// mode and its settings, and for every entry its file, its segments in
// milliseconds (the pending one last) with their own titles and artists, and
// its edited tags. resources/help and README describe the format for users;
// what is read here is exactly what they say.

// The mode and the settings that shape a run, as a list keeps them.
struct ListSettings
{
    int SplitMode = 0;
    int SplitSeconds = 60;
    int SplitCount = 6;
    bool FadeIn = false;
    bool FadeOut = false;
    int FadeInSeconds = 5;
    int FadeOutSeconds = 5;
    int EdgeMs = 0;
    QString OutputFolder;  // ends in "/"; empty: the list keeps none, Korvex's own stays
    OutputFormat Format = OutputFormat::Wma;

    bool operator==(const ListSettings &) const = default;
};

// "custom", "time", "count", "unify": the modes as lists and korvex-cli name them.
QString ListModeWord(int mode);

ListSettings ListSettingsOf(const Settings &settings);
// Sets the in-memory settings the list carries; the rest stay.
void ApplyListSettings(const ListSettings &list, Settings &settings);

struct ListSegment
{
    qint64 BeginMs = 0;
    qint64 EndMs = 0;
    SegmentTags Own;
};

// One entry: its file (absolute once read), its segments (the last one the
// pending segment, as in listrecord) and its tags.
struct ListEntry
{
    QString FileName;
    QList<ListSegment> Segments;
    AudioFileinfo Tags;
};

struct SavedList
{
    ListSettings settings;
    QList<ListEntry> entries;
};

// The version this Korvex writes and the newest it reads.
inline constexpr int ListFormatVersion = 1;
// The extension without its dot, and the save and open dialogs' filter.
inline constexpr char ListFileSuffix[] = "korvex";
QString ListFileFilter();

// Bounds that keep a damaged or hostile file from costing more than a real
// list ever would.
inline constexpr qint64 LongestListFile = 64 * 1024 * 1024;
inline constexpr int MostListEntries = 100000;
inline constexpr int MostListSegments = 100000;

// The JSON text of a list kept at listPath: files below the list's folder are
// written relative to it, others as absolute paths.
QByteArray ListFileText(const SavedList &list, const QString &listPath);
// Reads the text of a list kept at listPath; relative paths are taken from
// the list's folder. Throws KorvexError naming the list and what is wrong
// with it (damaged JSON, a newer version, a value out of range).
SavedList ParseListFile(const QByteArray &text, const QString &listPath);

// Writes the list atomically: the file is either the old one or the whole new
// one. Throws KorvexError when it cannot be written.
void WriteListFile(const QString &listPath, const SavedList &list);
// Throws KorvexError when the file cannot be read or is not a list.
SavedList ReadListFile(const QString &listPath);

} // namespace korvex
