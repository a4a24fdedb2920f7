#include "engine/CopyRuns.h"

#include "components/KorvexError.h"
#include "components/MessagePump.h"
#include "engine/CopyNames.h"
#include "engine/OutputFiles.h"
#include "engine/RunProgress.h"
#include "engine/RunSteps.h"
#include "joblist/JobEditor.h"
#include "joblist/JobList.h"
#include "joblist/StatusWords.h"
#include "settings/Settings.h"
#include "tags/TagLibWrites.h"

namespace korvex {

namespace {

// WMA copies are tagged by the ASF writer the encoded outputs use.
constexpr QLatin1StringView WmaExtension("wma");

OutputTagTexts textsOf(const AudioFileinfo &tags)
{
    return {tags.Title, tags.Artist, tags.Album, tags.Year, tags.Genre};
}

} // namespace

QString CopyBlockedBySettings(const Settings &settings)
{
    QStringList changes;
    if (settings.FadeIn && settings.FadeInSeconds > 0)
        changes << QStringLiteral("a fade-in");
    if (settings.FadeOut && settings.FadeOutSeconds > 0)
        changes << QStringLiteral("a fade-out");
    if (settings.EdgeMs > 0)
        changes << QStringLiteral("soft edges");
    if (changes.isEmpty())
        return {};
    return QStringLiteral("The output format \"Same as source\" copies the audio without re-encoding it, "
                          "so it cannot have %1. Turn them off or choose a format to encode to.")
        .arg(changes.join(QStringLiteral(" or ")));
}

CopyRuns::CopyRuns(RunWork &context, OutputFiles &outputs, RunProgress &progress, RunReports &reports)
    : m_context(context), m_outputs(outputs), m_progress(progress), m_reports(reports)
{
}

bool CopyRuns::active() const
{
    return m_context.settings.settings().Format == OutputFormat::Copy && !m_encodeInstead;
}

QString CopyRuns::obstacle(bool join)
{
    m_encodeInstead = false;
    if (!active())
        return {};
    if (QString blocked = CopyBlockedBySettings(m_context.settings.settings()); !blocked.isEmpty())
        return blocked;
    QList<CodedFormat> parts;
    try {
        AnswerEventsDuring([&] {
            for (const listrecord &entry : m_context.jobs().JobRecords())
                parts.append(ProbeCodedFormat(entry.FileName));
        });
    } catch (const KorvexError &error) {
        return error.text();
    }
    for (const CodedFormat &part : parts) {
        if (QString refusal = CopyRefusal(part); !refusal.isEmpty())
            return refusal;
    }
    return join ? JoinCopyRefusal(parts) : QString();
}

void CopyRuns::beginRun(bool encodeInstead)
{
    m_encodeInstead = encodeInstead;
    m_copier.forget();
}

QString CopyRuns::startPiece(int row)
{
    const QString folder = m_context.settings.settings().OutputFolder;
    const QString caption = m_context.jobs().fileModel()->row(row).caption;
    const QString source = m_context.jobs().job(row).FileName;
    const auto nextName = [folder, caption, source] { return FreeCopyPiecePath(folder, caption, source); };
    return m_outputs.StartOutput(nextName(), false, nextName);
}

void CopyRuns::copyPiece(const CopyPiece &piece)
{
    const QString source = m_context.jobs().job(piece.row).FileName;
    const qint64 frames = piece.end - piece.first;
    m_progress.startPiece(piece.lengthFrames > 0 ? frames * piece.durationMs / piece.lengthFrames : 0);
    SetSegmentStatus(m_context, piece.statusRow, status_word::Converting);
    QString temporary;
    AnswerEventsDuring([&] {
        temporary = startPiece(piece.row);
        m_copier.copy({PacketRange{source, piece.first, piece.end}}, temporary,
                      [this](qint64 done, qint64 total) { m_progress.showFrames(done, total); });
    });
    WrittenOutput output;
    output.heldMs = FramesToMs(frames, piece.lengthFrames, piece.durationMs);
    output.plannedMs = output.heldMs;
    const AudioFileinfo tags = m_context.jobs().tags(piece.row);
    const QString extension = SourceExtension(source);
    AnswerEventsDuring([&] {
        output.tagged = extension == WmaExtension ? m_outputs.WriteOutputTags(temporary, tags)
                                                  : WriteTagLibTags(temporary, extension, textsOf(tags));
    });
    output.path = m_outputs.FinishOutput();
    SetSegmentStatus(m_context, piece.statusRow, status_word::Finish);
    m_reports.outputWritten(output);
}

void CopyRuns::join(const QList<PacketRange> &ranges, qint64 totalMs)
{
    QList<CodedFormat> parts;
    AnswerEventsDuring([&] {
        for (const PacketRange &range : ranges)
            parts.append(ProbeCodedFormat(range.path));
    });
    if (const QString refusal = JoinCopyRefusal(parts); !refusal.isEmpty())
        throw KorvexError(refusal);
    AnswerEventsDuring([&] {
        const QString temporary = m_outputs.StartOutput(m_outputs.JoinOutputPath(), m_outputs.JoinOutputReplaces());
        m_copier.copy(ranges, temporary, [this](qint64 done, qint64 total) { m_progress.showFrames(done, total); });
    });
    WrittenOutput output;
    output.heldMs = totalMs;
    output.plannedMs = totalMs;
    output.path = m_outputs.FinishOutput();
    m_reports.outputWritten(output);
}

} // namespace korvex
