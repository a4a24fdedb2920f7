#include "core/Core.h"

#include "engine/RunSnapshot.h"
#include "joblist/ChapterSegments.h"
#include "joblist/CueExport.h"

namespace korvex {

Core::Core(RunAudio audio, const Seams &seams, const QString &settingsFile)
    : m_store(settingsFile)
    , m_progress(m_activity.run, m_skin)
    , m_editor({m_jobs, m_store.settings(), m_skin}, m_activity)
    , m_adder(m_editor, audio.AudioFileRead, seams, m_store.file())
    , m_lists(m_editor, m_adder, m_store, seams)
    , m_context{{audio, m_editor, m_store, m_activity}, m_progress, seams}
    , m_control(m_context)
    , m_marker(m_editor, *seams.messages)
    , m_silences(m_context)
    , m_commands(*seams.messages, [this] { return state(); })
{
    m_progress.bind();
    m_editor.segmentView().readSilenceSettingsFrom(m_store.file());
    registerListCommands();
    registerRunCommands();
    followRuns();
}

Core::~Core() = default;

CoreStates Core::state() const
{
    CoreStates states;
    if (m_activity.run.Converting)
        states |= CoreState::Converting;
    if (m_activity.player.Playing)
        states |= CoreState::Playing;
    if (m_jobs.Adding())
        states |= CoreState::Adding;
    return states;
}

// The list and marking commands. Moving and adding keep their own guards
// (they are reached from drops and from outside the window too); the table
// keeps what a click does while a run converts.
void Core::registerListCommands()
{
    using Source = CommandTable::Source;
    using namespace runs_while;
    const auto skin = [this](const char *name, CoreStates runsWhile, CommandTable::Operation operation) {
        m_commands.add(Source::Skin, QString::fromLatin1(name), runsWhile, std::move(operation));
    };
    const auto menu = [this](std::initializer_list<const char *> names, CoreStates runsWhile,
                             const CommandTable::Operation &operation) {
        for (const char *name : names)
            m_commands.add(Source::Menu, QString::fromLatin1(name), runsWhile, operation);
    };
    // after a click on lv_time the skin's Remove and Clear act on segments
    const auto segmentsOrFiles = [this](std::function<void()> onSegments, std::function<void()> onFiles) {
        return [this, onSegments = std::move(onSegments), onFiles = std::move(onFiles)] {
            if (m_jobs.SegmentSelected)
                onSegments();
            else
                onFiles();
        };
    };
    const auto clear = segmentsOrFiles([this] { m_editor.ClearSegments(); }, [this] { m_editor.ClearJob(); });

    skin("addfile", NotConverting, [this] { m_adder.AddFiles(); });
    skin("Up", Anything, [this] { m_editor.MoveUp(); });
    skin("Down", Anything, [this] { m_editor.MoveDown(); });
    skin("Remove", NotConverting,
         segmentsOrFiles([this] { m_marker.RemoveSegment(); }, [this] { m_editor.RemoveFile(); }));
    skin("Clear", NotConverting, clear);
    skin("Begin", NotConverting, [this] { m_marker.MarkBegin(); });
    skin("End", NotConverting, [this] { m_marker.MarkEnd(); });
    skin("Ok", NotConverting, [this] { m_marker.ConfirmSegment(); });

    menu({"AddFile1", "AddFile2"}, Anything, [this] { m_adder.AddFiles(); });
    menu({"AddFolder1", "AddFolder2"}, Anything, [this] { m_adder.AddFolder(); });
    // a run hides pending segments and an add has rows still being made:
    // neither is a list to keep
    menu({"OpenList1"}, CoreState::Playing, [this] { m_lists.OpenList(); });
    menu({"SaveList1"}, CoreState::Playing, [this] { m_lists.SaveList(); });
    menu({"Clear1", "Clear2"}, NotConverting, clear);
    menu({"Remove1", "Remove2", "Remove3"}, NotConverting, [this] {
        if (!m_jobs.SegmentSelected)
            m_editor.RemoveFile();
    });
    menu({"ExportCue1"}, NotConverting, [this] { ExportSelectedCue(m_jobs, *m_context.seams.messages); });
    menu({"SegmentsFromChapters1"}, NotConverting,
         [this] { SegmentsFromChapters(m_editor, *m_context.seams.messages); });
    menu({"UP1", "FileUp1"}, Anything, [this] { m_editor.MoveUp(); });
    menu({"Down1", "FileDown1"}, Anything, [this] { m_editor.MoveDown(); });
}

// Split, Join and Find Silences start only while nothing converts or adds
// (playback is stopped first); Stop is taken whatever goes on.
void Core::registerRunCommands()
{
    using Source = CommandTable::Source;
    const CoreStates startsWhile = CoreState::Playing;
    const auto join = runCommand([this] { return m_control.StartJoin(); });
    m_commands.add(Source::Skin, QStringLiteral("Split"), startsWhile,
                   runCommand([this] { return m_control.StartSplit(true); }));
    m_commands.add(Source::Menu, QStringLiteral("Start1"), startsWhile,
                   runCommand([this] { return m_control.StartSplit(false); }));
    m_commands.add(Source::Skin, QStringLiteral("Join"), startsWhile, join);
    m_commands.add(Source::Menu, QStringLiteral("Join1"), startsWhile, join);
    m_commands.add(Source::Menu, QStringLiteral("FindSilences1"), startsWhile, runCommand([this] {
                       m_silences.run();
                       return RunControl::Outcome::Finished;
                   }));
    const auto stop = [this] { m_control.Stop(); };
    m_commands.add(Source::Skin, QStringLiteral("Stop"), stop);
    for (const char *item : {"Stop1", "Stop2"})
        m_commands.add(Source::Menu, QString::fromLatin1(item), stop);
}

void Core::followRuns()
{
    const auto started = [this] {
        m_runGoing = true;
        Q_EMIT runStarted();
    };
    const auto ended = [this] {
        m_runGoing = false;
        Q_EMIT runEnded();
    };
    connect(&m_control, &RunControl::runStarted, this, started);
    connect(&m_control, &RunControl::runEnded, this, ended);
    connect(&m_silences, &FindSilences::runStarted, this, started);
    connect(&m_silences, &FindSilences::runEnded, this, ended);
}

CommandTable::Operation Core::runCommand(std::function<RunControl::Outcome()> start)
{
    return [this, start = std::move(start)] {
        const auto run = [this, &start] { readyAfter(start()); };
        if (m_surround)
            m_surround(run);
        else
            run();
    };
}

void Core::readyAfter(RunControl::Outcome outcome)
{
    if (outcome != RunControl::Outcome::Failed || !m_activity.run.Converting)
        return;
    m_control.StopConversion();
    m_skin.setText(skin_object::PercentText, QString());
    m_skin.redraw(skin_object::PercentText);
}

void Core::settingsChanged()
{
    m_control.job().settingsChanged(CurrentRunSettings(m_store, m_editor.segmentView()));
}

void Core::tagsChanged()
{
    m_control.job().tagsChanged(CurrentRunTags(m_context));
}

void Core::registerPlayerCommands()
{
    using Source = CommandTable::Source;
    using runs_while::NotConverting;
    PreviewPlayer &player = *m_preview;
    const auto play = [&player] { player.Play(); };
    m_commands.add(Source::Skin, QStringLiteral("play"), NotConverting, play);
    m_commands.add(Source::Menu, QStringLiteral("Play1"), NotConverting, play);
    m_commands.add(Source::Skin, QStringLiteral("stop"), runs_while::Anything, [this, &player] {
        if (m_activity.player.Playing)
            player.StopPlayback();
    });
    m_commands.add(Source::Menu, QStringLiteral("PlayAroundBegin1"), NotConverting,
                   [&player] { player.PlayAroundBegin(); });
    m_commands.add(Source::Menu, QStringLiteral("PlayAroundEnd1"), NotConverting,
                   [&player] { player.PlayAroundEnd(); });
    m_commands.add(Source::Skin, QStringLiteral("hou"), NotConverting, [&player] { player.StepBack(); });
    m_commands.add(Source::Skin, QStringLiteral("qian"), NotConverting, [&player] { player.StepForward(); });
}

PreviewPlayer &Core::attachPreview(IAudioPlayer2 &output)
{
    Q_ASSERT(!m_preview);
    m_preview = std::make_unique<PreviewPlayer>(m_editor.desk(), m_activity,
                                                output,
                                                *m_context.seams.messages);
    // Direct connections: the player must have let go of the reader, and of
    // the rows it shows as playing, before the command goes on.
    PreviewPlayer *preview = m_preview.get();
    const auto stop = [preview] { preview->StopPlayback(); };
    connect(&m_editor, &JobEditor::stopPlaybackRequested, preview, stop, Qt::DirectConnection);
    connect(&m_marker, &SegmentMarker::stopPlaybackRequested, preview, stop, Qt::DirectConnection);
    connect(&m_adder, &FileAdder::stopPlaybackRequested, preview, stop, Qt::DirectConnection);
    connect(&m_control, &RunControl::stopPlaybackRequested, preview, stop, Qt::DirectConnection);
    connect(&m_silences, &FindSilences::stopPlaybackRequested, preview, stop, Qt::DirectConnection);
    registerPlayerCommands();
    return *preview;
}

} // namespace korvex
