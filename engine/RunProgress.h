#pragma once

#include <QtGlobal>

namespace korvex {

class ConvertProgress;
class SettingsStore;
class SkinFace;

// The progress a run shows: the percentage text "pbpos" and the bar
// "convertpb". Split runs show the current piece, join runs the whole output.
class RunProgress
{
public:
    RunProgress(SettingsStore &settings, SkinFace &skin, ConvertProgress &bar)
        : m_settings(settings), m_skin(skin), m_bar(bar)
    {
    }

    // value in hundredths of a percent; may pass 10000 when a block counts
    // more frames than planned.
    void show(int value);
    // show() for `done` of `total` frames.
    void showFrames(qint64 done, qint64 total);
    // The end of every run: no text, an empty bar.
    void clear();

private:
    SettingsStore &m_settings;   // SkinFlag
    SkinFace &m_skin;            // "pbpos"
    ConvertProgress &m_bar;      // "convertpb"
};

} // namespace korvex
