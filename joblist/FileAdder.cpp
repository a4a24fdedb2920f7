#include "joblist/FileAdder.h"

#include "components/IAudioFile2.h"
#include "components/KorvexError.h"
#include "components/MessagePump.h"
#include "engine/RunState.h"
#include "joblist/EntryTags.h"
#include "joblist/JobEditor.h"
#include "joblist/JobList.h"
#include "joblist/ListText.h"
#include "player/PlayerState.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>

#include <exception>

namespace korvex {

namespace {

const QString FolderCaption = QStringLiteral("Add File Directory");
const QString ZeroDurationMessage = QStringLiteral(" this File is Error or not supported.");
const QString UnsupportedMessage = QStringLiteral(" this File is not supported.");

bool isWmaName(const QString &name)
{
    return QFileInfo(name).suffix().toLower() == u"wma";
}

qint64 fileSize(const QString &path)
{
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly))
        throw KorvexError(QStringLiteral("Cannot open %1: %2").arg(path, file.errorString()));
    return file.size();
}

} // namespace

const QString FileAdder::OpenFilter = QStringLiteral(
    "WMA Files(*.wma)|*.wma"
    "|Audio files|*.wma;*.mp3;*.ogg;*.oga;*.opus;*.flac;*.wav;*.m4a;*.aac;*.ape;*.wv;*.mpc;*.aif;*.aiff"
    "|All files|*");

FileAdder::FileAdder(JobList &jobs, JobEditor &editor, const RunState &run, const PlayerState &player,
                     IAudioFile2 &reader, const Seams &seams, QObject *parent)
    : QObject(parent)
    , m_jobs(jobs)
    , m_editor(editor)
    , m_run(run)
    , m_player(player)
    , m_reader(reader)
    , m_seams(seams)
{
}

bool FileAdder::locked() const
{
    return m_run.Converting || m_jobs.Adding();
}

void FileAdder::AddFiles()
{
    if (locked())
        return;
    AddFileList(m_seams.dialogs->openFiles({OpenFilter, true}));
}

void FileAdder::AddFileList(const QStringList &files)
{
    if (locked() || files.isEmpty())
        return;
    if (m_player.Playing)
        Q_EMIT stopPlaybackRequested();
    {
        const JobList::AddingScope adding(m_jobs);
        for (const QString &path : files)
            addOne({path, false});
    }
    finish(true);
}

void FileAdder::AddFolder()
{
    if (locked())
        return;
    const QString folder = m_seams.dialogs->chooseFolder(FolderCaption, false);
    if (folder.isEmpty())
        return;
    if (m_player.Playing)
        Q_EMIT stopPlaybackRequested();
    {
        const JobList::AddingScope adding(m_jobs);
        addWmaFilesOf(folder);
    }
    finish(false);
}

void FileAdder::AddDropped(const QStringList &paths)
{
    if (locked() || paths.isEmpty())
        return;
    if (m_player.Playing)
        Q_EMIT stopPlaybackRequested();
    {
        const JobList::AddingScope adding(m_jobs);
        for (const QString &path : paths) {
            if (QFileInfo(path).isDir())
                addWmaFilesOf(path);
            else
                addOne({path, false});
        }
    }
    finish(true);
}

void FileAdder::addWmaFilesOf(const QString &folder)
{
    const QDir dir(folder);
    // Judged by name alone, in the order the file system gives them.
    const QStringList names = dir.entryList(QDir::AllEntries | QDir::Hidden | QDir::System | QDir::NoDotAndDotDot,
                                            QDir::Unsorted);
    for (const QString &name : names) {
        ProcessPendingMessages();
        if (isWmaName(name))
            addOne({dir.filePath(name), true});
    }
}

void FileAdder::addOne(const Source &source)
{
    ProcessPendingMessages();
    const int row = m_jobs.appendEntry({QFileInfo(source.path).fileName(), {}, {}}, listrecord());
    try {
        const EntryTags named = source.fromFolder ? TagsForFolderEntry(source.path) : TagsForFile(source.path);
        if (!named.caption.isEmpty())
            m_jobs.fileModel()->setCaption(row, named.caption);
        m_jobs.tags(row) = named.tags;
        measure(row, source);
    } catch (...) {
        releaseReader();
        reject(row, source.path, UnsupportedMessage);
        return;
    }
    if (m_jobs.job(row).Duration == 0)
        reject(row, source.path, ZeroDurationMessage);
}

void FileAdder::measure(int row, const Source &source)
{
    if (m_reader.isOpen())
        m_reader.close();
    m_reader.openForRead(source.path, 0, 1);
    const int minimum = source.fromFolder ? FolderSeekRangeMinimum : FileSeekRangeMinimum;
    m_jobs.job(row) = newListRecord(source.path, m_reader.duration(), m_reader.length(), minimum);
    m_jobs.fileModel()->setDurationText(row, TimeText(m_jobs.job(row).Duration));
    m_reader.close();
    m_jobs.fileModel()->setSizeText(row, SizeText(fileSize(source.path)));
}

void FileAdder::releaseReader()
{
    // The component may be the one that failed; its own clean-up failing as
    // well must not stop the next file.
    try {
        if (m_reader.isOpen())
            m_reader.close();
        m_reader.setOptionValue(0);
        m_reader.setOptionValue(-1);
    } catch (...) {
    }
}

void FileAdder::reject(int row, const QString &path, const QString &literal)
{
    m_seams.messages->error(QFileInfo(path).fileName() + literal);
    m_jobs.removeEntry(row);
}

void FileAdder::finish(bool clickAlways)
{
    const bool noSelection = m_jobs.rowCount() > 0 && m_jobs.selectedFileRow() < 0;
    if (noSelection)
        m_jobs.selectFileRow(0);
    if (clickAlways || noSelection)
        m_editor.lvClick();
    Q_EMIT fileListFocusRequested();
    if (m_jobs.selectedFileRow() >= 0)
        m_jobs.SelectedFileRow = m_jobs.selectedFileRow();
    m_editor.ShowTotalTime();
}

} // namespace korvex
