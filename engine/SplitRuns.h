#pragma once

#include "engine/RunContext.h"
#include "engine/RunJob.h"
#include "engine/SkippedPieces.h"
#include "joblist/SegmentPlan.h"

#include <functional>

namespace korvex {

class CopyRuns;
class OutputFiles;
struct PieceLabel;
class RunProgress;

// The four split runs. Each walks the entries in list order and turns every
// piece of the entry's plan into its own tagged WMA file in OutputFolder,
// block by block, showing "Converting" and "Finish" in lv_time and the
// progress of the current piece. They set Converting at their start and clear
// it at their end; Stop ends them after the block at hand, and the piece being
// written is still closed, tagged, named and marked "Stopped" when it did not
// get all its audio.
// Custom pieces end as soon as fewer frames than this are left.
inline constexpr qint64 CustomPieceSlack = 100;

class SplitRuns
{
public:
    SplitRuns(RunWork &context, OutputFiles &outputs, RunProgress &progress,
              RunJob &job, CopyRuns &copy);

    void SplitCustom();
    void SplitByTime();
    void SplitByCount();
    void SplitUnified();

    // The split that starts next writes nothing for these pieces; RunControl
    // hands them over and takes them back when that split has ended.
    void skipPieces(SkippedPieces pieces) { m_skipped = std::move(pieces); }

private:
    struct Source;
    struct Piece;

    // Shows the rows of entry `row` in lv_time and gives the pieces to convert.
    using PlanStep = std::function<QList<PlannedPiece>(int row)>;

    void begin();
    void end();
    // `moveCuts`: the plan's cuts move into pauses as the silence settings'
    // AdjustMs says, by the scan that showing the entry started.
    // `mode`: the SplitMode of the run, which says whose segments' own titles
    // name and tag the pieces (SegmentTitlesNamePieces).
    void splitEntries(int mode, bool endNearPieceEnd, const PlanStep &showPlan, bool moveCuts = false);
    QList<PlannedPiece> movedIntoPauses(int row, QList<PlannedPiece> pieces);
    // Shows a time or count plan of entry `row` and gives its pieces.
    QList<PlannedPiece> shownPlan(int row, const QList<Segment> &plan);
    // Steps shared by every entry: select it, show its plan, open its file.
    Source openEntry(int row, const std::function<void()> &showRows);
    // Converts the pieces of the entry whose file `source` is, then closes it.
    void splitPlan(const Source &source, const QList<PlannedPiece> &plan, bool endNearPieceEnd);
    // `number` is the piece's place among the `count` pieces of its entry.
    void convertPiece(const Source &source, const PlannedPiece &planned, int number, int count,
                      bool endNearPieceEnd);
    // What names the piece: its tags, place and times (LabelOfPiece).
    PieceLabel labelOf(const Source &source, const PlannedPiece &planned, int number, int count) const;
    // Creates the piece's temporary file in the writer; returns its path.
    QString createPiece(int row, const PieceLabel &label);
    // The frames written.
    qint64 blockLoop(const Source &source, const Piece &piece, bool endNearPieceEnd);
    // StillConverting, remembering a stop the piece at hand has seen.
    bool stillConverting();
    // What the run works from.
    const RunSnapshot &run() const { return m_job.snapshot(); }

    RunWork &m_context;
    OutputFiles &m_outputs;
    RunProgress &m_progress;
    RunJob &m_job;
    CopyRuns &m_copy;        // pieces cut without re-encoding
    // Counts odd block bounds up and down by turns; kept across pieces and entries.
    bool m_OddBoundToggle = true;
    bool m_pieceStopped = false;
    SkippedPieces m_skipped;
};

} // namespace korvex
