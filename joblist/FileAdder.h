#pragma once

#include "components/Seams.h"
#include "components/SourceMeasurer.h"
#include "joblist/CueImport.h"

#include <optional>

#include <QObject>
#include <QString>

namespace korvex {

class SettingsFile;

class IAudioFile2;
class JobEditor;
class JobList;
struct PlayerState;
struct RunState;

// The two commands that fill the job list: AddFiles (files chosen in the open
// dialog) and AddFolder (every WMA file of one folder, not recursive). Each
// file gets a row named after its tag title, is measured through the reading
// component and sized; a file that cannot be measured is reported and its row
// taken out again, and the next file takes its place. Both do nothing while a
// run converts or files are already being added; while they add, the list
// commands are ignored (JobList::Adding).
//
// The rows are made, named, measured and sized one after the other on the
// window thread, but the measuring itself (a decode of the whole file, for
// WMA) is done ahead by a SourceMeasurer on every core, with readers of its
// own; the window thread waits for each file's result processing events.
class FileAdder : public QObject
{
    Q_OBJECT
public:
    // Adds to the editor's list, under the editor's activity.
    FileAdder(JobEditor &editor, IAudioFile2 &reader, const Seams &seams, SettingsFile &settingsFile,
              QObject *parent = nullptr, SourceMeasurer::ReaderFactory makeReader = {});

    // The open dialog's filters: WMA first, as ever, then every audio file
    // Korvex opens, then anything.
    static const QString OpenFilter;
    // The filter the open dialog selects: the audio files.
    static constexpr int AudioFilterIndex = 1;

    // Where Add File and Add Folder open: the folder last added from, kept in
    // Korvex.ini ([Add] Folder), else the music folder.
    QString startFolder() const;
    // The window keeps the folder added from; korvex-cli, whose "dialog" is
    // its command line, never writes the settings file.
    void keepAddFolder(bool keep) { m_keepsAddFolder = keep; }

    void AddFiles();
    void AddFolder();
    // Files and folders dropped on a list, in the order dropped: a file is
    // added as AddFiles adds it, a folder as AddFolder adds its WMA files.
    // Refused as both are.
    void AddDropped(const QStringList &paths);
    // What AddFiles does with the files the open dialog gives, for files
    // named from outside the window (the command line, a second start).
    // A CUE sheet among them adds the audio files it names, each with one
    // confirmed segment per track (CueImport).
    void AddFileList(const QStringList &files);
    // AddFiles, AddFolder and AddFileList do nothing while this holds.
    bool locked() const;

Q_SIGNALS:
    // The preview player must stop before the list grows (a direct connection).
    void stopPlaybackRequested();
    // lv should take the keyboard focus.
    void fileListFocusRequested();

private:
    struct Source
    {
        QString path;
        bool fromFolder;
        bool added = true;   // a folder entry that is not a WMA file is only passed by
        std::optional<CueEntry> cue;  // the tracks a CUE sheet marks in it
    };

    // A file as it is; a CUE sheet as the audio files it names, each with its
    // tracks (what the sheet lacks is said).
    QList<Source> chosenSources(const QString &path);

    static QList<Source> wmaFilesOf(const QString &folder);
    void addAll(const QList<Source> &sources);
    void addOne(const Source &source, int ticket);
    void measure(int row, const Source &source, int ticket);
    void reject(int row, const QString &path, const QString &literal);
    void releaseReader();
    void finish(bool clickAlways);
    void rememberFolder(const QString &folder);

    JobList &m_jobs;
    JobEditor &m_editor;
    SettingsFile &m_settingsFile;
    bool m_keepsAddFolder = false;
    const RunState &m_run;
    const PlayerState &m_player;
    // The window's reader: closed before each file and released after a
    // failure as ever, though the measuring is m_measurer's.
    IAudioFile2 &m_reader;
    Seams m_seams;
    SourceMeasurer m_measurer;
};

} // namespace korvex
