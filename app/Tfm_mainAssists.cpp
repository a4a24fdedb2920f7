// What the window offers beyond its buttons and menus: Find Silences in the
// Action menu, keys for the common commands and files dropped on the lists.
// Each reaches the same operations, with the same guards, as a click does.
#include "app/Tfm_main.h"

#include "app/FileDrops.h"
#include "app/KeyboardShortcuts.h"
#include "app/WaveformView.h"
#include "components/skin/SkinForm.h"
#include "components/skin/TSkin.h"

#include <QTableView>

namespace korvex {

void Tfm_main::registerAssists()
{
    m_keys = std::make_unique<KeyboardShortcuts>(this, m_core.commands(), [this] { return m_core.player().Playing; });

    m_drops = new FileDrops(
        {lv, lv_time}, [this] { return !(m_core.state() & (CoreState::Converting | CoreState::Adding)); },
        [this](const QStringList &paths) { m_core.adder().AddDropped(paths); }, this);
}

void Tfm_main::bindWaveform()
{
    if (SkinForm *form = Skin1->form(this))
        m_waveform = std::make_unique<WaveformView>(*form, m_core.jobs(), m_core.store().settings(),
                                                    m_core.skin());
}

} // namespace korvex
