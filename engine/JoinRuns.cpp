#include "engine/JoinRuns.h"

#include "components/IAudioFile2.h"
#include "components/IAudioTransform2.h"
#include "engine/OutputFiles.h"
#include "engine/RunProgress.h"
#include "engine/RunState.h"
#include "engine/RunSteps.h"
#include "joblist/JobEditor.h"
#include "joblist/JobList.h"
#include "joblist/StatusWords.h"
#include "settings/Settings.h"

#include <cmath>

namespace korvex {

// One entry being joined: how its source frames relate to the output's.
struct JoinRuns::Entry
{
    int row = 0;
    int frames = 0;          // Frames of its record
    int fadeInFrames = 0;
    int fadeOutFrames = 0;
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

JoinRuns::JoinRuns(RunContext &context, OutputFiles &outputs, RunProgress &progress,
                   RunHooks hooks)
    : m_context(context), m_outputs(outputs), m_progress(progress), m_hooks(std::move(hooks))
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

void JoinRuns::run(Kind kind)
{
    m_context.run.Converting = true;
    m_outputs.ApplyOutputProfile(m_outputs.ChosenFilterIndex() - 1);
    m_total = totalFrames(kind);
    createOutput();
    m_progressFrames = 0;
    m_fadeOutSpan = 0;
    for (int row = 0; row < m_context.jobs.rowCount(); ++row) {
        if (!StillConverting(m_context))
            break;
        joinEntry(kind, row);
    }
    m_context.AudioFile2write.close();
    m_progress.clear();
    m_hooks.outputWritten(m_outputs.JoinOutputPath());
}

qint64 JoinRuns::totalFrames(Kind kind) const
{
    const QList<listrecord> &jobs = m_context.jobs.JobRecords();
    qint64 total = 0;
    for (const listrecord &entry : jobs) {
        if (kind == Kind::WholeFiles) {
            total += entry.Frames;
            continue;
        }
        const QList<Segment> plan =
            kind == Kind::Unified ? unificationPlan(jobs.front(), entry.Duration) : customPlan(entry);
        for (const Segment &segment : plan)
            total += EntryFrames(entry, segment.End - segment.Begin);
    }
    return total;
}

void JoinRuns::createOutput()
{
    IAudioFile2 &reader = m_context.AudioFileRead;
    IAudioFile2 &writer = m_context.AudioFile2write;
    CloseIfOpen(reader);
    reader.openForRead(m_context.jobs.job(0).FileName, 0, 1);
    m_rate0 = reader.sampleRate();
    m_channels0 = reader.channelCount();
    reader.close();

    writer.setDataFormat(m_rate0, m_channels0);
    CloseIfOpen(writer);
    writer.createForWrite(m_outputs.JoinOutputPath(), 0);
    writer.setDataFormat(m_rate0, m_channels0);
}

void JoinRuns::joinEntry(Kind kind, int row)
{
    const listrecord &record = m_context.jobs.job(row);
    const Settings &settings = m_context.settings.settings();
    Entry entry;
    entry.row = row;
    entry.frames = record.Frames;
    entry.fadeOutFrames = EntryFrames(record, settings.FadeOutSeconds);
    SelectRunEntry(m_context, row);
    const QList<Segment> segments = showEntryRows(kind, row);
    m_hooks.focusFileList();

    IAudioFile2 &reader = m_context.AudioFileRead;
    CloseIfOpen(reader);
    reader.openForRead(record.FileName, 0, 1);
    const int rate = reader.sampleRate();
    entry.up = rate >= m_rate0;
    if (rate != m_rate0 && rate > 0 && m_rate0 > 0)
        entry.ratio = entry.up ? double(rate) / m_rate0 : double(m_rate0) / rate;
    reader.setDataFormat(m_rate0, m_channels0);

    if (kind == Kind::WholeFiles) {
        entry.fadeInFrames = EntryFrames(record, settings.FadeInSeconds);
        Span whole{0, record.Frames, false};
        blockLoop(entry, whole);
        SetSegmentStatus(m_context, 0, status_word::Finish);
    } else {
        for (qsizetype k = 0; k < segments.size(); ++k) {
            if (!StillConverting(m_context))
                break;
            SetSegmentStatus(m_context, int(k), status_word::Converting);
            entry.fadeInFrames = EntryFrames(record, m_context.settings.settings().FadeInSeconds);
            joinSegment(entry, segments.at(k));
            SetSegmentStatus(m_context, int(k), status_word::Finish);
        }
    }
    reader.close();
}

QList<Segment> JoinRuns::showEntryRows(Kind kind, int row)
{
    const listrecord &record = m_context.jobs.job(row);
    switch (kind) {
    case Kind::WholeFiles:
        m_context.jobs.segmentModel()->setRows(
            {makeSegmentRow(0, record.Duration, status_word::Converting)});
        return {};
    case Kind::Unified:
        m_context.editor.segmentView().showUnification();
        SetPendingSegmentAside(m_context);
        return customPlan(m_context.jobs.job(0));
    case Kind::Segments:
        break;
    }
    m_context.editor.segmentView().showCustom(row);
    SetPendingSegmentAside(m_context);
    return customPlan(record);
}

void JoinRuns::joinSegment(const Entry &entry, const Segment &segment)
{
    const listrecord &record = m_context.jobs.job(entry.row);
    // Unification takes entry 0's times into every entry, whole seconds of the
    // entry's own record; a segment may begin past a shorter entry's end,
    // where there is nothing to read.
    Span span{EntryFrames(record, segment.Begin), EntryFrames(record, segment.End), true};
    if (span.pos >= entry.frames)
        return;
    m_context.AudioFileRead.seek(span.pos, 3);
    blockLoop(entry, span);
}

void JoinRuns::blockLoop(const Entry &entry, Span &span)
{
    IAudioFile2 &reader = m_context.AudioFileRead;
    while (!span.bounded || span.pos < span.end) {
        if (!StillConverting(m_context))
            break;
        const Settings &settings = m_context.settings.settings();
        const qint64 room = span.end - span.pos;
        const qint64 remaining = m_total - m_progressFrames;
        const bool fadeIn = settings.FadeIn && m_progressFrames == 0;
        const bool fadeOut = settings.FadeOut && remaining <= entry.fadeOutFrames;
        qint64 n = qint64(m_channels0) * m_rate0;
        if (span.bounded)
            n = qMin(n, room);
        // Fade blocks stay inside the stretch: reading on would join audio
        // from outside the chosen segment.
        if (fadeIn && entry.fadeInFrames > 0)
            n = span.bounded ? qMin<qint64>(entry.fadeInFrames, room) : entry.fadeInFrames;
        if (fadeOut)
            n = room > 0 ? qMin(remaining, room) : remaining;
        if (n <= 0)
            break;

        SampleArray data = reader.readBlock(n);
        const qsizetype bound = data.upperBound();
        if (bound <= 1)
            break;
        double step = double(bound) / m_channels0;
        step = entry.up ? step * entry.ratio : step / entry.ratio;
        if (fadeIn)
            m_context.AudioTransform21.gainRamp(data, m_channels0, 0.0f, 100.0f);
        if (fadeOut)
            this->fadeOut(data, remaining, n);
        // halves to the even neighbour, the default rounding mode
        const qint64 counted = qint64(std::nearbyint(step));
        m_progressFrames = qMin(m_progressFrames + counted, m_total);
        span.pos += counted;
        m_progress.showFrames(m_progressFrames, m_total);
        m_context.AudioFile2write.writeBlock(data);
    }
}

// The fade-out covers the frames that were left when it began. A block that
// ends before the output does (the fade reaches back over several segments or
// entries) is ramped only down to the level where the next block goes on, so
// the output fades once, without a jump back up.
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
