#pragma once

#include "components/Seams.h"

namespace korvex {

class ConvertProgress;
class IAudioFile2;
class IAudioTransform2;
class JobEditor;
class JobList;
class SettingsStore;
class SkinFace;
struct ListActivity;

// The audio components a run works through, owned by the front end. The
// reader is the one the preview player uses as well, so runs close it before
// opening their own sources.
struct RunAudio
{
    IAudioFile2 &AudioFileRead;
    IAudioFile2 &AudioFile2write;
    IAudioTransform2 &AudioTransform21;
};

// What the split and join runs work with: the audio components and the list.
// Every member is owned by the core or the front end and outlives the engine;
// the engine never replaces them.
struct RunWork : RunAudio
{
    JobEditor &editor;          // the job list, its segment views and the selection rules of lv
    SettingsStore &settings;    // in-memory settings, and the file for the WMA profile
    ListActivity &activity;     // Converting is the run's to set; the player's place is read

    JobList &jobs() const;
    SkinFace &skin() const;     // "nm" follows the entry being converted
};

// Everything RunControl wires together: what the runs work with, and what
// surrounds them (the progress to show, the seams).
struct RunContext : RunWork
{
    ConvertProgress &progress;
    Seams seams;
};

} // namespace korvex
