#pragma once

#include <QIcon>
#include <QList>
#include <QString>

#include <functional>

class QAction;
class QMenu;
class QWidget;

namespace korvex {

// The pop-up menus of the main window and their image list. Every item is a
// QAction named after its design name (AddFile1, Start1, ...); choosing one
// calls the handler with that name, so the command table decides what runs.
class MainMenus
{
public:
    using Handler = std::function<void(const QString &itemName)>;

    MainMenus(QWidget *owner, Handler chosen);

    QList<QIcon> ImageList1;  // 16 × 16 menu images, by design index
    QMenu *p_lv = nullptr;
    QMenu *p_file = nullptr;
    QMenu *p_action = nullptr;
    QMenu *p_help = nullptr;

    // The item or separator of that design name in any menu, or nullptr.
    QAction *item(const QString &name) const;

private:
    struct Item
    {
        const char *name;
        const char *caption;  // "-" for a separator
        int image;            // index in ImageList1, -1 for none
    };
    QMenu *build(QWidget *owner, const char *menuName, std::initializer_list<Item> items);

    Handler m_chosen;
    QList<QMenu *> m_menus;
};

} // namespace korvex
