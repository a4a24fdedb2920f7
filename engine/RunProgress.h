#pragma once

#include "engine/RunContext.h"

namespace korvex {

// The progress a run shows: the percentage text "pbpos" and the bar
// "convertpb". Split runs show the current piece, join runs the whole output.
class RunProgress
{
public:
    explicit RunProgress(RunContext &context) : m_context(context) {}

    // value in hundredths of a percent; may pass 10000 when a block counts
    // more frames than planned.
    void show(int value);
    // show() for `done` of `total` frames.
    void showFrames(qint64 done, qint64 total);
    // The end of every run: no text, an empty bar.
    void clear();

private:
    RunContext &m_context;
};

} // namespace korvex
