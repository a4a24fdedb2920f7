#pragma once

#include <QRect>

namespace korvex {

class SkinFace;
struct RunState;

// The conversion bar "convertpb": progress is drawn by moving the right edge
// of the rectangle the skin gave the bar at start-up. Also the whole split's
// line: "runpiece" and the thin bar "runbar", drawn the same way over the
// width the skin gives it, and empty while no split runs.
class ConvertProgress
{
public:
    // The bar's full width in skin units, whatever the skin draws.
    static constexpr int BarWidth = 335;

    ConvertProgress(RunState &runState, SkinFace &face);

    // Takes the bars' rectangles from the skin and empties the whole run's
    // line; called once at start-up.
    void bind();
    const QRect &ConvertBarRect() const { return m_convertBarRect; }

    // value in hundredths of a percent, 0..10000; 10000 empties the bar. A
    // width above BarWidth is drawn only when skinFlag is set.
    void ShowConvertProgress(int value, bool skinFlag);
    // Converting := false and an empty bar.
    void StopConversion(bool skinFlag);

    // The whole split: value in hundredths of a percent, 0..10000, and the
    // text beside it.
    void ShowRunProgress(int value, const QString &text);
    void ClearRunProgress();

private:
    RunState &m_runState;
    SkinFace &m_face;
    QRect m_convertBarRect;
    QRect m_runBarRect;  // at its full width
};

} // namespace korvex
