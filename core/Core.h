#pragma once

#include "components/Seams.h"
#include "components/SkinFace.h"
#include "core/CommandTable.h"
#include "engine/ConvertProgress.h"
#include "engine/FindSilences.h"
#include "engine/RunContext.h"
#include "engine/RunControl.h"
#include "joblist/FileAdder.h"
#include "joblist/JobEditor.h"
#include "joblist/JobList.h"
#include "joblist/ListCommands.h"
#include "joblist/ListActivity.h"
#include "joblist/SegmentMarker.h"
#include "player/PreviewPlayer.h"
#include "settings/Settings.h"

#include <QObject>

#include <functional>
#include <memory>

namespace korvex {

// The core of one Korvex session: it owns the job list and what goes on over
// it (the run and the player's place), the settings, the skin's core side
// with the conversion progress, the commands on the list, run control, Find
// Silences and, once a player component is attached, the preview player; and
// the command table that says which command runs in which state. The audio
// components and the seams are the front end's. The window and korvex-cli
// both drive everything through this; every command runs on the program
// thread.
class Core : public QObject
{
    Q_OBJECT
public:
    // Wraps each run command (Split, Join, Find Silences): the window keeps
    // its notice and its waveform around the run. The default only runs it.
    using RunSurround = std::function<void(const std::function<void()> &run)>;

    Core(RunAudio audio, const Seams &seams, const QString &settingsFile = settingsFilePath());
    ~Core() override;
    Core(const Core &) = delete;
    Core &operator=(const Core &) = delete;

    SettingsStore &store() { return m_store; }
    Settings &settings() { return m_store.settings(); }
    JobList &jobs() { return m_jobs; }
    ListActivity &activity() { return m_activity; }
    RunState &run() { return m_activity.run; }
    PlayerState &player() { return m_activity.player; }
    SkinFace &skin() { return m_skin; }
    ConvertProgress &progress() { return m_progress; }
    JobEditor &editor() { return m_editor; }
    FileAdder &adder() { return m_adder; }
    ListCommands &lists() { return m_lists; }
    SegmentMarker &marker() { return m_marker; }
    RunContext &context() { return m_context; }
    RunControl &control() { return m_control; }
    const RunControl &control() const { return m_control; }
    FindSilences &silences() { return m_silences; }
    CommandTable &commands() { return m_commands; }
    const Seams &seams() const { return m_context.seams; }

    // Makes the preview player on the given player component, registers its
    // commands and has every command that needs the reader, or takes away
    // what is played, stop it first. Once per session; korvex-cli has no
    // player.
    PreviewPlayer &attachPreview(IAudioPlayer2 &output);
    PreviewPlayer *preview() { return m_preview.get(); }

    // What the core is doing now, as the command table sees it.
    CoreStates state() const;
    void setRunSurround(RunSurround surround) { m_surround = std::move(surround); }
    // Holds the run at its next check while the hold lives (a modal dialog
    // is open); nothing when no run goes on.
    [[nodiscard]] RunHold holdRun() { return RunHold(m_control.job()); }
    // The user changed the settings or the tags (a dialog's Ok): a run that
    // works takes them at its next check and uses them from their next use
    // on, as it would have read them. A run started later takes its own copy.
    void settingsChanged();
    void tagsChanged();
    // For tests: called at every stop check of every split and join run, on
    // the thread that runs it, where a user could act during the run.
    void setRunCheckpoint(RunJob::Checkpoint checkpoint) { m_control.setCheckpoint(std::move(checkpoint)); }
    // A split, join or Find Silences works: from runStarted() until runEnded().
    bool runGoing() const { return m_runGoing; }

Q_SIGNALS:
    // A split, join or Find Silences began, and its outcome has been applied
    // (for a split or join control().LastOutcome() says what it came to). A
    // start that starts nothing emits neither.
    void runStarted();
    void runEnded();

private:
    void registerListCommands();
    void registerRunCommands();
    void registerPlayerCommands();
    // runGoing(), runStarted() and runEnded() follow the run control's runs
    // and Find Silences.
    void followRuns();
    // A run command: surrounded as the front end wants, and ready again after a failure.
    CommandTable::Operation runCommand(std::function<RunControl::Outcome()> start);
    // A run that failed has said why, closed its files and ended: nothing is
    // left for Stop to stop, so commands are taken again at once.
    void readyAfter(RunControl::Outcome outcome);

    SettingsStore m_store;
    JobList m_jobs;
    ListActivity m_activity;
    SkinFace m_skin;
    ConvertProgress m_progress;
    JobEditor m_editor;
    FileAdder m_adder;
    ListCommands m_lists;
    RunContext m_context;
    RunControl m_control;
    SegmentMarker m_marker;
    FindSilences m_silences;
    CommandTable m_commands;
    RunSurround m_surround;
    bool m_runGoing = false;
    std::unique_ptr<PreviewPlayer> m_preview;
};

} // namespace korvex
