#include "cli/CliResume.h"

#include "cli/CliSeams.h"
#include "components/FilePublishing.h"
#include "components/IAudioFile2.h"
#include "components/KorvexError.h"
#include "core/Core.h"
#include "engine/OutputNames.h"
#include "joblist/SegmentPlan.h"
#include "settings/EncoderSettings.h"

#include <QFile>
#include <QFileInfo>
#include <QSet>

#include <cstdlib>

namespace korvex::cli {

namespace {

// Samples in one codec frame of the longest kind Korvex writes (WMA's and
// Vorbis's; MP3 and AAC frames are shorter).
constexpr qint64 CodecFrameSamples = 2048;

// The names the run would give the pieces one after the other into a folder
// holding none of them: the same rule as FreeSplitPath, over the names given
// so far.
class PlannedNames
{
public:
    PlannedNames(QString folder, QString extension) : m_folder(std::move(folder)), m_extension(std::move(extension))
    {
    }

    QString next(const QString &caption, const QString &sourceFile)
    {
        const QString base = PieceStem(caption, sourceFile);
        QString path = m_folder + ReplaceExtensionWith(base + QStringLiteral("_1"), m_extension);
        for (qint64 n = 1; m_given.contains(path); ++n)
            path = m_folder + NumberedPieceName(base, n, m_extension);
        m_given.insert(path);
        return path;
    }

private:
    QString m_folder;
    QString m_extension;
    QSet<QString> m_given;
};

qint64 pieceLengthMs(const PlannedPiece &piece, const listrecord &entry)
{
    const qint64 end = piece.ToTrueEnd ? EntryLengthMs(entry) : piece.Piece.End;
    return end - piece.Piece.Begin;
}

// The file at path holds the whole piece: its length as read is the planned
// one within a codec frame of its own rate, and no temporary file of it is
// left (a run that was killed while writing it).
bool complete(const QString &path, qint64 plannedMs, IAudioFile2 &probe)
{
    if (!QFileInfo(path).isFile() || QFileInfo::exists(TemporaryPathFor(path, 1)))
        return false;
    try {
        probe.openForRead(path, 0, 1);
        const qint64 durationMs = probe.duration();
        const qint64 rate = probe.sampleRate();
        probe.close();
        const qint64 frameMs = rate > 0 ? (CodecFrameSamples * 1000 + rate - 1) / rate : 0;
        return std::llabs(durationMs - plannedMs) <= frameMs;
    } catch (const KorvexError &) {
        if (probe.isOpen())
            probe.close();
        return false;
    }
}

void setAside(const QString &path)
{
    QString aside = path + QStringLiteral(".incomplete");
    for (int n = 2; QFileInfo::exists(aside); ++n)
        aside = path + QStringLiteral(".incomplete-%1").arg(n);
    if (!QFile::rename(path, aside))
        throw KorvexError(QStringLiteral("%1 is not complete and cannot be renamed out of the way").arg(path));
    PrintError(QStringLiteral("%1 is not complete; kept as %2 and written again").arg(path, aside));
}

// The entry keeps only the pieces to write, as confirmed custom segments; a
// custom piece keeps its segment's own title and artist.
void keepOnly(listrecord &entry, const QList<PlannedPiece> &pieces, bool custom)
{
    QList<qint64> begins;
    QList<qint64> ends;
    QList<SegmentTags> own;
    for (const PlannedPiece &piece : pieces) {
        begins.append(piece.Piece.Begin);
        ends.append(piece.ToTrueEnd ? EntryLengthMs(entry) : piece.Piece.End);
        own.append(custom ? entry.OwnTags.value(piece.Row) : SegmentTags{});
    }
    begins.append(0);
    ends.append(qint64(entry.Duration) * 1000);
    entry.BeginTime = begins;
    entry.EndTime = ends;
    entry.Count = int(begins.size());
    entry.OwnTags = own;
}

} // namespace

ResumePlan PrepareResume(Core &core, IAudioFile2 &probe)
{
    JobList &jobs = core.jobs();
    Settings &settings = core.settings();
    PlannedNames names(settings.OutputFolder, RunExtension(settings.Format));
    ResumePlan plan;
    QList<QList<PlannedPiece>> missing;
    for (int row = 0; row < jobs.rowCount(); ++row) {
        const listrecord &entry = jobs.job(row);
        const QList<PlannedPiece> pieces =
            withTrueEnds(numberedPieces(segmentPlan(jobs.JobRecords(), row, settings)), entry);
        QList<PlannedPiece> left;
        for (const PlannedPiece &piece : pieces) {
            if (pieceLengthMs(piece, entry) <= 0)
                continue;  // a run writes nothing for it either
            ++plan.planned;
            const QString path = names.next(jobs.fileModel()->row(row).caption, entry.FileName);
            if (complete(path, pieceLengthMs(piece, entry), probe)) {
                ++plan.present;
                continue;
            }
            if (QFileInfo::exists(path)) {
                setAside(path);
                ++plan.setAside;
            }
            left.append(piece);
        }
        missing.append(left);
    }
    const bool custom = settings.SplitMode == split_mode::Custom;
    settings.SplitMode = split_mode::Custom;
    for (int row = jobs.rowCount() - 1; row >= 0; --row) {
        if (missing.at(row).isEmpty())
            jobs.removeEntry(row);
        else
            keepOnly(jobs.job(row), missing.at(row), custom);
    }
    return plan;
}

} // namespace korvex::cli
