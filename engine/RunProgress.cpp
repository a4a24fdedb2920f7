#include "engine/RunProgress.h"

#include "components/SkinFace.h"
#include "engine/ConvertProgress.h"
#include "joblist/Scale.h"
#include "settings/Settings.h"

namespace korvex {

namespace {

// done × 10000 ÷ total with halves rounded up, as Scale gives it, but with
// 64-bit operands: a join of many long files has more frames than an int holds.
int hundredthsOfPercent(qint64 done, qint64 total)
{
    if (total <= 0)
        return -1;
    return ClampToInt((done * 20000 + total) / (2 * total));
}

} // namespace

void RunProgress::show(int value)
{
    m_skin.setText(skin_object::PercentText, QString::number(value / 100) + QLatin1Char('%'));
    m_skin.redraw(skin_object::PercentText);
    m_bar.ShowConvertProgress(value, m_settings.settings().SkinFlag);
}

void RunProgress::showFrames(qint64 done, qint64 total)
{
    show(hundredthsOfPercent(done, total));
}

void RunProgress::clear()
{
    m_skin.setText(skin_object::PercentText, QString());
    m_skin.redraw(skin_object::PercentText);
    m_bar.ShowConvertProgress(0, m_settings.settings().SkinFlag);
}

} // namespace korvex
