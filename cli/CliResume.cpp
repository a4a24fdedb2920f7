#include "cli/CliResume.h"

#include "cli/CliSeams.h"
#include "cli/PieceCompleteness.h"
#include "components/IAudioFile2.h"
#include "components/KorvexError.h"
#include "core/Core.h"
#include "engine/PieceLabels.h"
#include "engine/PiecePaths.h"
#include "engine/RunSteps.h"
#include "joblist/JobList.h"
#include "joblist/SegmentPlan.h"
#include "settings/EncoderSettings.h"

#include <QFile>
#include <QFileInfo>
#include <QSet>

namespace korvex::cli {

namespace {

// The source as the run measures it when it opens it.
struct SourceMeasure
{
    qint64 frames = 0;
    qint64 durationMs = 0;
    int rate = 0;
};

SourceMeasure measure(const QString &path, IAudioFile2 &probe)
{
    probe.openForRead(path, 0, 1);
    const SourceMeasure source{probe.length(), probe.duration(), probe.sampleRate()};
    probe.close();
    if (source.rate <= 0)
        throw KorvexError(QStringLiteral("%1 has no sample rate to measure its pieces by").arg(path));
    return source;
}

qint64 pieceFrames(const PlannedPiece &piece, const SourceMeasure &source)
{
    return PieceEndFrame(piece, source.frames, source.rate)
           - SourceFrameAt(piece.Piece.Begin, source.frames, source.rate);
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

// The names the run gives its pieces one after the other into a folder that
// holds none of them.
class PlannedNames
{
public:
    QString next(const PieceNaming &naming, const PieceLabel &label)
    {
        const QString path = FreePiecePath(naming, label, [this](const QString &name) { return m_given.contains(name); });
        m_given.insert(path);
        return path;
    }

private:
    QSet<QString> m_given;
};

} // namespace

ResumePlan PrepareResume(Core &core, IAudioFile2 &probe)
{
    JobList &jobs = core.jobs();
    const Settings &settings = core.settings();
    PlannedNames names;
    ResumePlan plan;
    for (int row = 0; row < jobs.rowCount(); ++row) {
        const listrecord &entry = jobs.job(row);
        const SourceMeasure source = measure(entry.FileName, probe);
        LabelSource labels{jobs.tags(row), {}, entry.FileName, source.durationMs};
        if (SegmentTitlesNamePieces(settings.SplitMode, row))
            labels.titled.OwnTags = entry.OwnTags;
        const PieceNaming naming{settings.OutputFolder, settings.Pattern, jobs.fileModel()->row(row).caption,
                                 RunExtension(settings.Format), settings.Format == OutputFormat::Copy};
        const QList<PlannedPiece> pieces = splitPieces(jobs.JobRecords(), row, settings);
        for (qsizetype k = 0; k < pieces.size(); ++k) {
            const qint64 frames = pieceFrames(pieces.at(k), source);
            if (frames <= 0)
                continue;  // a run writes nothing for it either
            ++plan.planned;
            const int number = int(k + 1);
            const QString path = names.next(naming, LabelOfPiece(labels, pieces.at(k), number, int(pieces.size())));
            if (PieceComplete(path, double(frames) / source.rate, settings.Format, entry.FileName, source.rate,
                              probe)) {
                ++plan.present;
                plan.complete.add(row, number);
                continue;
            }
            if (PathTaken(path)) {
                setAside(path);
                ++plan.setAside;
            }
        }
    }
    return plan;
}

} // namespace korvex::cli
