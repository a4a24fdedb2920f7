#pragma once

#include "components/Seams.h"

#include <QString>

#include <functional>

namespace korvex {

class ConvertProgress;
class IAudioFile2;
class IAudioTransform2;
class JobEditor;
class JobList;
class SettingsStore;
class SkinFace;
struct PlayerState;
struct RunState;

// What the split and join runs work with. Every member is owned elsewhere (by
// the main window or by korvex-cli) and outlives the engine; the engine never
// replaces them. The reader is the one the preview player uses as well, so
// runs close it before opening their own sources.
struct RunWork
{
    JobList &jobs;
    JobEditor &editor;          // the segment views and the selection rules of lv
    SettingsStore &settings;    // in-memory settings, and the file for the WMA profile
    RunState &run;
    SkinFace &skin;             // "nm" follows the entry being converted
    IAudioFile2 &AudioFileRead;
    IAudioFile2 &AudioFile2write;
    IAudioTransform2 &AudioTransform21;
};

// Everything RunControl wires together: what the runs work with, and what
// surrounds them (the player to stop, the progress to show, the seams).
struct RunContext : RunWork
{
    PlayerState &player;
    ConvertProgress &progress;
    Seams seams;
};

// A closed output as a run left it.
struct WrittenOutput
{
    QString path;
    bool cutShort = false;   // a stop ended it before its planned end
    qint64 heldMs = 0;       // the audio it holds
    qint64 plannedMs = 0;    // the audio it was to hold
    bool tagged = true;      // a piece whose tags could not be written: false
};

// What runs tell their front end while they work.
struct RunHooks
{
    std::function<void()> focusFileList;                     // lv should take the input focus
    // A piece or the joined file is closed and has its final name.
    std::function<void(const WrittenOutput &output)> outputWritten;
};

} // namespace korvex
