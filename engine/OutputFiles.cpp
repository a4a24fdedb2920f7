#include "engine/OutputFiles.h"

#include "components/FilePublishing.h"
#include "components/EncodedSalvage.h"
#include "components/IAudioFile2.h"
#include "components/KorvexError.h"
#include "components/LogCategories.h"
#include "components/SalvageSink.h"
#include "components/Seams.h"
#include "engine/CopyNames.h"
#include "engine/OutputNames.h"
#include "engine/PiecePaths.h"
#include "engine/RunSnapshot.h"
#include "joblist/JobList.h"
#include "settings/EncoderSettings.h"
#include "settings/Settings.h"
#include "tags/OutputTags.h"
#include "tags/TagText.h"

#include <QFile>
#include <QFileInfo>
#include <QScopeGuard>

#include <cerrno>
#include <cstring>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

namespace korvex {

namespace {

// Names lead to the same file when they reach the same inode, whether through
// symbolic links or hard ones; a name that leads nowhere matches nothing.
bool sameFile(const struct stat &file, const QString &other)
{
    struct stat info {};
    return ::stat(QFile::encodeName(other).constData(), &info) == 0 && info.st_dev == file.st_dev
        && info.st_ino == file.st_ino;
}

// Attempts at a free temporary name before the folder is given up on.
constexpr int TemporaryAttempts = 1000;

// The format whose extension a path has; none for other names.
std::optional<OutputFormat> formatOfPath(const QString &path)
{
    const QString suffix = QFileInfo(path).suffix();
    for (int i = 0; i < OutputFormatCount; ++i) {
        const OutputFormat format = outputFormatAt(i);
        const QString extension = outputFormatExtension(format);
        if (!extension.isEmpty() && suffix.compare(extension, Qt::CaseInsensitive) == 0)
            return format;
    }
    return std::nullopt;
}

QString fileFilterFor(OutputFormat format, const QString &extension)
{
    if (format == OutputFormat::Wma)
        return WmaFileFilter();
    return QStringLiteral("%1 Files(*.%2)|*.%2").arg(outputFormatCaption(format), extension);
}

// Creates `path` empty, failing when anything is there: errno on failure.
int createExclusively(const QString &path)
{
    const int file = ::open(QFile::encodeName(path).constData(), O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC, 0644);
    if (file < 0)
        return errno;
    ::close(file);
    return 0;
}

} // namespace

OutputFiles::OutputFiles(JobList &jobs, SettingsStore &settings, IAudioFile2 &writer, const Seams &seams)
    : m_jobs(jobs), m_settings(settings), m_writer(writer), m_seams(seams)
{
}

const Settings &OutputFiles::currentSettings() const
{
    return m_run ? m_run->settings() : m_settings.settings();
}

QString OutputFiles::caption(int row) const
{
    return m_run ? m_run->tags.captions.at(row) : m_jobs.fileModel()->row(row).caption;
}

QString OutputFiles::sourcePath(int row) const
{
    return m_run ? m_run->record(row).FileName : m_jobs.JobRecords().at(row).FileName;
}

QString OutputFiles::MakeSplitOutputPath(int row) const
{
    return FreeSplitPath(currentSettings().OutputFolder, caption(row), sourcePath(row), OutputExtension());
}

QString OutputFiles::OutputExtension() const
{
    return RunExtension(currentSettings().Format);
}

QString OutputFiles::MakePiecePath(int row, const PieceLabel &piece) const
{
    const Settings &settings = currentSettings();
    return FreePiecePath({settings.OutputFolder, settings.Pattern, caption(row), OutputExtension()}, piece);
}

QString OutputFiles::FallbackPath(int row) const
{
    return FreeFallbackPath(currentSettings().OutputFolder, sourcePath(row), OutputExtension());
}

bool OutputFiles::ChooseJoinOutput()
{
    if (m_jobs.rowCount() == 0)
        return false;
    SaveFileRequest request;
    request.startFolder = m_settings.settings().OutputFolder;
    const QString extension = OutputExtension();
    request.filter = fileFilterFor(m_settings.settings().Format, extension);
    request.filterIndex = OutputFormatIndex;
    request.defaultSuffix = extension;
    // Without re-encoding, the joined file is of the first entry's kind.
    const bool copying = m_copyingRun;
    if (copying) {
        request.defaultSuffix = SourceExtension(m_jobs.JobRecords().first().FileName);
        request.filter = QStringLiteral("Same as source (*.%1)").arg(request.defaultSuffix);
    }
    const QString typed = m_seams.dialogs->saveFile(request);
    if (typed.isEmpty())
        return false;
    const QString path = copying ? CopyJoinPathFor(typed, request.defaultSuffix) : JoinOutputPathFor(typed, extension);
    if (isSourceFile(path)) {
        m_seams.messages->error(
            QStringLiteral("%1 is one of the files to be joined. Choose another name for the joined file.")
                .arg(path));
        return false;
    }
    // The dialog asked about the name it returned; when the extension is added here
    // that was another file, and this one is not replaced without asking.
    if (path != typed && PathTaken(path)
        && !m_seams.messages->question(
            QStringLiteral("%1 already exists.\nDo you want to replace it?").arg(path)))
        return false;
    m_chosenFilterIndex = 1;
    m_joinOutputPath = path;
    m_joinReplaces = PathTaken(path);
    return true;
}

bool OutputFiles::isSourceFile(const QString &path) const
{
    struct stat output {};
    if (::stat(QFile::encodeName(path).constData(), &output) != 0)
        return false;  // nothing there yet, so no source either
    for (const listrecord &entry : m_jobs.JobRecords()) {
        if (sameFile(output, entry.FileName))
            return true;
    }
    return false;
}

void OutputFiles::ApplyOutputProfile(int formatIndex)
{
    if (formatIndex != OutputFormatIndex)
        return;
    const int index = m_profileIndexOverride.value_or(m_run ? m_run->current.wmaProfile : m_settings.wmaProfileIndex());
    m_writer.setOutputProfile(index + 1);
    m_writer.setOutputEncoding(m_run ? m_run->current.encoding : RunEncoding(m_settings.settings(), m_settings.file()));
}

QString OutputFiles::StartOutput(const QString &finalPath, bool replace, std::function<QString()> nextName)
{
    DropOutput();
    for (int attempt = 1; attempt <= TemporaryAttempts; ++attempt) {
        const QString temporary = TemporaryPathFor(finalPath, attempt);
        const int error = createExclusively(temporary);
        if (error == EEXIST)
            continue;  // another run's, or one a killed run left
        if (error != 0)
            throw KorvexError(QStringLiteral("Unable to create '%1': %2.")
                                  .arg(finalPath, QString::fromLocal8Bit(std::strerror(error))));
        m_pending = Pending{temporary, finalPath, replace, std::move(nextName)};
        qCDebug(lcRun) << "writing" << finalPath << "as" << temporary;
        return temporary;
    }
    throw KorvexError(QStringLiteral("Unable to create '%1': no free temporary name is left beside it.").arg(finalPath));
}

QString OutputFiles::publish()
{
    Pending &pending = *m_pending;
    if (pending.replace) {
        PublishReplacing(pending.temporary, pending.finalPath);
        return pending.finalPath;
    }
    while (PublishWithoutReplacing(pending.temporary, pending.finalPath) == Publishing::NameTaken) {
        if (!pending.nextName)
            throw KorvexError(QStringLiteral("'%1' was created by another program while this file was written, "
                                             "and it is not replaced. The finished file is kept as '%2'.")
                                  .arg(pending.finalPath, pending.temporary));
        pending.finalPath = pending.nextName();
    }
    return pending.finalPath;
}

QString OutputFiles::FinishOutput()
{
    if (!m_pending)
        return {};
    // Settled either way: a refused output stays under its temporary name,
    // which the error names.
    const auto settled = qScopeGuard([this] { m_pending.reset(); });
    const QString published = publish();
    qCDebug(lcRun) << "published" << published;
    return published;
}

void OutputFiles::DropOutput()
{
    if (!m_pending)
        return;
    qCDebug(lcRun) << "dropped" << m_pending->temporary;
    QFile::remove(m_pending->temporary);
    m_pending.reset();
}

QString OutputFiles::SettleAfterFailure(const QString &failure)
{
    if (!m_pending)
        return failure;
    // a file without audio is no output (the failure came before its first block)
    const bool wma = formatOfPath(m_pending->finalPath).value_or(OutputFormat::Wma) == OutputFormat::Wma;
    if (wma ? AsfDataPackets(m_pending->temporary) == 0 : !HoldsAudioPackets(m_pending->temporary)) {
        DropOutput();
        return failure;
    }
    const QString temporary = m_pending->temporary;
    QString text = failure;
    try {
        const QString path = publish();
        text.replace(temporary, path);
        if (!text.contains(path))
            text += QStringLiteral(" The file '%1' holds only what was written before the failure.").arg(path);
    } catch (const KorvexError &error) {
        text += QLatin1Char(' ') + error.text();
    }
    m_pending.reset();
    qCInfo(lcRun) << "kept what was written before a failure:" << text;
    return text;
}

bool OutputFiles::WriteOutputTags(const QString &path, const AudioFileinfo &tags, int trackNumber)
{
    const bool temporary = m_pending && m_pending->temporary == path;
    const std::optional<OutputFormat> format = formatOfPath(temporary ? m_pending->finalPath : path);
    if (!format)
        return true;
    if (*format != OutputFormat::Wma) {
        const OutputTagValues values{tags.Title, tags.Artist, tags.Album, tags.Year, tags.Genre, trackNumber};
        return WriteEncodedTags(path, CodecOfFormat(*format), values);
    }
    m_outputTagInfo.Title = FitField(tags.Title, WMAFieldWidth::Title);
    m_outputTagInfo.Author = FitField(tags.Artist, WMAFieldWidth::Author);
    m_outputTagInfo.AlbumTitle = FitField(tags.Album, WMAFieldWidth::AlbumTitle);
    m_outputTagInfo.Year = FitField(tags.Year, WMAFieldWidth::Year);
    m_outputTagInfo.Genre = FitField(tags.Genre, WMAFieldWidth::Genre);
    m_outputTagInfo.TrackNumber = quint16(qBound(0, trackNumber, 0xFFFF));
    return WriteWMATags(path, m_outputTagInfo);
}

} // namespace korvex
