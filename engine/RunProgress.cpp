#include "engine/RunProgress.h"

#include "components/SkinFace.h"
#include "engine/ConvertProgress.h"
#include "settings/Settings.h"

namespace korvex {

namespace {
const QString PercentText = QStringLiteral("pbpos");
} // namespace

void RunProgress::show(int value)
{
    m_context.skin.setText(PercentText, QString::number(value / 100) + QLatin1Char('%'));
    m_context.skin.redraw(PercentText);
    m_context.progress.ShowConvertProgress(value, m_context.settings.settings().SkinFlag);
}

void RunProgress::clear()
{
    m_context.skin.setText(PercentText, QString());
    m_context.skin.redraw(PercentText);
    m_context.progress.ShowConvertProgress(0, m_context.settings.settings().SkinFlag);
}

} // namespace korvex
