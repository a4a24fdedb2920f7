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
#include "player/PlayerState.h"
#include "settings/Settings.h"

namespace korvex {

// The core objects of one Korvex session, wired as the window wires them:
// the job list with its commands, the settings, the run state, the skin's
// core side and run control. The audio components and the seams are the
// front end's; korvex-cli and the tests drive everything through this.
class Workbench
{
public:
    Workbench(IAudioFile2 &reader, IAudioFile2 &writer, IAudioTransform2 &transform, const Seams &seams,
              const QString &settingsFile = settingsFilePath());
    Workbench(const Workbench &) = delete;
    Workbench &operator=(const Workbench &) = delete;

    Settings &settings() { return store.settings(); }

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
};

} // namespace korvex
