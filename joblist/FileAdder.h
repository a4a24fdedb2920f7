#pragma once

#include "components/Seams.h"

#include <QObject>
#include <QString>

namespace korvex {

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
class FileAdder : public QObject
{
    Q_OBJECT
public:
    FileAdder(JobList &jobs, JobEditor &editor, const RunState &run, const PlayerState &player,
              IAudioFile2 &reader, const Seams &seams, QObject *parent = nullptr);

    // The open dialog's filters: WMA first, as ever, then every audio file
    // FFmpeg commonly reads, then anything.
    static const QString OpenFilter;

    void AddFiles();
    void AddFolder();
    // Files and folders dropped on a list, in the order dropped: a file is
    // added as AddFiles adds it, a folder as AddFolder adds its WMA files.
    // Refused as both are.
    void AddDropped(const QStringList &paths);
    // What AddFiles does with the files the open dialog gives, for files
    // named from outside the window (the command line, a second start).
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
    };

    void addOne(const Source &source);
    void addWmaFilesOf(const QString &folder);
    void measure(int row, const Source &source);
    void reject(int row, const QString &path, const QString &literal);
    void releaseReader();
    void finish(bool clickAlways);

    JobList &m_jobs;
    JobEditor &m_editor;
    const RunState &m_run;
    const PlayerState &m_player;
    IAudioFile2 &m_reader;
    Seams m_seams;
};

} // namespace korvex
