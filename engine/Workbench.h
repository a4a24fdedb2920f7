#pragma once

#include "components/Seams.h"
#include "components/SkinFace.h"
#include "engine/ConvertProgress.h"
#include "engine/RunContext.h"
#include "engine/RunControl.h"
#include "engine/RunState.h"
#include "joblist/FileAdder.h"
#include "joblist/JobEditor.h"
#include "joblist/JobList.h"
#include "joblist/SegmentMarker.h"
#include "player/PlayerState.h"
#include "player/PreviewPlayer.h"
#include "settings/Settings.h"

#include <memory>

namespace korvex {

// The core objects of one Korvex session, wired as the window wires them:
// the job list with its commands and segment marking, the settings, the run
// state, the skin's core side, run control and, once a player component is
// attached, the preview player. The audio components and the seams are the
// front end's; korvex-cli and the tests drive everything through this.
class Workbench
{
public:
    Workbench(IAudioFile2 &reader, IAudioFile2 &writer, IAudioTransform2 &transform, const Seams &seams,
              const QString &settingsFile = settingsFilePath());
    ~Workbench();
    Workbench(const Workbench &) = delete;
    Workbench &operator=(const Workbench &) = delete;

    Settings &settings() { return store.settings(); }

    // Makes the preview player on the given player component and has every
    // command that needs the reader, or takes away what is played, stop it
    // first. Once per session; korvex-cli has no player.
    PreviewPlayer &attachPreview(IAudioPlayer2 &output);
    PreviewPlayer *preview() { return m_preview.get(); }

    SettingsStore store;
    JobList jobs;
    RunState run;
    PlayerState player;
    SkinFace skin;
    ConvertProgress progress;
    JobEditor editor;
    FileAdder adder;
    RunContext context;
    RunControl control;
    SegmentMarker marker;

private:
    std::unique_ptr<PreviewPlayer> m_preview;
};

} // namespace korvex
