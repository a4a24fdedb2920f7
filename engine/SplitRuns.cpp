#include "engine/SplitRuns.h"

#include "components/IAudioFile2.h"
#include "components/IAudioTransform2.h"
#include "components/KorvexError.h"
#include "components/MessagePump.h"
#include "engine/CopyRuns.h"
#include "engine/OutputFiles.h"
#include "engine/PieceLabels.h"
#include "engine/PieceNames.h"
#include "engine/RunProgress.h"
#include "engine/RunSteps.h"
#include "engine/SoftEdges.h"
#include "engine/SourceReads.h"
#include "joblist/JobEditor.h"
#include "joblist/ListActivity.h"
#include "joblist/Scale.h"
#include "joblist/SegmentRows.h"
#include "joblist/SegmentTagEdits.h"
#include "joblist/StatusWords.h"
#include "settings/Settings.h"

#include <QFileInfo>

namespace korvex {

struct SplitRuns::Source
{
    int row = 0;
    qint64 lengthFrames = 0;
    qint64 durationMs = 0;
    int sampleRate = 0;
    int channels = 0;
    qint64 fadeOutFrames = 0;
    SourceStamp stamp;
    // a copy of the entry's segment titles where they name its pieces
    listrecord titled;
};

struct SplitRuns::Piece
{
    qint64 frames = 0;
    qint64 fadeInFrames = 0;
};

SplitRuns::SplitRuns(RunWork &context, OutputFiles &outputs, RunProgress &progress,
                     RunJob &job, CopyRuns &copy)
    : m_context(context), m_outputs(outputs), m_progress(progress), m_job(job), m_copy(copy)
{
}

void SplitRuns::SplitCustom()
{
    begin();
    splitEntries(split_mode::Custom, true, [&](int row) {
        m_job.rowsShown(row, markedRows(run().record(row)));
        m_job.pendingSetAside(row, true);
        return numberedPieces(allSegments(run().record(row)));
    });
    end();
}

void SplitRuns::SplitByTime()
{
    begin();
    splitEntries(split_mode::Time, false, [&](int row) {
        return shownPlan(row, entryTimePlan(run().record(row), run().settings().SplitSeconds));
    }, true);
    end();
}

void SplitRuns::SplitByCount()
{
    begin();
    splitEntries(split_mode::Count, false, [&](int row) {
        return shownPlan(row, entryCountPlan(run().record(row), run().settings().SplitCount));
    }, true);
    end();
}

void SplitRuns::SplitUnified()
{
    begin();
    // Shown afresh: the rows lv_time happened to show (another mode's form
    // after a mode change) must never become entry 0's Count. The clock
    // stays in the file it was scaled to.
    m_job.rowsShown(qBound(0, run().selectedRow, run().rowCount() - 1), markedRows(run().record(0)));
    m_job.pendingSetAside(0, true);
    splitEntries(split_mode::Unification, false, [&](int row) {
        return entryUnificationPieces(run().record(0), run().record(row));
    });
    end();
}

void SplitRuns::splitEntries(int mode, bool endNearPieceEnd, const PlanStep &showPlan, bool moveCuts)
{
    for (int row = 0; row < run().rowCount(); ++row) {
        if (!StillConverting(m_context, m_job))
            break;
        QList<PlannedPiece> plan;
        Source source = openEntry(row, [&] { plan = showPlan(row); });
        if (SegmentTitlesNamePieces(mode, row))
            source.titled.OwnTags = run().record(row).OwnTags;
        if (moveCuts)
            plan = movedIntoPauses(row, plan);
        splitPlan(source, withTrueEnds(plan, run().record(row)), endNearPieceEnd);
    }
}

QList<PlannedPiece> SplitRuns::shownPlan(int row, const QList<Segment> &plan)
{
    m_job.rowsShown(row, unconvertedRows(plan));
    return numberedPieces(plan);
}

QList<PlannedPiece> SplitRuns::movedIntoPauses(int row, QList<PlannedPiece> pieces)
{
    QList<Segment> plan;
    for (const PlannedPiece &piece : pieces)
        plan.append(piece.Piece);
    const SilenceSettings &silence = run().current.silence;
    if (silence.AdjustMs <= 0)
        return pieces;
    const std::optional<AdjustRequest> request = AdjustRequest::of(run().record(row).FileName, plan, silence);
    // the scan showing the entry started, or one started now
    AdjustScanner &scanner = m_context.editor.segmentView().adjustScanner();
    MovedPlan moved;
    AnswerEventsDuring([&scanner, &request, &moved] { moved = scanner.wait(*request); });
    if (!moved.failure.isEmpty())
        throw KorvexError(moved.failure);
    m_job.rowsShown(-1, unconvertedRows(moved.plan));
    for (qsizetype k = 0; k < pieces.size(); ++k)
        pieces[k].Piece = moved.plan.at(k);
    return pieces;
}

void SplitRuns::begin()
{
    m_context.activity.run.Converting = true;
    m_OddBoundToggle = true;
}

void SplitRuns::end()
{
    m_context.activity.run.Converting = false;
    m_progress.clear();
}

SplitRuns::Source SplitRuns::openEntry(int row, const std::function<void()> &showRows)
{
    // a copy: showing the rows may set the pending segment aside in the record
    const listrecord entry = run().record(row);
    Source source;
    source.row = row;
    source.fadeOutFrames = EntryFrames(entry, run().settings().FadeOutSeconds);
    m_job.entryStarted(row);
    showRows();
    IAudioFile2 &reader = m_context.AudioFileRead;
    const QString path = entry.FileName;
    source.stamp = EntryStamp(entry);
    const qint64 measured = EntryMeasuredFrames(entry);
    AnswerEventsDuring([&reader, &path, &source, measured] {
        CloseIfOpen(reader);
        source.stamp.checkUnchanged();
        reader.openForRead(path, 0, 1);
        CheckOpenedLength(source.stamp, measured, reader.length());
    });
    source.lengthFrames = reader.length();
    source.durationMs = reader.duration();
    source.sampleRate = reader.sampleRate();
    source.channels = reader.channelCount();
    return source;
}

void SplitRuns::splitPlan(const Source &source, const QList<PlannedPiece> &plan, bool endNearPieceEnd)
{
    for (qsizetype k = 0; k < plan.size(); ++k) {
        if (!StillConverting(m_context, m_job))
            break;
        convertPiece(source, plan.at(k), int(k + 1), int(plan.size()), endNearPieceEnd);
    }
    IAudioFile2 &reader = m_context.AudioFileRead;
    AnswerEventsDuring([&reader] { reader.close(); });
}

void SplitRuns::convertPiece(const Source &source, const PlannedPiece &planned, int number, int count,
                             bool endNearPieceEnd)
{
    if (m_skipped.contains(source.row, number))
        return;
    IAudioFile2 &reader = m_context.AudioFileRead;
    IAudioFile2 &writer = m_context.AudioFile2write;
    const Segment &segment = planned.Piece;
    const int statusRow = planned.Row;
    const qint64 start = SourceFrameAt(segment.Begin, source.lengthFrames, source.sampleRate);
    Piece piece;
    piece.frames = PieceEndFrame(planned, source.lengthFrames, source.sampleRate) - start;
    // A piece that holds no audio is not written; its row keeps its status.
    if (piece.frames <= 0)
        return;
    if (m_copy.active()) {
        m_copy.copyPiece({source.row, statusRow, start, start + piece.frames, source.lengthFrames, source.durationMs,
                          labelOf(source, planned, number, count),
                          SegmentTagsOver(run().entryTags(source.row), source.titled, statusRow)});
        return;
    }
    m_progress.startPiece(source.lengthFrames > 0 ? piece.frames * source.durationMs / source.lengthFrames : 0);
    m_pieceStopped = false;
    AnswerEventsDuring([&reader, start] { reader.seek(start, 3); });
    piece.fadeInFrames = EntryFrames(run().record(source.row), run().settings().FadeInSeconds);

    CloseIfOpen(writer);
    m_outputs.ApplyOutputProfile(OutputFiles::OutputFormatIndex);
    writer.setDataFormat(source.sampleRate, source.channels);
    const PieceLabel label = labelOf(source, planned, number, count);
    const QString temporary = createPiece(source.row, label);
    const QString before = m_job.shownStatus(statusRow);
    m_job.rowStatus(statusRow, status_word::Converting);
    writer.setDataFormat(source.sampleRate, source.channels);

    const qint64 written = blockLoop(source, piece, endNearPieceEnd);

    AnswerEventsDuring([&writer] { writer.close(); });
    if (written == 0) {
        // Stopped before its first block, or nothing was left to decode: a
        // file without audio is not a piece.
        m_outputs.DropOutput();
        m_job.rowStatus(statusRow, before);
        return;
    }
    WrittenOutput output;
    output.cutShort = m_pieceStopped && written < piece.frames;
    output.heldMs = FramesToMs(written, source.lengthFrames, source.durationMs);
    output.plannedMs = FramesToMs(piece.frames, source.lengthFrames, source.durationMs);
    // a copy: the list may change under a stopped run before the tags are written
    const AudioFileinfo tags = SegmentTagsOver(run().entryTags(source.row), source.titled, statusRow);
    // Tags go in before the file gets its name: a name never shows a file
    // whose header is still being rewritten.
    AnswerEventsDuring([&] { output.tagged = m_outputs.WriteOutputTags(temporary, tags, number); });
    output.path = m_outputs.FinishOutput();
    m_job.rowStatus(statusRow, output.cutShort ? status_word::Stopped : status_word::Finish);
    m_job.outputWritten(output);
}

PieceLabel SplitRuns::labelOf(const Source &source, const PlannedPiece &planned, int number, int count) const
{
    const LabelSource entry{run().entryTags(source.row), source.titled,
                            run().record(source.row).FileName, source.durationMs};
    return LabelOfPiece(entry, planned, number, count);
}

QString SplitRuns::createPiece(int row, const PieceLabel &label)
{
    IAudioFile2 &writer = m_context.AudioFile2write;
    const auto create = [&](const QString &finalPath, std::function<QString()> nextName) {
        QString temporary;
        AnswerEventsDuring([&] {
            CloseIfOpen(writer);
            temporary = m_outputs.StartOutput(finalPath, false, std::move(nextName));
            try {
                writer.createForWrite(temporary, 0);
            } catch (const KorvexError &error) {
                m_outputs.DropOutput();
                throw KorvexError(QString(error.text()).replace(temporary, finalPath));
            }
        });
        return temporary;
    };
    try {
        return create(m_outputs.MakePiecePath(row, label),
                      [this, row, label] { return m_outputs.MakePiecePath(row, label); });
    } catch (const KorvexError &) {
        CloseIfOpen(writer);
        // Another name helps where the file system refuses this one, not
        // where the folder takes no file at all: then the piece is named.
        const QFileInfo folder(run().settings().OutputFolder);
        if (!folder.isDir() || !folder.isWritable())
            throw;
    }
    return create(m_outputs.FallbackPath(row), [this, row] { return m_outputs.FallbackPath(row); });
}

bool SplitRuns::stillConverting()
{
    const bool converting = StillConverting(m_context, m_job);
    m_pieceStopped |= !converting;
    return converting;
}

qint64 SplitRuns::blockLoop(const Source &source, const Piece &piece, bool endNearPieceEnd)
{
    IAudioFile2 &reader = m_context.AudioFileRead;
    const int channels = source.channels;
    qint64 done = 0;
    while (done < piece.frames) {
        if (!stillConverting())
            break;
        const Settings &settings = run().settings();
        const qint64 left = piece.frames - done;
        // A fade of 0 seconds or less (a hand-edited Korvex.ini) is no fade.
        const bool fadeIn = settings.FadeIn && settings.FadeInSeconds > 0 && done == 0;
        const bool fadeOut = settings.FadeOut && source.fadeOutFrames > 0 && left <= source.fadeOutFrames;
        qint64 n = qMin(qint64(source.sampleRate) * channels, left);
        // A fade longer than the piece fades over the piece: reading on would
        // put audio from after the piece's end into it.
        if (fadeIn && piece.fadeInFrames > 0)
            n = qMin<qint64>(piece.fadeInFrames, left);
        if (fadeOut)
            n = left;

        SampleArray data;
        AnswerEventsDuring([&] { data = ReadSourceBlock(reader, n, channels, source.stamp); });
        qsizetype bound = data.upperBound();
        if (bound < 1)
            break;
        if (bound % 2 != 0) {
            bound += m_OddBoundToggle ? 1 : -1;
            m_OddBoundToggle = !m_OddBoundToggle;
        }
        if (fadeIn)
            m_context.AudioTransform21.gainRamp(data, channels, 0.0f, 100.0f);
        if (fadeOut)
            m_context.AudioTransform21.gainRamp(data, channels, 100.0f, 0.0f);
        ApplySoftEdges(data, channels, done, piece.frames, FrameAtMs(settings.EdgeMs, source.sampleRate));
        done += bound / channels;
        m_progress.showFrames(done, piece.frames);
        IAudioFile2 &writer = m_context.AudioFile2write;
        AnswerEventsDuring([&writer, &data] { writer.writeBlock(data); });
        if (endNearPieceEnd && piece.frames - done < CustomPieceSlack)
            break;
    }
    return done;
}

} // namespace korvex
