#include "joblist/FileAdder.h"

#include "components/AudioFile.h"
#include "components/KorvexError.h"
#include "components/LogCategories.h"
#include "components/MessagePump.h"
#include "joblist/EntryTags.h"
#include "joblist/JobEditor.h"
#include "joblist/JobList.h"
#include "joblist/ListActivity.h"
#include "joblist/ListText.h"
#include "settings/Settings.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QScopeGuard>
#include <QStandardPaths>

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

std::unique_ptr<IAudioFile2> newAudioFile()
{
    return std::make_unique<AudioFile>();
}

} // namespace

const QString FileAdder::OpenFilter = WmaFileFilter() + QStringLiteral(
    "|Audio files|*.wma;*.asf;*.mp3;*.mp2;*.ogg;*.oga;*.opus;*.spx;*.flac;*.wav;*.m4a;*.m4b;*.mp4;*.aac;*.ac3;*.ape;"
    "*.wv;*.mpc;*.aif;*.aiff;*.aifc;*.mka;*.webm;*.amr;*.au;*.snd;*.tta;*.cue"
    "|All files|*");

FileAdder::FileAdder(JobEditor &editor, IAudioFile2 &reader, const Seams &seams, SettingsFile &settingsFile,
                     QObject *parent, SourceMeasurer::ReaderFactory makeReader)
    : QObject(parent)
    , m_jobs(editor.desk().jobs)
    , m_editor(editor)
    , m_settingsFile(settingsFile)
    , m_run(editor.activity().run)
    , m_player(editor.activity().player)
    , m_reader(reader)
    , m_seams(seams)
    , m_measurer(makeReader ? std::move(makeReader) : newAudioFile)
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
    const QStringList files = m_seams.dialogs->openFiles({OpenFilter, true, startFolder(), AudioFilterIndex});
    if (!files.isEmpty())
        rememberFolder(QFileInfo(files.constFirst()).absolutePath());
    AddFileList(files);
}

QString FileAdder::startFolder() const
{
    const QString kept = m_settingsFile.readString(settings_keys::AddSection, settings_keys::FolderKey, QString());
    if (!kept.isEmpty() && QFileInfo(kept).isDir())
        return kept;
    const QString music = QStandardPaths::writableLocation(QStandardPaths::MusicLocation);
    return QFileInfo(music).isDir() ? music : QDir::homePath();
}

// A folder that cannot be kept (the settings file refuses the write) only
// means the next dialog opens elsewhere: the files are added all the same.
void FileAdder::rememberFolder(const QString &folder)
{
    if (!m_keepsAddFolder)
        return;
    try {
        m_settingsFile.writeString(settings_keys::AddSection, settings_keys::FolderKey, folder);
    } catch (const KorvexError &) {
    }
}

void FileAdder::AddFileList(const QStringList &files)
{
    if (locked() || files.isEmpty())
        return;
    if (m_player.Playing)
        Q_EMIT stopPlaybackRequested();
    QList<Source> sources;
    for (const QString &path : files)
        sources.append(chosenSources(path));
    addAll(sources);
    finish(true);
}

void FileAdder::AddFolder()
{
    if (locked())
        return;
    const QString folder = m_seams.dialogs->chooseFolder(FolderCaption, false, startFolder());
    if (folder.isEmpty())
        return;
    rememberFolder(folder);
    if (m_player.Playing)
        Q_EMIT stopPlaybackRequested();
    addAll(wmaFilesOf(folder));
    finish(false);
}

void FileAdder::AddDropped(const QStringList &paths)
{
    if (locked() || paths.isEmpty())
        return;
    if (m_player.Playing)
        Q_EMIT stopPlaybackRequested();
    QList<Source> sources;
    for (const QString &path : paths) {
        if (QFileInfo(path).isDir())
            sources.append(wmaFilesOf(path));
        else
            sources.append(chosenSources(path));
    }
    addAll(sources);
    finish(true);
}

QList<FileAdder::Source> FileAdder::chosenSources(const QString &path)
{
    if (!IsCueSheetPath(path) || !QFileInfo(path).isFile())
        return {{path, false, true, std::nullopt}};
    QStringList problems;
    QList<Source> sources;
    for (const CueEntry &entry : ReadCueEntries(path, problems))
        sources.append({entry.audioPath, false, true, entry});
    for (const QString &problem : problems)
        m_seams.messages->error(problem);
    return sources;
}

// Every entry of the folder, judged by name alone, in the order the file
// system gives them.
QList<FileAdder::Source> FileAdder::wmaFilesOf(const QString &folder)
{
    const QDir dir(folder);
    const QStringList names = dir.entryList(QDir::AllEntries | QDir::Hidden | QDir::System | QDir::NoDotAndDotDot,
                                            QDir::Unsorted);
    QList<Source> entries;
    for (const QString &name : names)
        entries.append({dir.filePath(name), true, isWmaName(name), std::nullopt});
    return entries;
}

// All files are handed to the measurer at once; the rows still come one by
// one in the given order, each taking its own file's result.
void FileAdder::addAll(const QList<Source> &sources)
{
    const JobList::AddingScope adding(m_jobs);
    QStringList measured;
    for (const Source &source : sources) {
        if (source.added)
            measured.append(source.path);
    }
    int ticket = m_measurer.measure(measured);
    // Files whose tags could not be read were never taken; whatever happens,
    // nothing is still measured for this command once it is over.
    const auto forgetTheRest = qScopeGuard([this] { m_measurer.discard(); });
    for (const Source &source : sources) {
        // A folder's entries each give the window a turn, WMA files or not.
        if (source.fromFolder)
            ProcessPendingMessages();
        if (source.added)
            addOne(source, ticket++);
    }
}

void FileAdder::addOne(const Source &source, int ticket)
{
    ProcessPendingMessages();
    const int row = m_jobs.appendEntry({QFileInfo(source.path).fileName(), {}, {}}, listrecord());
    try {
        const EntryTags named = source.fromFolder ? TagsForFolderEntry(source.path) : TagsForFile(source.path);
        if (!named.caption.isEmpty())
            m_jobs.fileModel()->setCaption(row, named.caption);
        m_jobs.tags(row) = named.tags;
        measure(row, source, ticket);
    } catch (const std::exception &failure) {
        qCInfo(lcMeasure) << source.path << "not added:" << failure.what();
        releaseReader();
        reject(row, source.path, UnsupportedMessage);
        return;
    }
    if (m_jobs.job(row).Duration == 0)
        reject(row, source.path, ZeroDurationMessage);
    else if (source.cue)
        ApplyCueEntry(m_jobs.job(row), m_jobs.tags(row), *source.cue);
}

void FileAdder::measure(int row, const Source &source, int ticket)
{
    if (m_reader.isOpen())
        m_reader.close();
    const MeasuredSource measured = m_measurer.take(ticket);
    if (!measured.measured)
        throw KorvexError(measured.failure);
    const int minimum = source.fromFolder ? FolderSeekRangeMinimum : FileSeekRangeMinimum;
    m_jobs.job(row) = newListRecord(source.path, measured.durationMs, measured.frames, minimum);
    m_jobs.job(row).Stamp = measured.stamp;
    m_jobs.fileModel()->setDurationText(row, TimeText(m_jobs.job(row).Duration));
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
