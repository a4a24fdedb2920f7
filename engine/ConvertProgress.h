#pragma once

#include <QRect>

namespace korvex {

class SkinFace;
struct RunState;

// The conversion bar "convertpb": progress is drawn by moving the right edge
// of the rectangle the skin gave the bar at start-up.
class ConvertProgress
{
public:
    // The bar's full width in skin units, whatever the skin draws.
    static constexpr int BarWidth = 335;

    ConvertProgress(RunState &runState, SkinFace &face);

    // Takes the bar's rectangle from the skin; called once at start-up.
    void bind();
    const QRect &ConvertBarRect() const { return m_convertBarRect; }

    // value in hundredths of a percent, 0..10000; 10000 empties the bar. A
    // width above BarWidth is drawn only when skinFlag is set.
    void ShowConvertProgress(int value, bool skinFlag);
    // Converting := false and an empty bar.
    void StopConversion(bool skinFlag);

private:
    RunState &m_runState;
    SkinFace &m_face;
    QRect m_convertBarRect;
};

} // namespace korvex
