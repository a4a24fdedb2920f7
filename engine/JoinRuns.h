#pragma once

#include "components/Chapters.h"
#include "components/SampleArray.h"
#include "engine/RunContext.h"
#include "engine/RunJob.h"
#include "components/SourceStamp.h"
#include "joblist/SegmentPlan.h"

#include <QtGlobal>

#include <functional>

namespace korvex {

class CopyRuns;
class OutputFiles;
class RunProgress;

// The three join runs. Each writes one WMA file at the chosen join output path
// holding time ranges of every entry in list order, all delivered by the
// reader in the first entry's sample rate and channel count. Fades happen once,
// at the very start and the very end of the output. The progress shown is that
// of the whole output. They set Converting and leave it set: Start join clears
// it after they return.
class JoinRuns
{
public:
    JoinRuns(RunWork &context, OutputFiles &outputs, RunProgress &progress,
             RunJob &job, CopyRuns &copy);

    void JoinSegments();
    void JoinWholeFiles();
    void UnifiAudoJoiner();

private:
    enum class Kind { Segments, WholeFiles, Unified };
    // What a source said when the run surveyed it.
    struct Source
    {
        qint64 lengthFrames = 0;
        qint64 durationMs = 0;
        int rate = 0;
        SourceStamp stamp;
    };
    struct Entry;
    struct Span;

    void run(Kind kind);
    // The join without re-encoding: the ranges of every entry copied at once.
    void copyJoin(Kind kind);
    // Opens every entry once for its length, duration and rate: positions are
    // worked out as the split and the preview work them out, in milliseconds.
    void surveySources();
    // The pieces entry `row` gives, with the rows of lv_time that show them.
    QList<PlannedPiece> piecesOf(Kind kind, int row) const;
    Span spanOf(int row, const PlannedPiece &piece) const;
    void countTotals(Kind kind);
    void createOutput();
    void joinEntry(Kind kind, int row);
    // Shows the rows of the entry in lv_time and gives the pieces to join.
    QList<PlannedPiece> showEntryRows(Kind kind, int row);
    bool joinSegment(const Entry &entry, const PlannedPiece &piece);
    void blockLoop(const Entry &entry, Span &span);
    void fadeOut(SampleArray &data, qint64 remaining, qint64 frames);
    // The first entry's tags into the closed output; false when refused.
    bool writeJoinedTags();
    // StillConverting, remembering a stop the run has seen.
    bool stillConverting();
    // What the run works from.
    const RunSnapshot &run() const { return m_job.snapshot(); }

    RunWork &m_context;
    OutputFiles &m_outputs;
    RunProgress &m_progress;
    RunJob &m_job;
    CopyRuns &m_copy;
    bool m_stopped = false;

    // State of one run: the output's format, what was learnt of each source,
    // the source frames the run expects to read in all and those counted so
    // far (the progress shown), the same in frames of the output (which the
    // fade-out follows, so entries of other rates do not bend its ramp), and
    // the output frames left when the fade-out began (0 before).
    int m_rate0 = 0;
    int m_channels0 = 0;
    QList<Source> m_sources;
    qint64 m_total = 0;
    qint64 m_progressFrames = 0;
    qint64 m_outputTotal = 0;
    qint64 m_outputDone = 0;
    qint64 m_fadeOutSpan = 0;
    // a mark at the start of every part, in milliseconds of the output
    QList<Chapter> m_chapters;
};

} // namespace korvex
