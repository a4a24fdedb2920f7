#include "cli/CliCommands.h"

#include "cli/CliList.h"
#include "cli/CliEncoding.h"
#include "cli/CliCopy.h"
#include "cli/CliProgress.h"
#include "cli/CliResume.h"
#include "cli/CliSeams.h"
#include "cli/Interrupt.h"
#include "components/IAudioFile2.h"
#include "components/KorvexError.h"
#include "components/SalvageSink.h"
#include "components/WmaProfiles.h"
#include "core/Core.h"
#include "engine/CopyNames.h"
#include "engine/OutputNames.h"
#include "joblist/ChapterSegments.h"
#include "joblist/CueImport.h"
#include "joblist/ListText.h"
#include "joblist/SegmentTagEdits.h"
#include "joblist/SilenceFinder.h"
#include "settings/SilenceSettings.h"

#include <QDir>
#include <QFile>
#include <QTemporaryFile>
#include <QFileInfo>
#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>

#include <algorithm>
#include <cstdio>
#include <unistd.h>

namespace korvex::cli {

namespace {

[[noreturn]] void fail(const QString &text)
{
    throw UsageError(text);
}

constexpr qsizetype NameLimitBytes = 255;

bool namesCueSheet(const QStringList &files)
{
    return std::any_of(files.cbegin(), files.cend(), [](const QString &file) { return IsCueSheetPath(file); });
}

// Korvex.ini as the window left it; what could not be read of it is said.
void loadSettings(Core &core)
{
    core.store().LoadSettings();
    if (const QString problem = core.store().file().readProblem(); !problem.isEmpty())
        PrintError(problem);
}

// A folder that really takes a new file: permissions alone do not say so
// (/proc, a read-only mount, root's view of either).
bool folderTakesFiles(const QString &folder)
{
    if (!QFileInfo(folder).isDir())
        return false;
    QTemporaryFile probe(QDir(folder).filePath(QStringLiteral(".korvex-probe-XXXXXX")));
    return probe.open();
}

void applySettings(const CliOptions &options, Core &core)
{
    Settings &settings = core.settings();
    if (options.mode)
        settings.SplitMode = *options.mode;
    else if (namesCueSheet(options.files))
        settings.SplitMode = split_mode::Custom;  // the sheet's tracks are the segments
    if (options.seconds)
        settings.SplitSeconds = *options.seconds;
    if (options.count)
        settings.SplitCount = *options.count;
    if (options.fadeIn) {
        settings.FadeIn = *options.fadeIn > 0;
        settings.FadeInSeconds = qMax(*options.fadeIn, 1);
    }
    if (options.fadeOut) {
        settings.FadeOut = *options.fadeOut > 0;
        settings.FadeOutSeconds = qMax(*options.fadeOut, 1);
    }
    if (options.edgeMs)
        settings.EdgeMs = *options.edgeMs;
    if (options.pattern)
        settings.Pattern = *options.pattern;
    core.control().outputFiles().setProfileIndexOverride(options.profile);
    ApplyEncodingOptions(options, settings, core.store().file());
    if (settings.SplitMode < split_mode::Custom || settings.SplitMode > split_mode::Unification)
        fail(QStringLiteral("Korvex.ini sets the mode (Function/Choice) to %1, which is no mode; give --mode")
                 .arg(settings.SplitMode));
}

// The split's output folder: -o, made when missing, else the one of Korvex.ini.
void prepareOutputFolder(const CliOptions &options, Core &core)
{
    QString folder = core.settings().OutputFolder;
    if (!options.output.isEmpty()) {
        folder = QFileInfo(options.output).absoluteFilePath();
        QDir().mkpath(folder);
        if (!folder.endsWith(QLatin1Char('/')))
            folder += QLatin1Char('/');
        core.settings().OutputFolder = folder;
    }
    if (!folderTakesFiles(folder))
        fail(QStringLiteral("cannot write to the output folder %1").arg(folder));
}

// Korvex.ini's [Silence] with the options given over it.
SilenceSettings silenceSettings(const CliOptions &options, Core &core)
{
    SilenceSettings settings = ReadSilenceSettings(core.store().file());
    settings.Threshold = options.threshold.value_or(settings.Threshold);
    settings.MinLength = options.minSilence.value_or(settings.MinLength);
    return settings;
}

// The pieces of sound of a row's file; nullopt after Ctrl-C.
std::optional<QList<Segment>> soundOf(Core &core, int row, const SilenceSettings &settings)
{
    SilenceFinder finder(core.context().AudioFileRead);
    return finder.find(core.jobs().job(row).FileName, settings, [](qint64, qint64) { return !Interrupted(); });
}

QString segmentsText(const QList<Segment> &segments)
{
    QStringList items;
    for (const Segment &segment : segments)
        items.append(MsTimeText(segment.Begin) + QLatin1Char('-') + MsTimeText(segment.End));
    return items.join(QLatin1Char(','));
}

QString noSoundText(const QString &path, const SilenceSettings &settings)
{
    return QStringLiteral("%1 holds no sound louder than %2 dBFS").arg(path).arg(settings.Threshold);
}

// --segments silence: each file's pieces of sound as its segments.
QList<SegmentOption> silenceSegments(const CliOptions &options, Core &core, int row)
{
    const SilenceSettings settings = silenceSettings(options, core);
    const std::optional<QList<Segment>> found = soundOf(core, row, settings);
    QList<SegmentOption> segments;
    if (!found)
        return segments;
    if (found->isEmpty())
        fail(noSoundText(core.jobs().job(row).FileName, settings));
    for (const Segment &segment : *found)
        segments.append({segment.Begin, segment.End});
    return segments;
}

// --segments chapters: the file's chapters, titled.
void chapterSegments(listrecord &entry)
{
    const QList<Chapter> chapters = ReadChapters(entry.FileName);
    if (chapters.isEmpty())
        fail(QStringLiteral("%1 has no chapters").arg(entry.FileName));
    SetSegmentsFromChapters(entry, chapters);
}

// Custom mode: the segments of every file; unification: those of the first.
// False when Ctrl-C stopped a silence scan.
bool applySegments(const CliOptions &options, Core &core)
{
    const int mode = core.settings().SplitMode;
    if (mode != split_mode::Custom && mode != split_mode::Unification)
        fail(QStringLiteral("--segments belongs to the custom and unify modes"));
    const int rows = mode == split_mode::Unification ? 1 : core.jobs().rowCount();
    if (options.segmentsFromChapters) {
        for (int row = 0; row < rows; ++row)
            chapterSegments(core.jobs().job(row));
        return true;
    }
    for (int row = 0; row < rows; ++row) {
        const QList<SegmentOption> segments =
            options.segmentsFromSilences ? silenceSegments(options, core, row) : options.segments.value();
        if (Interrupted())
            return false;
        listrecord &entry = core.jobs().job(row);
        QList<qint64> begins;
        QList<qint64> ends;
        const qint64 lengthMs = EntryLengthMs(entry);
        for (const SegmentOption &segment : segments) {
            if (segment.begin >= lengthMs)
                fail(QStringLiteral("segment %1-%2 begins after the end of %3 (%4)")
                         .arg(MsTimeText(segment.begin), MsTimeText(segment.end), entry.FileName,
                              MsTimeText(lengthMs)));
            begins.append(segment.begin);
            ends.append(qMin(segment.end, lengthMs));
        }
        // As after Ok in the window: a new pending segment over the whole file.
        begins.append(0);
        ends.append(qint64(entry.Duration) * 1000);
        entry.BeginTime = begins;
        entry.EndTime = ends;
        entry.Count = int(begins.size());
        ForgetOwnTags(entry);
    }
    return true;
}

// The FILEs become entries as the window's "Add File" makes them (a CUE
// sheet one entry per audio file it names).
int addFiles(const QStringList &files, Core &core, const TerminalMessages &messages)
{
    core.adder().AddFiles();
    if (Interrupted())
        return exit_code::Stopped;
    const bool countsMatch = namesCueSheet(files) ? core.jobs().rowCount() > 0 : core.jobs().rowCount() == files.size();
    if (messages.errorCount() > 0 || !countsMatch)
        return exit_code::BadInput;
    return exit_code::Done;
}

int exitCodeOf(RunControl::Outcome outcome, const RunControl &control)
{
    switch (outcome) {
    case RunControl::Outcome::Finished:
        // the files are there, but not as asked: the message named them
        return control.UntaggedFiles().isEmpty() ? exit_code::Done : exit_code::RunFailed;
    case RunControl::Outcome::Stopped:
        PrintError(control.StopReport());
        return exit_code::Stopped;
    case RunControl::Outcome::Failed:
        return exit_code::RunFailed;
    case RunControl::Outcome::NotStarted:
        break;
    }
    return exit_code::BadInput;
}

// Why the window would refuse the file typed as `file`, in words; empty when
// it takes it. The reader is left closed. A CUE sheet is judged when it is
// added, by what it names.
QString refusalOf(const QString &file, IAudioFile2 &reader)
{
    const QFileInfo info(file);
    if (!info.exists())
        return QStringLiteral("no such file: %1").arg(file);
    if (!info.isFile() || !info.isReadable())
        return QStringLiteral("cannot read %1").arg(file);
    if (IsCueSheetPath(file))
        return {};
    if (AsfWritingUnfinished(file))
        return QStringLiteral("%1 is incomplete: its writing never finished (a killed run left it), "
                              "so its header does not say what it holds").arg(file);
    qint64 durationMs = 0;
    try {
        reader.openForRead(info.absoluteFilePath(), 0, 1);
        durationMs = reader.duration();
        reader.close();
    } catch (const KorvexError &error) {
        if (reader.isOpen())
            reader.close();
        QString reason = error.text();
        reason.replace(info.absoluteFilePath(), file);
        return QStringLiteral("%1 is not audio FFmpeg can decode: %2").arg(file, reason);
    }
    if (durationMs < 1000)
        return QStringLiteral("%1 is shorter than one second, the shortest file Korvex takes").arg(file);
    return {};
}

QJsonObject describe(Core &core, int row)
{
    const listrecord &entry = core.jobs().job(row);
    const AudioFileinfo &tags = core.jobs().tags(row);
    IAudioFile2 &reader = core.context().AudioFileRead;
    if (reader.isOpen())
        reader.close();
    reader.openForRead(entry.FileName, 0, 1);
    QJsonObject object{
        {QStringLiteral("path"), entry.FileName},
        {QStringLiteral("caption"), core.jobs().fileModel()->row(row).caption},
        {QStringLiteral("duration_ms"), reader.duration()},
        {QStringLiteral("frames"), reader.length()},
        {QStringLiteral("sample_rate"), reader.sampleRate()},
        {QStringLiteral("channels"), reader.channelCount()},
        {QStringLiteral("title"), tags.Title},
        {QStringLiteral("artist"), tags.Artist},
        {QStringLiteral("album"), tags.Album},
        {QStringLiteral("year"), tags.Year},
        {QStringLiteral("comment"), tags.Comment},
        {QStringLiteral("genre"), tags.Genre},
    };
    reader.close();
    return object;
}

void printPlain(const QJsonObject &object)
{
    static const QStringList keys = {
        QStringLiteral("caption"), QStringLiteral("duration_ms"), QStringLiteral("frames"),
        QStringLiteral("sample_rate"), QStringLiteral("channels"), QStringLiteral("title"),
        QStringLiteral("artist"), QStringLiteral("album"), QStringLiteral("year"),
        QStringLiteral("comment"), QStringLiteral("genre")};
    std::printf("%s\n", object.value(QStringLiteral("path")).toString().toLocal8Bit().constData());
    for (const QString &key : keys) {
        const QJsonValue value = object.value(key);
        const QString text = value.isString() ? value.toString() : QString::number(value.toInteger());
        std::printf("  %-12s %s\n", key.toLatin1().constData(), text.toLocal8Bit().constData());
    }
}

QStringList sourcesOf(Core &core)
{
    QStringList files;
    for (const listrecord &entry : core.jobs().JobRecords())
        files.append(entry.FileName);
    return files;
}

// --resume: false when every piece is there already.
bool resume(Core &core, const SilenceSettings &silence)
{
    const int mode = core.settings().SplitMode;
    if (silence.AdjustMs > 0 && (mode == split_mode::Time || mode == split_mode::Count))
        fail(QStringLiteral("--resume cannot tell where cuts moved into pauses would lie; give --adjust 0"));
    ResumePlan plan = PrepareResume(core, core.context().AudioFileRead);
    PrintError(QStringLiteral("resume: %1 of %2 piece(s) are there and complete; %3 to write")
                   .arg(plan.present)
                   .arg(plan.planned)
                   .arg(plan.planned - plan.present));
    if (plan.present == plan.planned)
        return false;
    core.control().SkipInNextSplit(std::move(plan.complete));
    return true;
}

} // namespace

CheckedSources CheckSources(const QStringList &files, IAudioFile2 &reader)
{
    CheckedSources sources;
    for (const QString &file : files) {
        const QFileInfo info(file);
        if (const QString why = refusalOf(file, reader); !why.isEmpty())
            sources.refusals.append(why);
        else
            sources.paths.append(info.absoluteFilePath());
    }
    return sources;
}

QString CheckedJoinOutput(const QString &output, bool overwrite, const QStringList &sources,
                          const QString &extension)
{
    const QFileInfo info(output);
    if (info.isDir())
        fail(QStringLiteral("%1 is a folder; -o wants the joined file").arg(output));
    if (!folderTakesFiles(info.absolutePath()))
        fail(QStringLiteral("cannot write the joined file into %1").arg(info.absolutePath()));
    const QString path = JoinOutputPathFor(info.absoluteFilePath(), extension);
    if (QFile::encodeName(QFileInfo(path).fileName()).size() > NameLimitBytes)
        fail(QStringLiteral("%1: the name is longer than a file name may be (%2 bytes)").arg(path).arg(NameLimitBytes));
    if (QFileInfo(path).isDir())
        fail(QStringLiteral("%1 is a folder; -o wants the joined file").arg(path));
    const QString existing = QFileInfo(path).canonicalFilePath();
    for (const QString &source : sources) {
        // --overwrite never reaches a source: the join would destroy what it reads
        if (!existing.isEmpty() && QFileInfo(source).canonicalFilePath() == existing)
            fail(QStringLiteral("%1 is one of the files to be joined. Choose another name for the joined file.")
                     .arg(path));
    }
    if (PathTaken(path) && !overwrite)
        fail(QStringLiteral("%1 exists; give --overwrite to replace it").arg(JoinOutputPathFor(output, extension)));
    return path;
}

int SplitOrJoin(const CliOptions &options, Core &core, const TerminalMessages &messages)
{
    loadSettings(core);
    std::optional<SavedList> list;
    if (!options.list.isEmpty()) {
        list = ReadCliList(options.list);
        ApplyListSettings(list->settings, core.settings());
    }
    applySettings(options, core);
    SilenceSettings silence = silenceSettings(options, core);
    silence.AdjustMs = options.adjustMs.value_or(silence.AdjustMs);
    core.settings().SilenceOverride = silence;
    const bool split = options.command == CliOptions::Command::Split;
    if (split)
        prepareOutputFolder(options, core);
    if (const int code = addFiles(options.files, core, messages); code != exit_code::Done)
        return code;
    if (list)
        PutListOnRows(*list, core);
    if ((options.segments || options.segmentsFromSilences || options.segmentsFromChapters)
        && !applySegments(options, core))
        return exit_code::Stopped;
    // the sources as added: a CUE sheet's audio file, a list's files
    if (core.settings().Format == OutputFormat::Copy)
        CheckCopyPossible(core.settings(), sourcesOf(core), !split);
    core.editor().lvClick();
    if (options.resume && !resume(core, silence))
        return exit_code::Done;

    CliProgress progress(core, isatty(STDOUT_FILENO) != 0);
    // the menu's Split (no folder opened afterwards) or Join, as the window gives them
    core.commands().dispatch(CommandTable::Source::Menu, split ? QStringLiteral("Start1") : QStringLiteral("Join1"));
    progress.finish();
    return exitCodeOf(core.control().LastOutcome(), core.control());
}

int WriteCueSheets(const CliOptions &options, Core &core, const TerminalMessages &messages)
{
    loadSettings(core);
    core.settings().SplitMode = split_mode::Custom;
    if (const int code = addFiles(options.files, core, messages); code != exit_code::Done)
        return code;
    if ((options.segments || options.segmentsFromSilences || options.segmentsFromChapters)
        && !applySegments(options, core))
        return exit_code::Stopped;
    QList<QPair<QString, CueSheet>> sheets;
    for (int row = 0; row < core.jobs().rowCount(); ++row) {
        const QString path = CueSheetPathFor(core.jobs().job(row).FileName);
        if (PathTaken(path) && !options.overwrite)
            fail(QStringLiteral("%1 exists; give --overwrite to replace it").arg(path));
        try {
            sheets.append({path, CueSheetForEntry(core.jobs().job(row), core.jobs().tags(row))});
        } catch (const KorvexError &error) {
            fail(error.text());
        }
    }
    for (const auto &[path, sheet] : std::as_const(sheets)) {
        SaveCueSheet(path, sheet);
        std::printf("%s\n", path.toLocal8Bit().constData());
    }
    return exit_code::Done;
}

int Info(const CliOptions &options, const CheckedSources &sources, Core &core,
         const TerminalMessages &messages)
{
    const int refused = sources.refusals.isEmpty() ? exit_code::Done : exit_code::BadInput;
    if (sources.paths.isEmpty())
        return refused;
    if (const int code = addFiles(sources.paths, core, messages); code != exit_code::Done)
        return code;
    QJsonArray entries;
    for (int row = 0; row < core.jobs().rowCount(); ++row)
        entries.append(describe(core, row));
    if (options.json) {
        std::printf("%s", QJsonDocument(entries).toJson(QJsonDocument::Indented).constData());
        return refused;
    }
    for (const QJsonValue &entry : entries)
        printPlain(entry.toObject());
    return refused;
}

int Profiles()
{
    for (int number = 1; number <= WmaProfileCount; ++number) {
        const WmaProfile &profile = wmaProfile(number);
        std::printf("%2d  %-36s encodes %5d Hz, %s, %3d kbps\n", number - 1, profile.name, profile.sampleRate,
                    profile.channels == 1 ? "mono  " : "stereo", profile.bitRate / 1000);
    }
    return exit_code::Done;
}

int Silences(const CliOptions &options, Core &core, const TerminalMessages &messages)
{
    loadSettings(core);
    if (const int code = addFiles(options.files, core, messages); code != exit_code::Done)
        return code;
    const SilenceSettings settings = silenceSettings(options, core);
    for (int row = 0; row < core.jobs().rowCount(); ++row) {
        const std::optional<QList<Segment>> found = soundOf(core, row, settings);
        if (!found)
            return exit_code::Stopped;
        const QString path = core.jobs().job(row).FileName;
        if (found->isEmpty())
            PrintError(noSoundText(path, settings));
        std::printf("%s\t%s\n", segmentsText(*found).toLocal8Bit().constData(), path.toLocal8Bit().constData());
        std::fflush(stdout);
    }
    return exit_code::Done;
}

} // namespace korvex::cli
