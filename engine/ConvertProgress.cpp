#include "engine/ConvertProgress.h"

#include "components/SkinFace.h"
#include "joblist/ListActivity.h"

#include <algorithm>
#include <cstdlib>

namespace korvex {

namespace {

// value × BarWidth ÷ 10000 with halves away from zero (the MulDiv rule).
int barWidthFor(int value)
{
    const qint64 product = static_cast<qint64>(value) * ConvertProgress::BarWidth;
    const qint64 magnitude = (std::llabs(product) + 5000) / 10000;
    return static_cast<int>(product < 0 ? -magnitude : magnitude);
}

} // namespace

ConvertProgress::ConvertProgress(RunState &runState, SkinFace &face) : m_runState(runState), m_face(face)
{
}

void ConvertProgress::bind()
{
    m_convertBarRect = m_face.rect(skin_object::Bar);
    m_runBarRect = m_face.rect(skin_object::RunBar);
    ClearRunProgress();
}

void ConvertProgress::ShowConvertProgress(int value, bool skinFlag)
{
    if (value == 10000)
        value = 0;
    const int width = barWidthFor(value);
    if (!skinFlag && width > BarWidth)
        return;
    m_convertBarRect.setWidth(width);
    m_face.setRect(skin_object::Bar, m_convertBarRect);
    m_face.redraw(skin_object::Bar);
}

void ConvertProgress::ShowRunProgress(int value, const QString &text)
{
    QRect bar = m_runBarRect;
    bar.setWidth(static_cast<int>(static_cast<qint64>(std::clamp(value, 0, 10000)) * m_runBarRect.width() / 10000));
    m_face.setRect(skin_object::RunBar, bar);
    m_face.redraw(skin_object::RunBar);
    if (m_face.text(skin_object::RunPieceText) != text) {
        m_face.setText(skin_object::RunPieceText, text);
        m_face.redraw(skin_object::RunPieceText);
    }
}

void ConvertProgress::ClearRunProgress()
{
    ShowRunProgress(0, QString());
}

void ConvertProgress::StopConversion(bool skinFlag)
{
    m_runState.Converting = false;
    ShowConvertProgress(0, skinFlag);
}

} // namespace korvex
