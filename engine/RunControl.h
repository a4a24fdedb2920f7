#pragma once

#include "engine/JoinRuns.h"
#include "engine/OutputFiles.h"
#include "engine/RunContext.h"
#include "engine/RunProgress.h"
#include "engine/SplitRuns.h"

#include <QObject>

#include <functional>

namespace korvex {

// Starting, stopping and surrounding conversion runs.
//
// A front end wires it like this: it owns the job list, the JobEditor, the
// settings store, RunState, PlayerState, the SkinFace with its ConvertProgress
// (bound to the skin), one reader, one writer and one transform, and the
// three seams; it puts references to them into a RunContext and constructs a
// RunControl on it. It connects stopPlaybackRequested to the player's
// StopPlayback (a direct connection: the player must have let go of the reader
// before the run opens it) and fileListFocusRequested to lv's setFocus. Then
// "Split" calls StartSplit(true), the menu's "Split" StartSplit(false),
// "Join" StartJoin() and every "Stop" Stop(). Runs pump events through
// ProcessPendingMessages(), so Stop arrives while they work.
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
    // Chooses the output, runs the join of the current SplitMode, clears
    // Converting and opens the output folder, also after Stop.
    Outcome StartJoin();
    // Stops playback and the run at hand.
    void Stop();
    // The window is closing: the run at hand stops, and no folder is opened
    // for a program that is about to end.
    void SessionEnding();

    void StopConversion();
    void ShowConvertProgress(int value);

    OutputFiles &outputFiles() { return m_outputs; }
    SplitRuns &splitRuns() { return m_split; }
    JoinRuns &joinRuns() { return m_join; }

Q_SIGNALS:
    void stopPlaybackRequested();
    void fileListFocusRequested();
    // A split piece is closed and tagged, or the joined file is closed; also
    // for the partial piece or file a Stop leaves.
    void outputWritten(const QString &path);

private:
    RunHooks hooks();
    // The run of a SplitMode; empty for a value no run belongs to.
    std::function<void()> splitRoutine(int mode);
    std::function<void()> joinRoutine(int mode);
    // False while a run goes on or unwinds after Stop, and while files are
    // being added: a run started then would run inside the other.
    bool mayStart() const;
    Outcome runReportingErrors(const std::function<void()> &routine);
    void openOutputFolder();

    RunContext &m_context;
    OutputFiles m_outputs;
    RunProgress m_progress;
    SplitRuns m_split;
    JoinRuns m_join;
    bool m_stopped = false;
    bool m_running = false;        // a routine is on the stack, stopped or not
    bool m_sessionEnding = false;
};

} // namespace korvex
