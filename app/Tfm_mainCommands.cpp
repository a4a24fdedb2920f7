// The window's own commands: its popup menus, dialogs, help and exit. They
// go into the core's command table beside the core's commands, with the
// states each runs in declared there.
#include "app/Tfm_main.h"

#include "app/Tfm_about.h"
#include "settings/ui/Tfm_set.h"
#include "tags/ui/Tfm_id3.h"

#include <QMenu>

namespace korvex {

void Tfm_main::registerCommands()
{
    using Source = CommandTable::Source;
    using namespace runs_while;
    CommandTable &commands = m_core.commands();
    auto skin = [&commands](const char *name, CoreStates runsWhile, CommandTable::Operation operation) {
        commands.add(Source::Skin, QString::fromLatin1(name), runsWhile, std::move(operation));
    };
    auto menu = [&commands](std::initializer_list<const char *> names, const CommandTable::Operation &operation) {
        for (const char *name : names)
            commands.add(Source::Menu, QString::fromLatin1(name), Anything, operation);
    };
    m_modalHold.setProvider([this] { return std::make_shared<RunHold>(m_core.holdRun()); });
    // a modal dialog holds the run while it is open; what its Ok stored
    // reaches the run before it goes on
    auto showSettings = [this] {
        if (fm_set)
            m_modalHold.around([this] {
                fm_set->exec();
                m_core.settingsChanged();
            });
    };
    auto showTags = [this] {
        if (fm_id3)
            m_modalHold.around([this] {
                fm_id3->exec();
                m_core.tagsChanged();
            });
    };

    skin("file", NotConverting, [this] { popupAt(menus->p_file, 19, 80); });
    skin("Action", NotConverting, [this] { popupAt(menus->p_action, 69, 80); });
    skin("Help", Anything, [this] { popupAt(menus->p_help, 276, 80); });
    skin("Settings", Anything, showSettings);
    skin("Set", Anything, [this] { showFormatSettings(); });
    skin("helpfile", Anything, [this] { openHelp(); });

    menu({"ID3info1", "ID31"}, showTags);
    menu({"Exit1"}, [this] { close(); });
    menu({"Content1"}, [this] { openHelp(); });
    menu({"HomePage1"}, [this] { m_seams.launcher->open(HomePage); });
    menu({"About1"}, [this] {
        if (fm_about)
            m_modalHold.around([this] { fm_about->exec(); });
    });
    m_core.setRunSurround([this](const std::function<void()> &run) { runFromCommand(run); });
}

} // namespace korvex
