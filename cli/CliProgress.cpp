#include "cli/CliProgress.h"

#include "components/SkinFace.h"
#include "core/Core.h"
#include "joblist/StatusWords.h"

#include <cstdio>

namespace korvex::cli {

namespace {
constexpr int BarCells = 30;
} // namespace

CliProgress::CliProgress(Core &core, bool terminal) : m_core(core), m_terminal(terminal)
{
    connect(&core.skin(), &SkinFace::redrawRequested, this, &CliProgress::onRedraw);
    connect(core.jobs().segmentModel(), &SegmentListModel::dataChanged, this, &CliProgress::onSegmentsChanged);
    connect(&core.control(), &RunControl::outputWritten, this, &CliProgress::onOutputWritten);
}

void CliProgress::onRedraw(const QString &name)
{
    if (name != skin_object::PercentText || !m_terminal)
        return;
    const QString text = m_core.skin().text(skin_object::PercentText);
    if (text.isEmpty())
        return;
    m_percent = qBound(0, text.chopped(1).toInt(), 100);
    drawBar();
}

void CliProgress::onSegmentsChanged()
{
    const SegmentListModel &segments = *m_core.jobs().segmentModel();
    for (int row = 0; row < segments.rowCount(); ++row) {
        if (segments.status(row) == status_word::Converting) {
            const int entry = m_core.jobs().SelectedFileRow;
            m_label = m_core.jobs().fileModel()->row(entry).caption + QLatin1Char(' ') + segments.row(row).caption;
            return;
        }
    }
}

void CliProgress::onOutputWritten(const QString &path)
{
    clearBar();
    std::printf("%s\n", path.toLocal8Bit().constData());
    std::fflush(stdout);
}

void CliProgress::drawBar()
{
    const int filled = m_percent * BarCells / 100;
    const QString bar = QString(filled, QLatin1Char('#')) + QString(BarCells - filled, QLatin1Char(' '));
    std::printf("\r\033[K%3d%% [%s] %s", m_percent, bar.toLocal8Bit().constData(), m_label.toLocal8Bit().constData());
    std::fflush(stdout);
    m_barShown = true;
}

void CliProgress::clearBar()
{
    if (!m_barShown)
        return;
    std::printf("\r\033[K");
    m_barShown = false;
}

void CliProgress::finish()
{
    clearBar();
    std::fflush(stdout);
}

} // namespace korvex::cli
