#include "engine/OutputFiles.h"

#include "components/IAudioFile2.h"
#include "engine/OutputNames.h"
#include "joblist/JobList.h"
#include "settings/Settings.h"
#include "tags/TagText.h"

#include <QFile>

#include <sys/stat.h>

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

} // namespace

const QString OutputFiles::SaveFilter = QStringLiteral("WMA Files(*.wma)|*.wma");

OutputFiles::OutputFiles(RunContext &context) : m_context(context)
{
}

QString OutputFiles::MakeSplitOutputPath(int row) const
{
    const QString caption = m_context.jobs.fileModel()->row(row).caption;
    return FreeSplitPath(m_context.settings.settings().OutputFolder, caption);
}

QString OutputFiles::FallbackPath(int row) const
{
    return FreeFallbackPath(m_context.settings.settings().OutputFolder,
                            m_context.jobs.JobRecords().at(row).FileName);
}

bool OutputFiles::ChooseJoinOutput()
{
    if (m_context.jobs.rowCount() == 0)
        return false;
    SaveFileRequest request;
    request.startFolder = m_context.settings.settings().OutputFolder;
    request.filter = SaveFilter;
    request.filterIndex = OutputFormatIndex;
    request.defaultSuffix = QStringLiteral("wma");
    const QString typed = m_context.seams.dialogs->saveFile(request);
    if (typed.isEmpty())
        return false;
    const QString path = JoinOutputPathFor(typed);
    if (isSourceFile(path)) {
        m_context.seams.messages->error(
            QStringLiteral("%1 is one of the files to be joined. Choose another name for the joined file.")
                .arg(path));
        return false;
    }
    // The dialog asked about the name it returned; when ".wma" is added here
    // that was another file, and this one is not replaced without asking.
    if (path != typed && PathTaken(path)
        && !m_context.seams.messages->question(
            QStringLiteral("%1 already exists.\nDo you want to replace it?").arg(path)))
        return false;
    m_chosenFilterIndex = 1;
    m_joinOutputPath = path;
    return true;
}

bool OutputFiles::isSourceFile(const QString &path) const
{
    struct stat output {};
    if (::stat(QFile::encodeName(path).constData(), &output) != 0)
        return false;  // nothing there yet, so no source either
    for (const listrecord &entry : m_context.jobs.JobRecords()) {
        if (sameFile(output, entry.FileName))
            return true;
    }
    return false;
}

void OutputFiles::ApplyOutputProfile(int formatIndex)
{
    if (formatIndex != OutputFormatIndex)
        return;
    const int index = m_profileIndexOverride.value_or(m_context.settings.wmaProfileIndex());
    m_context.AudioFile2write.setOutputProfile(index + 1);
}

void OutputFiles::WriteOutputTags(const QString &path, const AudioFileinfo &tags)
{
    const qsizetype dot = path.lastIndexOf(QLatin1Char('.'));
    if (dot < 0 || path.mid(dot).toLower() != QStringLiteral(".wma"))
        return;
    m_outputTagInfo.Title = FitField(tags.Title, WMAFieldWidth::Title);
    m_outputTagInfo.Author = FitField(tags.Artist, WMAFieldWidth::Author);
    m_outputTagInfo.AlbumTitle = FitField(tags.Album, WMAFieldWidth::AlbumTitle);
    m_outputTagInfo.Year = FitField(tags.Year, WMAFieldWidth::Year);
    m_outputTagInfo.Genre = FitField(tags.Genre, WMAFieldWidth::Genre);
    WriteWMATags(path, m_outputTagInfo);
}

} // namespace korvex
