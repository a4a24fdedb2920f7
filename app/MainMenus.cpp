#include "app/MainMenus.h"

#include "widgets/SvgPictures.h"

#include <QAction>
#include <QMenu>

namespace korvex {

namespace {

QIcon menuImage(const QString &iconName, const QColor &tint)
{
    QIcon icon;
    for (const int side : {16, 32})
        icon.addPixmap(RenderSvg(BuiltInIconPath(iconName), side, tint));
    return icon;
}

QList<QIcon> buildImageList()
{
    const QColor accent(0x4F, 0x46, 0xE5);
    const QColor muted(0x64, 0x74, 0x8B);
    const QColor danger(0xE1, 0x1D, 0x48);
    // by design index: 4 and 14 are in the list but no item shows them
    const QList<std::pair<const char *, QColor>> images = {
        {"add", accent},   {"folder", accent}, {"remove", accent}, {"exit", muted},  {"settings", accent},
        {"file", accent},  {"info", accent},   {"globe", accent},  {"book", accent}, {"clear", accent},
        {"tag", accent},   {"up", accent},     {"down", accent},   {"halt", danger}, {"pause", accent},
        {"join", accent},  {"split", accent},  {"play", accent},  {"wave", accent},
    };
    QList<QIcon> list;
    for (const auto &[name, tint] : images)
        list.append(menuImage(QString::fromLatin1(name), tint));
    return list;
}

} // namespace

MainMenus::MainMenus(QWidget *owner, Handler chosen) : ImageList1(buildImageList()), m_chosen(std::move(chosen))
{
    p_lv = build(owner, "p_lv",
                 {{"AddFile1", "Add File", 0}, {"AddFolder1", "Add Path", 1}, {"N1", "-", -1},
                  {"Clear1", "Clear", 9}, {"Remove1", "Remove", 2}, {"N2", "-", -1},
                  {"ID3info1", "ID3 info", 10}, {"N9", "-", -1}, {"UP1", "UP", 11}, {"Down1", "Down", 12},
                  {"N3", "-", -1}, {"Play1", "Play", 17}, {"Stop1", "Stop", 13}});
    p_file = build(owner, "p_file",
                   {{"AddFile2", "Add File", 0}, {"AddFolder2", "Add Folder", 1}, {"N12", "-", -1},
                    {"OpenList1", "Open List…", 5}, {"SaveList1", "Save List…", 5}, {"N4", "-", -1},
                    {"Remove2", "Remove", 2}, {"N5", "-", -1}, {"Exit1", "Exit", 3}});
    p_action = build(owner, "p_action",
                     {{"FileUp1", "File Up", 11}, {"FileDown1", "File Down", 12}, {"N7", "-", -1},
                      {"Remove3", "Remove", 2}, {"Clear2", "Clear", 9}, {"FindSilences1", "Find Silences", 18},
                      {"SegmentsFromChapters1", "Segments from Chapters", 16}, {"ExportCue1", "Export CUE…", 5},
                      {"PlayAroundBegin1", "Play around Begin", 17}, {"PlayAroundEnd1", "Play around End", 17},
                      {"N6", "-", -1},
                      {"ID31", "ID3 info", 10}, {"N8", "-", -1}, {"Start1", "Split", 16}, {"Join1", "Join", 15},
                      {"Stop2", "Stop", 13}});
    p_help = build(owner, "p_help",
                   {{"Content1", "Content", 8}, {"N10", "-", -1}, {"HomePage1", "HomePage", 7}, {"N11", "-", -1},
                    {"About1", "About", 6}});
}

QMenu *MainMenus::build(QWidget *owner, const char *menuName, std::initializer_list<Item> items)
{
    auto *menu = new QMenu(owner);
    menu->setObjectName(QString::fromLatin1(menuName));
    menu->setStyleSheet(QStringLiteral(
        "QMenu { background: #FFFFFF; border: 1px solid #D5DDE8; padding: 4px; font-size: 12px; }"
        "QMenu::item { color: #1E293B; padding: 5px 18px 5px 8px; border-radius: 4px; }"
        "QMenu::item:selected { background: #EEF2FF; color: #312E81; }"
        "QMenu::icon { padding-left: 6px; }"
        "QMenu::separator { height: 1px; background: #E2E8F0; margin: 4px 6px; }"));
    for (const Item &entry : items) {
        const QString name = QString::fromLatin1(entry.name);
        QAction *action = nullptr;
        if (qstrcmp(entry.caption, "-") == 0) {
            action = menu->addSeparator();
        } else {
            action = menu->addAction(ImageList1.value(entry.image), QString::fromUtf8(entry.caption));
            QObject::connect(action, &QAction::triggered, action,
                             [handler = m_chosen, name] { handler(name); });
        }
        action->setObjectName(name);
    }
    m_menus.append(menu);
    return menu;
}

QAction *MainMenus::item(const QString &name) const
{
    for (QMenu *menu : m_menus) {
        if (QAction *found = menu->findChild<QAction *>(name, Qt::FindDirectChildrenOnly))
            return found;
    }
    return nullptr;
}

} // namespace korvex
