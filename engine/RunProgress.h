#pragma once

#include <QtGlobal>

namespace korvex {

class ConvertProgress;
class SettingsStore;
class SkinFace;

// The progress a run shows: the percentage text "pbpos" and the bar
// "convertpb". Split runs show the current piece, join runs the whole output.
// A split also shows which piece of how many it converts and a bar of the
// whole split by audio time, from startRun() to endRun().
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

    // A split of `pieces` pieces holding `totalMs` of audio begins.
    void startRun(int pieces, qint64 totalMs);
    // The next piece, of `pieceMs`, begins.
    void startPiece(qint64 pieceMs);
    // However the split ended: its line goes.
    void endRun();

private:
    void showRun(qint64 doneInPiece, qint64 pieceTotal);

    SettingsStore &m_settings;   // SkinFlag
    SkinFace &m_skin;            // "pbpos"
    ConvertProgress &m_bar;      // "convertpb", "runbar", "runpiece"

    bool m_inRun = false;
    int m_pieces = 0;
    int m_piece = 0;             // from 1, the piece being converted
    qint64 m_totalMs = 0;
    qint64 m_doneMs = 0;         // of the pieces before this one
    qint64 m_pieceMs = 0;
};

} // namespace korvex
