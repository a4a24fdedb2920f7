// The operations behind the names of skin objects and menu items. Each later
// command adds its line here; the guards are those of the command table.
#include "app/Tfm_main.h"

#include "app/Tfm_about.h"
#include "settings/ui/Tfm_set.h"
#include "tags/ui/Tfm_id3.h"

#include <QMenu>

namespace korvex {

void Tfm_main::registerCommands()
{
    using Source = CommandDispatcher::Source;
    auto skin = [this](const char *name, CommandDispatcher::Operation operation) {
        m_commands.add(Source::Skin, QString::fromLatin1(name), std::move(operation));
    };
    auto menu = [this](std::initializer_list<const char *> names, const CommandDispatcher::Operation &operation) {
        for (const char *name : names)
            m_commands.add(Source::Menu, QString::fromLatin1(name), operation);
    };
    auto converting = [this] { return m_bench.run.Converting; };
    auto showSettings = [this] {
        if (fm_set)
            fm_set->exec();
    };
    auto showTags = [this] {
        if (fm_id3)
            fm_id3->exec();
    };
    // after a click on lv_time the skin's Remove and Clear act on segments
    auto segmentsOrFiles = [this, converting](std::function<void()> onSegments, std::function<void()> onFiles) {
        return [this, converting, onSegments, onFiles] {
            if (converting())
                return;
            if (m_bench.jobs.SegmentSelected)
                onSegments();
            else
                onFiles();
        };
    };
    auto clear = segmentsOrFiles([this] { m_bench.editor.ClearSegments(); }, [this] { m_bench.editor.ClearJob(); });
    auto removeFile = [this, converting] {
        if (!converting() && !m_bench.jobs.SegmentSelected)
            m_bench.editor.RemoveFile();
    };

    skin("file", [this, converting] {
        if (!converting())
            popupAt(menus->p_file, 19, 80);
    });
    skin("Action", [this, converting] {
        if (!converting())
            popupAt(menus->p_action, 69, 80);
    });
    skin("Help", [this] { popupAt(menus->p_help, 276, 80); });
    skin("Settings", showSettings);
    skin("Set", showSettings);
    skin("helpfile", [this] { openHelp(); });
    skin("addfile", [this, converting] {
        if (!converting())
            m_bench.adder.AddFiles();
    });
    skin("Up", [this] { m_bench.editor.MoveUp(); });
    skin("Down", [this] { m_bench.editor.MoveDown(); });
    skin("Remove",
         segmentsOrFiles([this] { m_bench.marker.RemoveSegment(); }, [this] { m_bench.editor.RemoveFile(); }));
    skin("Clear", clear);

    menu({"AddFile1", "AddFile2"}, [this] { m_bench.adder.AddFiles(); });
    menu({"AddFolder1", "AddFolder2"}, [this] { m_bench.adder.AddFolder(); });
    menu({"Clear1", "Clear2"}, clear);
    menu({"Remove1", "Remove2", "Remove3"}, removeFile);
    menu({"UP1", "FileUp1"}, [this] { m_bench.editor.MoveUp(); });
    menu({"Down1", "FileDown1"}, [this] { m_bench.editor.MoveDown(); });
    menu({"ID3info1", "ID31"}, showTags);
    menu({"Exit1"}, [this] { close(); });
    menu({"Content1"}, [this] { openHelp(); });
    menu({"HomePage1"}, [this] { m_seams.launcher->open(HomePage); });
    menu({"About1"}, [this] {
        if (fm_about)
            fm_about->exec();
    });
    registerRunCommands();
    registerPlayerCommands();
}

} // namespace korvex
