#pragma once

#include "components/SampleArray.h"
#include "engine/RunContext.h"
#include "joblist/SegmentPlan.h"

#include <QtGlobal>

#include <functional>

namespace korvex {

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
    JoinRuns(RunContext &context, OutputFiles &outputs, RunProgress &progress,
             RunHooks hooks);

    void JoinSegments();
    void JoinWholeFiles();
    void UnifiAudoJoiner();

private:
    enum class Kind { Segments, WholeFiles, Unified };
    struct Entry;
    struct Span;

    void run(Kind kind);
    qint64 totalFrames(Kind kind) const;
    void createOutput();
    void joinEntry(Kind kind, int row);
    // Rows of lv_time for the entry and the segments (in seconds) they stand for.
    QList<Segment> showEntryRows(Kind kind, int row);
    void joinSegment(const Entry &entry, const Segment &segment);
    void blockLoop(const Entry &entry, Span &span);
    void fadeOut(SampleArray &data, qint64 remaining, qint64 frames);

    RunContext &m_context;
    OutputFiles &m_outputs;
    RunProgress &m_progress;
    RunHooks m_hooks;

    // State of one run: the output's format, the source frames the run expects
    // to read in all, those counted so far, and the frames left to the end of
    // the output when the fade-out began (0 before).
    int m_rate0 = 0;
    int m_channels0 = 0;
    qint64 m_total = 0;
    qint64 m_progressFrames = 0;
    qint64 m_fadeOutSpan = 0;
};

} // namespace korvex
