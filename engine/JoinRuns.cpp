#include "engine/JoinRuns.h"

#include "components/IAudioFile2.h"
#include "components/IAudioTransform2.h"
#include "components/KorvexError.h"
#include "components/MessagePump.h"
#include "engine/JoinChapters.h"
#include "engine/CopyRuns.h"
#include "engine/OutputFiles.h"
#include "engine/RunProgress.h"
#include "engine/RunSteps.h"
#include "engine/SoftEdges.h"
#include "engine/SourceReads.h"
#include "joblist/JobEditor.h"
#include "joblist/ListActivity.h"
#include "joblist/Scale.h"
#include "joblist/SegmentRows.h"
#include "joblist/StatusWords.h"
#include "settings/Settings.h"

#include <cmath>

namespace korvex {

// One entry being joined: how its source frames relate to the output's.
struct JoinRuns::Entry
{
    int row = 0;
    qint64 fadeInFrames = 0;
    bool up = true;          // its rate is at least the output's
    double ratio = 1.0;      // ≥ 1: the larger rate over the smaller
};

// A stretch of an entry in its source frames. An unbounded stretch (a whole
// file) runs until the reader has nothing more; its end only limits the
// blocks of a fade.
struct JoinRuns::Span
{
    qint64 pos = 0;
    qint64 end = 0;
    bool bounded = true;
};

namespace {

// Source frames of a stretch at `rate` in frames of the output at `rate0`.
qint64 outputFrames(qint64 frames, int rate, int rate0)
{
    return rate > 0 && rate != rate0 ? qRound64(double(frames) * rate0 / rate) : frames;
}

} // namespace

JoinRuns::JoinRuns(RunWork &context, OutputFiles &outputs, RunProgress &progress,
                   RunJob &job, CopyRuns &copy)
    : m_context(context), m_outputs(outputs), m_progress(progress), m_job(job), m_copy(copy)
{
}

void JoinRuns::JoinSegments()
{
    run(Kind::Segments);
}

void JoinRuns::JoinWholeFiles()
{
    run(Kind::WholeFiles);
}

void JoinRuns::UnifiAudoJoiner()
{
    run(Kind::Unified);
}

bool JoinRuns::stillConverting()
{
    const bool converting = StillConverting(m_context, m_job);
    m_stopped |= !converting;
    return converting;
}

void JoinRuns::run(Kind kind)
{
    m_stopped = false;
    m_context.activity.run.Converting = true;
    if (m_copy.active()) {
        copyJoin(kind);
        return;
    }
    m_outputs.ApplyOutputProfile(m_outputs.ChosenFilterIndex() - 1);
    surveySources();
    countTotals(kind);
    createOutput();
    m_progressFrames = 0;
    m_outputDone = 0;
    m_fadeOutSpan = 0;
    for (int row = 0; row < run().rowCount(); ++row) {
        if (!stillConverting())
            break;
        joinEntry(kind, row);
    }
    IAudioFile2 &writer = m_context.AudioFile2write;
    AnswerEventsDuring([&writer] { writer.close(); });
    m_progress.clear();
    WrittenOutput output;
    output.cutShort = m_stopped && m_outputDone < m_outputTotal;
    output.heldMs = m_rate0 > 0 ? m_outputDone * 1000 / m_rate0 : 0;
    output.plannedMs = m_rate0 > 0 ? m_outputTotal * 1000 / m_rate0 : 0;
    if (output.heldMs > 0)
        output.tagged = writeJoinedTags();
    output.path = m_outputs.FinishOutput();
    m_job.outputWritten(output);
}

// The first entry's tags describe the joined file; a copy, as the list may
// change under a stopped run.
bool JoinRuns::writeJoinedTags()
{
    if (run().rowCount() == 0)
        return true;
    const AudioFileinfo tags = run().entryTags(0);
    const QString temporary = m_outputs.PendingOutputPath();
    bool tagged = true;
    AnswerEventsDuring([&] { tagged = m_outputs.WriteOutputTags(temporary, tags); });
    return tagged;
}

void JoinRuns::copyJoin(Kind kind)
{
    surveySources();
    QList<PacketRange> ranges;
    qint64 totalMs = 0;
    for (int row = 0; row < run().rowCount(); ++row) {
        m_job.entryStarted(row);
        const Source &source = m_sources.at(row);
        for (const PlannedPiece &piece : showEntryRows(kind, row)) {
            const Span span = spanOf(row, piece);
            if (span.pos >= span.end)
                continue;
            ranges.append({run().record(row).FileName, span.pos, span.end});
            totalMs += FramesToMs(span.end - span.pos, source.lengthFrames, source.durationMs);
        }
    }
    m_copy.join(ranges, totalMs, run().entryTags(0));
    m_progress.clear();
}

void JoinRuns::surveySources()
{
    IAudioFile2 &reader = m_context.AudioFileRead;
    m_sources.clear();
    QList<SourceStamp> stamps;
    QList<qint64> measured;
    for (const listrecord &entry : run().records) {
        stamps.append(EntryStamp(entry));
        measured.append(EntryMeasuredFrames(entry));
    }
    AnswerEventsDuring([this, &reader, &stamps, &measured] {
        CloseIfOpen(reader);
        for (qsizetype k = 0; k < stamps.size(); ++k) {
            const SourceStamp &stamp = stamps.at(k);
            // before anything is written: a source changed since it was
            // added stops the join at once
            stamp.checkUnchanged();
            reader.openForRead(stamp.path, 0, 1);
            CheckOpenedLength(stamp, measured.at(k), reader.length());
            m_sources.append({reader.length(), reader.duration(), reader.sampleRate(), stamp});
            if (m_sources.size() == 1) {
                m_rate0 = reader.sampleRate();
                m_channels0 = reader.channelCount();
            }
            reader.close();
        }
    });
}

QList<PlannedPiece> JoinRuns::piecesOf(Kind kind, int row) const
{
    const QList<listrecord> &jobs = run().records;
    const qint64 wholeEndMs = qint64(jobs.at(row).Duration) * 1000;
    switch (kind) {
    case Kind::WholeFiles:
        return withTrueEnds(numberedPieces({{0, wholeEndMs}}), wholeEndMs);
    case Kind::Unified:
        return withTrueEnds(cutPiecesToDuration(customPlan(jobs.front()), wholeEndMs), wholeEndMs);
    case Kind::Segments:
        break;
    }
    return withTrueEnds(numberedPieces(customPlan(jobs.at(row))), wholeEndMs);
}

JoinRuns::Span JoinRuns::spanOf(int row, const PlannedPiece &piece) const
{
    const Source &source = m_sources.at(row);
    return {SourceFrameAt(piece.Piece.Begin, source.lengthFrames, source.rate),
            PieceEndFrame(piece, source.lengthFrames, source.rate), true};
}

void JoinRuns::countTotals(Kind kind)
{
    m_total = 0;
    m_outputTotal = 0;
    m_chapters.clear();
    for (int row = 0; row < m_sources.size(); ++row) {
        for (const PlannedPiece &piece : piecesOf(kind, row)) {
            const Span span = spanOf(row, piece);
            const qint64 frames = qMax<qint64>(span.end - span.pos, 0);
            if (frames > 0 && m_rate0 > 0)
                m_chapters.append({m_outputTotal * 1000 / m_rate0, 0,
                                   JoinPartTitle(run(), row, piece.Row,
                                                 kind == Kind::Segments || (kind == Kind::Unified && row == 0))});
            m_total += frames;
            m_outputTotal += outputFrames(frames, m_sources.at(row).rate, m_rate0);
        }
    }
}

void JoinRuns::createOutput()
{
    IAudioFile2 &writer = m_context.AudioFile2write;
    writer.setDataFormat(m_rate0, m_channels0);
    writer.setChapters(ClosedChapters(m_chapters, m_rate0 > 0 ? m_outputTotal * 1000 / m_rate0 : 0));
    const QString path = m_outputs.JoinOutputPath();
    AnswerEventsDuring([this, &writer, &path] {
        CloseIfOpen(writer);
        const QString temporary = m_outputs.StartOutput(path, m_outputs.JoinOutputReplaces());
        try {
            writer.createForWrite(temporary, 0);
        } catch (const KorvexError &error) {
            m_outputs.DropOutput();
            throw KorvexError(QString(error.text()).replace(temporary, path));
        }
    });
    writer.setDataFormat(m_rate0, m_channels0);
}

void JoinRuns::joinEntry(Kind kind, int row)
{
    // a copy: new tags may come into the run's records at a check
    const listrecord record = run().record(row);
    Entry entry;
    entry.row = row;
    m_job.entryStarted(row);
    const QList<PlannedPiece> pieces = showEntryRows(kind, row);

    IAudioFile2 &reader = m_context.AudioFileRead;
    const QString path = record.FileName;
    const Source &surveyed = m_sources.at(row);
    AnswerEventsDuring([&reader, &path, &surveyed] {
        CloseIfOpen(reader);
        surveyed.stamp.checkUnchanged();
        reader.openForRead(path, 0, 1);
        CheckOpenedLength(surveyed.stamp, surveyed.lengthFrames, reader.length());
    });
    const int rate = reader.sampleRate();
    entry.up = rate >= m_rate0;
    if (rate != m_rate0 && rate > 0 && m_rate0 > 0)
        entry.ratio = entry.up ? double(rate) / m_rate0 : double(m_rate0) / rate;
    reader.setDataFormat(m_rate0, m_channels0);

    if (kind == Kind::WholeFiles) {
        entry.fadeInFrames = EntryFrames(record, run().settings().FadeInSeconds);
        Span whole{0, m_sources.at(row).lengthFrames, false};
        blockLoop(entry, whole);
        m_job.rowStatus(0, m_stopped ? status_word::Stopped : status_word::Finish);
    } else {
        for (const PlannedPiece &piece : pieces) {
            if (!stillConverting())
                break;
            m_job.rowStatus(piece.Row, status_word::Converting);
            entry.fadeInFrames = EntryFrames(record, run().settings().FadeInSeconds);
            if (joinSegment(entry, piece))
                m_job.rowStatus(piece.Row, m_stopped ? status_word::Stopped : status_word::Finish);
        }
    }
    AnswerEventsDuring([&reader] { reader.close(); });
}

QList<PlannedPiece> JoinRuns::showEntryRows(Kind kind, int row)
{
    const listrecord record = run().record(row);
    switch (kind) {
    case Kind::WholeFiles:
        m_job.rowsShown(-1, {makeSegmentRow(0, qint64(record.Duration) * 1000, status_word::Converting)});
        return piecesOf(kind, row);
    case Kind::Unified:
        // entry 0's segments, the clock in the entry at hand
        m_job.rowsShown(row, markedRows(run().record(0)));
        break;
    case Kind::Segments:
        m_job.rowsShown(row, markedRows(record));
        break;
    }
    m_job.pendingSetAside(row, false);
    return piecesOf(kind, row);
}

// False when the segment holds no audio of this entry: nothing is joined and
// its row is not marked "Finish".
bool JoinRuns::joinSegment(const Entry &entry, const PlannedPiece &piece)
{
    Span span = spanOf(entry.row, piece);
    if (span.pos >= span.end)
        return false;
    IAudioFile2 &reader = m_context.AudioFileRead;
    AnswerEventsDuring([&reader, &span] { reader.seek(span.pos, 3); });
    blockLoop(entry, span);
    return true;
}

void JoinRuns::blockLoop(const Entry &entry, Span &span)
{
    IAudioFile2 &reader = m_context.AudioFileRead;
    // Soft edges go at the borders of each stretch, in the output's frames.
    const qint64 stretchOutput = outputFrames(span.end - span.pos, m_sources.at(entry.row).rate, m_rate0);
    const qint64 edgeFrames = FrameAtMs(run().settings().EdgeMs, m_rate0);
    qint64 stretchDone = 0;
    while (!span.bounded || span.pos < span.end) {
        if (!stillConverting())
            break;
        const Settings &settings = run().settings();
        const qint64 room = span.end - span.pos;
        const qint64 remaining = m_total - m_progressFrames;
        const qint64 outputLeft = m_outputTotal - m_outputDone;
        // A fade of 0 seconds or less (a hand-edited Korvex.ini) is no fade.
        const qint64 fadeOutFrames = qint64(qMax(settings.FadeOutSeconds, 0)) * m_rate0;
        const bool fadeIn = settings.FadeIn && settings.FadeInSeconds > 0 && m_progressFrames == 0;
        const bool fadeOut = settings.FadeOut && fadeOutFrames > 0 && outputLeft <= fadeOutFrames;
        qint64 n = qint64(m_channels0) * m_rate0;
        if (span.bounded)
            n = qMin(n, room);
        // Fade blocks stay inside the stretch: reading on would join audio
        // from outside the chosen segment.
        if (fadeIn && entry.fadeInFrames > 0)
            n = span.bounded ? qMin<qint64>(entry.fadeInFrames, room) : entry.fadeInFrames;
        if (fadeOut)
            n = room > 0 ? room : remaining;
        if (n <= 0)
            break;

        SampleArray data;
        const SourceStamp &stamp = m_sources.at(entry.row).stamp;
        AnswerEventsDuring([&] { data = ReadSourceBlock(reader, n, m_channels0, stamp); });
        const qsizetype bound = data.upperBound();
        if (bound <= 1)
            break;
        const qint64 delivered = bound / m_channels0;
        double step = double(bound) / m_channels0;
        step = entry.up ? step * entry.ratio : step / entry.ratio;
        if (fadeIn)
            m_context.AudioTransform21.gainRamp(data, m_channels0, 0.0f, 100.0f);
        if (fadeOut)
            this->fadeOut(data, outputLeft, delivered);
        ApplySoftEdges(data, m_channels0, stretchDone, stretchOutput, edgeFrames);
        stretchDone += delivered;
        // halves to the even neighbour, the default rounding mode
        const qint64 counted = qint64(std::nearbyint(step));
        m_progressFrames = qMin(m_progressFrames + counted, m_total);
        m_outputDone += delivered;
        span.pos += counted;
        m_progress.showFrames(m_progressFrames, m_total);
        IAudioFile2 &writer = m_context.AudioFile2write;
        AnswerEventsDuring([&writer, &data] { writer.writeBlock(data); });
    }
}

// The fade-out covers the output frames that were left when it began. A
// block that ends before the output does (the fade reaches back over several
// segments or entries) is ramped only down to the level where the next block
// goes on, so the output fades once, in one straight line.
void JoinRuns::fadeOut(SampleArray &data, qint64 remaining, qint64 frames)
{
    if (m_fadeOutSpan <= 0)
        m_fadeOutSpan = remaining;
    const double span = double(m_fadeOutSpan);
    const float from = float(100.0 * double(remaining) / span);
    const float to = float(100.0 * double(qMax<qint64>(remaining - frames, 0)) / span);
    m_context.AudioTransform21.gainRamp(data, m_channels0, from, to);
}

} // namespace korvex
