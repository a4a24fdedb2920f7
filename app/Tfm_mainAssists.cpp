// What the window offers beyond its buttons and menus: Find Silences in the
// Action menu, keys for the common commands and files dropped on the lists.
// Each reaches the same operations, with the same guards, as a click does.
#include "app/Tfm_main.h"

#include "app/FileDrops.h"
#include "app/KeyboardShortcuts.h"
#include "app/WaveformView.h"
#include "components/skin/SkinForm.h"
#include "components/skin/TSkin.h"
#include "engine/FindSilences.h"
#include "player/PreviewPlayer.h"

#include <QTableView>

namespace korvex {

void Tfm_main::registerAssists()
{
    m_silences = std::make_unique<FindSilences>(m_bench.context);
    connect(m_silences.get(), &FindSilences::stopPlaybackRequested, m_bench.preview(), &PreviewPlayer::StopPlayback,
            Qt::DirectConnection);
    // Like a run: a close meanwhile must wait for the scan to unwind.
    m_commands.add(CommandDispatcher::Source::Menu, QStringLiteral("FindSilences1"),
                   [this] { runFromCommand([this] { m_silences->run(); }); });

    m_keys = std::make_unique<KeyboardShortcuts>(this, m_commands, [this] { return m_bench.player.Playing; });

    m_drops = new FileDrops(
        {lv, lv_time}, [this] { return !m_bench.run.Converting && !m_bench.jobs.Adding(); },
        [this](const QStringList &paths) { m_bench.adder.AddDropped(paths); }, this);
}

void Tfm_main::bindWaveform()
{
    if (SkinForm *form = Skin1->form(this))
        m_waveform = std::make_unique<WaveformView>(*form, m_bench.jobs, m_bench.store.settings(),
                                                    m_bench.skin);
}

} // namespace korvex
