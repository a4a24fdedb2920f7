#include "engine/CopyRuns.h"

#include "components/KorvexError.h"
#include "components/MessagePump.h"
#include "engine/CopyNames.h"
#include "engine/OutputFiles.h"
#include "engine/PiecePaths.h"
#include "engine/RunProgress.h"
#include "engine/RunSteps.h"
#include "engine/SourceReads.h"
#include "joblist/JobEditor.h"
#include "joblist/JobList.h"
#include "joblist/StatusWords.h"
#include "settings/Settings.h"
#include "tags/OutputTags.h"

#include <QHash>

#include <optional>

namespace korvex {

namespace {

// WMA copies are tagged by the ASF writer the encoded outputs use.
constexpr QLatin1StringView WmaExtension("wma");

// The tag a copy of this kind takes; the file may still have a temporary name.
std::optional<EncodedCodec> codecOfExtension(const QString &extension)
{
    const QString kind = extension.toLower();
    if (kind == QLatin1String("mp3"))
        return EncodedCodec::Mp3;
    if (kind == QLatin1String("ogg") || kind == QLatin1String("oga"))
        return EncodedCodec::Vorbis;
    if (kind == QLatin1String("opus"))
        return EncodedCodec::Opus;
    if (kind == QLatin1String("m4a") || kind == QLatin1String("mp4") || kind == QLatin1String("m4b"))
        return EncodedCodec::Aac;
    if (kind == QLatin1String("flac"))
        return EncodedCodec::Flac;
    if (kind == QLatin1String("wav"))
        return EncodedCodec::Wav;
    return std::nullopt;
}

OutputTagValues tagValues(const AudioFileinfo &tags, int number)
{
    return OutputTagValues{tags.Title, tags.Artist, tags.Album, tags.Year, tags.Genre, number};
}

bool tagCopy(const QString &temporary, const QString &extension, const AudioFileinfo &tags, int number)
{
    const std::optional<EncodedCodec> codec = codecOfExtension(extension);
    if (!codec)
        return false;
    return WriteEncodedTags(temporary, *codec, tagValues(tags, number));
}

} // namespace

OutputFormat EncodeInsteadFormat(const QList<CodedFormat> &parts)
{
    static const QHash<QString, OutputFormat> formats = {
        {QStringLiteral("mp3"), OutputFormat::Mp3},   {QStringLiteral("vorbis"), OutputFormat::OggVorbis},
        {QStringLiteral("opus"), OutputFormat::Opus}, {QStringLiteral("aac"), OutputFormat::Aac},
        {QStringLiteral("flac"), OutputFormat::Flac}, {QStringLiteral("wmav1"), OutputFormat::Wma},
        {QStringLiteral("wmav2"), OutputFormat::Wma}};
    std::optional<OutputFormat> common;
    for (const CodedFormat &part : parts) {
        const OutputFormat own = part.codec.startsWith(QLatin1String("pcm_")) && part.container == QLatin1String("wav")
            ? OutputFormat::Wav
            : formats.value(part.codec, OutputFormat::Wma);
        if (common && *common != own)
            return OutputFormat::Wma;
        common = own;
    }
    return common.value_or(OutputFormat::Wma);
}

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

CopyRuns::CopyRuns(RunWork &context, OutputFiles &outputs, RunProgress &progress, RunJob &job)
    : m_context(context), m_outputs(outputs), m_progress(progress), m_job(job)
{
}

bool CopyRuns::chosen() const
{
    return m_context.settings.settings().Format == OutputFormat::Copy;
}

QString CopyRuns::obstacle(bool join)
{
    m_insteadFormat = OutputFormat::Wma;
    if (!chosen())
        return {};
    QList<CodedFormat> parts;
    try {
        AnswerEventsDuring([&] {
            for (const listrecord &entry : m_context.jobs().JobRecords())
                parts.append(ProbeCodedFormat(entry.FileName));
        });
    } catch (const KorvexError &error) {
        return error.text();
    }
    m_insteadFormat = EncodeInsteadFormat(parts);
    if (QString blocked = CopyBlockedBySettings(m_context.settings.settings()); !blocked.isEmpty())
        return blocked;
    for (const CodedFormat &part : parts) {
        if (QString refusal = CopyRefusal(part); !refusal.isEmpty())
            return refusal;
    }
    return join ? JoinCopyRefusal(parts) : QString();
}

void CopyRuns::beginRun(bool encodeInstead)
{
    m_copying = chosen() && !encodeInstead;
    m_copier.forget();
}

void CopyRuns::takeEncoding()
{
    // FLAC is written again, at the level encoded FLAC outputs use
    m_copier.setFlacCompression(run().current.encoding.flacCompression);
}

QString CopyRuns::startPiece(const CopyPiece &piece)
{
    const Settings &settings = run().settings();
    const PieceNaming naming{settings.OutputFolder, settings.Pattern, run().tags.captions.at(piece.row), {}, true};
    const PieceLabel label = piece.label;
    const auto nextName = [naming, label] { return FreePiecePath(naming, label); };
    return m_outputs.StartOutput(nextName(), false, nextName);
}

bool CopyRuns::tagOutput(const QString &temporary, const QString &extension, const AudioFileinfo &tags, int number)
{
    if (extension == WmaExtension)
        return m_outputs.WriteOutputTags(temporary, tags, number);
    return tagCopy(temporary, extension, tags, number);
}

void CopyRuns::copyPiece(const CopyPiece &piece)
{
    const listrecord &entry = run().record(piece.row);
    const QString source = entry.FileName;
    const qint64 frames = piece.end - piece.first;
    m_progress.startPiece(piece.lengthFrames > 0 ? frames * piece.durationMs / piece.lengthFrames : 0);
    m_job.rowStatus(piece.statusRow, status_word::Converting);
    // The copier keeps what it learnt of the source from piece to piece, so
    // the source must still be the file measured when it was added.
    const SourceStamp stamp = EntryStamp(entry);
    takeEncoding();
    QString temporary;
    bool taggedAsMuxed = false;
    AnswerEventsDuring([&] {
        stamp.checkUnchanged();
        temporary = startPiece(piece);
        try {
            taggedAsMuxed = m_copier.copy(
                {PacketRange{source, piece.first, piece.end}}, temporary,
                [this](qint64 done, qint64 total) { m_progress.showFrames(done, total); },
                VorbisCommentsOf(tagValues(piece.tags, piece.label.number)));
            stamp.checkUnchanged();
        } catch (const KorvexError &) {
            // Part of a piece, or one copied from a file that changed under
            // it, is no piece; copying it again takes a moment.
            m_outputs.DropOutput();
            throw;
        }
    });
    WrittenOutput output;
    output.heldMs = FramesToMs(frames, piece.lengthFrames, piece.durationMs);
    output.plannedMs = output.heldMs;
    const QString extension = SourceExtension(source);
    AnswerEventsDuring([&] {
        output.tagged = taggedAsMuxed || tagOutput(temporary, extension, piece.tags, piece.label.number);
    });
    output.path = m_outputs.FinishOutput();
    m_job.rowStatus(piece.statusRow, status_word::Finish);
    m_job.outputWritten(output);
}

void CopyRuns::join(const QList<PacketRange> &ranges, qint64 totalMs, const AudioFileinfo &tags)
{
    QList<CodedFormat> parts;
    AnswerEventsDuring([&] {
        for (const PacketRange &range : ranges)
            parts.append(ProbeCodedFormat(range.path));
    });
    if (const QString refusal = JoinCopyRefusal(parts); !refusal.isEmpty())
        throw KorvexError(refusal);
    takeEncoding();
    QString temporary;
    bool taggedAsMuxed = false;
    AnswerEventsDuring([&] {
        temporary = m_outputs.StartOutput(m_outputs.JoinOutputPath(), m_outputs.JoinOutputReplaces());
        taggedAsMuxed = m_copier.copy(
            ranges, temporary, [this](qint64 done, qint64 total) { m_progress.showFrames(done, total); },
            VorbisCommentsOf(tagValues(tags, 0)));
    });
    WrittenOutput output;
    const QString extension = ranges.isEmpty() ? QString() : SourceExtension(ranges.first().path);
    AnswerEventsDuring([&] { output.tagged = taggedAsMuxed || tagOutput(temporary, extension, tags, 0); });
    output.heldMs = totalMs;
    output.plannedMs = totalMs;
    output.path = m_outputs.FinishOutput();
    m_job.outputWritten(output);
}

} // namespace korvex
