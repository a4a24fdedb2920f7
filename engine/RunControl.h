#pragma once

#include "engine/CopyRuns.h"
#include "engine/JoinRuns.h"
#include "engine/OutputFiles.h"
#include "engine/RunContext.h"
#include "engine/RunJob.h"
#include "engine/RunProgress.h"
#include "engine/RunReportApplier.h"
#include "engine/RunReports.h"
#include "engine/SplitRuns.h"

#include <QObject>
#include <QScopedValueRollback>
#include <QStringList>

#include <functional>

namespace korvex {

// Starting, stopping and surrounding conversion runs.
//
// The core wires it: it owns the job list with its JobEditor, the settings
// store, the list's activity (RunState, PlayerState), the SkinFace with its
// ConvertProgress, and is given one reader, one writer, one transform and the
// three seams; it puts them into a RunContext and constructs a RunControl on
// it. It connects stopPlaybackRequested to the player's StopPlayback (a
// direct connection: the player must have let go of the reader before the run
// opens it). Its command table's "Split" calls StartSplit(true), the menu's
// "Split" StartSplit(false), "Join" StartJoin() and every "Stop" Stop(). Runs
// pump events through ProcessPendingMessages(), so Stop arrives while they
// work.
class RunControl : public QObject
{
    Q_OBJECT
public:
    enum class Outcome { NotStarted, Finished, Stopped, Failed };

    explicit RunControl(RunContext &context, QObject *parent = nullptr);

    // The split run of the current SplitMode; afterwards, when asked, the
    // output folder is opened, also after Stop. Nothing while a run goes on
    // or the list is empty.
    Outcome StartSplit(bool openOutputFolder);
    // The next StartSplit writes nothing for these pieces (korvex-cli's
    // --resume: an earlier run left them complete); that call forgets them
    // however it ends. The window never sets any.
    void SkipInNextSplit(SkippedPieces pieces);
    // Chooses the output, runs the join of the current SplitMode, clears
    // Converting and opens the output folder, also after Stop.
    Outcome StartJoin();
    // Stops playback and the run at hand.
    void Stop();
    // The session is ending (the window closes, a termination signal, Ctrl-C
    // in korvex-cli): the run at hand stops, no folder is opened for a
    // program that is about to end, and the files the run closes from here
    // on are listed in CutShortFiles().
    void SessionEnding();

    // A Start call is on the stack, from the join output's dialog to the
    // output folder.
    bool Busy() const { return m_busy; }
    // SessionEnding() came while a Start call was on the stack: the front end
    // ends once that call has returned and it has told the user what it must.
    bool SessionEndWaiting() const { return m_sessionEndWaiting; }
    // Files a stop cut short (Stop or an ending session): closed, valid and
    // named, but holding only what was converted until then. Kept until the
    // next Start call.
    QStringList CutShortFiles() const;
    // After a run a stop ended: which file was cut short and how much it
    // holds, or that the stop came between files; empty otherwise.
    QString StopReport() const;
    // Pieces whose tags could not be written (they are kept without them),
    // and the message that says so; kept until the next Start call.
    const QStringList &UntaggedFiles() const { return m_untagged; }
    QString UntaggedReport() const;
    // What the last Start call came to; Failed while one is under way, so
    // that an error escaping it is not taken for a refusal.
    Outcome LastOutcome() const { return m_lastOutcome; }
    // The session ended while the last Start call's run converted.
    bool StoppedBySessionEnd() const { return m_cuttingShort; }

    void StopConversion();
    // The job the runs report through and answer stop checks to.
    RunJob &job() { return m_job; }
    // Called at every stop check of the runs to come; empty for none.
    void setCheckpoint(RunJob::Checkpoint checkpoint) { m_job.setCheckpoint(std::move(checkpoint)); }
    void ShowConvertProgress(int value);

    OutputFiles &outputFiles() { return m_outputs; }
    SplitRuns &splitRuns() { return m_split; }
    JoinRuns &joinRuns() { return m_join; }

Q_SIGNALS:
    void stopPlaybackRequested();
    void fileListFocusRequested();
    // A split piece is closed, tagged and named, or the joined file is closed
    // and named; also for the partial piece or file a Stop leaves.
    void outputWritten(const QString &path);
    // A split or join began converting; runEnded() follows once its outcome
    // is applied (LastOutcome() says what it came to). A Start call that
    // starts nothing emits neither.
    void runStarted();
    void runEnded();

private:
    // What the runs report while they work: RunControl keeps its account of
    // the outputs and has the applier show the rest.
    class Reports final : public RunReports
    {
    public:
        explicit Reports(RunControl &control) : m_control(control) {}
        void entryStarted(int row) override;
        void rowsShown(int clockRow, const QList<SegmentRow> &rows) override;
        void rowStatus(int row, const QString &word) override;
        void pendingSetAside(int row, bool hideFromEntry) override;
        void outputWritten(const WrittenOutput &output) override;
        void finished(const RunOutcome &outcome) override;
        void pieceProgress(int value) override;
        void runProgress(int value, const QString &text) override;
        void progressCleared() override;

    private:
        RunControl &m_control;
    };

    // The run of a SplitMode; empty for a value no run belongs to.
    std::function<void()> splitRoutine(int mode);
    std::function<void()> joinRoutine(int mode);
    // False while a run goes on or unwinds after Stop, and while files are
    // being added: a run started then would run inside the other.
    bool mayStart() const;
    // Forgets the previous call's session end and cut-short files; marks the
    // call Busy until the returned guard goes.
    [[nodiscard]] QScopedValueRollback<bool> beginStart();
    // Runs the routine as a job and applies what it reports, its end included.
    Outcome runReportingErrors(const std::function<void()> &routine);
    // A Start call: its outcome kept as LastOutcome(), runEnded() once a run
    // it started is over.
    Outcome ended(const std::function<Outcome()> &start);
    // The job's side: the routine, and after an error its files closed.
    RunOutcome runRoutine(const std::function<void()> &routine);
    // The program thread's side of the end: Count given back, the error and
    // untagged files told.
    void applyOutcome(const RunOutcome &outcome);
    // With the format "Same as source": asks whether to encode instead when
    // the run cannot copy (fades, soft edges, a join of unlike parts), in the
    // sources' own format where Korvex encodes it (the run's Format is set to
    // it; the caller rolls that back); false when the user declines.
    bool settleCopyOrEncode(bool join);
    Outcome split(bool openOutputFolder);
    Outcome join();
    void reportUntagged();
    void openOutputFolder();

    RunContext &m_context;
    OutputFiles m_outputs;
    RunReportApplier m_applier;
    Reports m_reports{*this};
    RunJob m_job{m_reports};
    RunProgress m_progress{m_job};
    CopyRuns m_copy;
    SplitRuns m_split;
    JoinRuns m_join;
    bool m_stopped = false;
    bool m_running = false;        // a routine is on the stack, stopped or not
    bool m_sessionEnding = false;
    bool m_busy = false;
    bool m_sessionEndWaiting = false;
    bool m_cuttingShort = false;   // the session ends during a conversion
    bool m_endedByStop = false;    // the last Start call's run was stopped
    Outcome m_lastOutcome = Outcome::NotStarted;
    Outcome m_appliedOutcome = Outcome::NotStarted;  // of the run whose end was applied last
    QList<WrittenOutput> m_cutShort;
    QStringList m_untagged;
    SkippedPieces m_skipped;  // for the next split only
};

} // namespace korvex
