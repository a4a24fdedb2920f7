#pragma once

#include <QtGlobal>

namespace korvex {

class ProgressReports;

// The arithmetic of the progress a run shows: the percentage and the bar.
// Split runs show the current piece, join runs the whole output. A split
// also shows which piece of how many it converts and a bar of the whole
// split by audio time, from startRun() to endRun(). What it works out goes
// out as reports of plain numbers; RunReportApplier draws them.
class RunProgress
{
public:
    explicit RunProgress(ProgressReports &reports) : m_reports(reports) {}

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

    ProgressReports &m_reports;

    bool m_inRun = false;
    int m_pieces = 0;
    int m_piece = 0;             // from 1, the piece being converted
    qint64 m_totalMs = 0;
    qint64 m_doneMs = 0;         // of the pieces before this one
    qint64 m_pieceMs = 0;
};

} // namespace korvex
