#include "app/WindowAccess.h"

#include "app/FocusRing.h"
#include "widgets/SpokenNames.h"

#include <QAbstractItemView>
#include <QAccessibleWidget>
#include <QShortcut>
#include <QWidget>

namespace korvex::WindowAccess {

namespace {

void nameControls(QWidget *window)
{
    const QList<std::pair<const char *, const char *>> names = {
        {"lv", "Files"}, {"lv_time", "Segments"}, {"sm", "Instructions"}, {"cb_format", "Output format"}};
    for (const auto &[objectName, spoken] : names) {
        if (auto *control = window->findChild<QWidget *>(QString::fromLatin1(objectName)))
            NameForScreenReaders(control, QString::fromLatin1(spoken));
    }
}

// A plain widget as main window would be a nameless pane to a screen
// reader; the frame role makes it read as the application's window.
QByteArray &mainWindowClass()
{
    static QByteArray name;
    return name;
}

QAccessibleInterface *mainWindowFactory(const QString &className, QObject *object)
{
    auto *widget = qobject_cast<QWidget *>(object);
    if (!widget || !widget->isWindow() || className.toLatin1() != mainWindowClass())
        return nullptr;
    return new QAccessibleWidget(widget, QAccessible::Window);
}

// Shift+F10 opens a list's menu as the menu key does, at the current row.
void offerMenuByKey(QAbstractItemView *list)
{
    auto *key = new QShortcut(QKeySequence(Qt::SHIFT | Qt::Key_F10), list);
    key->setContext(Qt::WidgetShortcut);
    QObject::connect(key, &QShortcut::activated, list, [list] {
        const QRect row = list->visualRect(list->currentIndex());
        Q_EMIT list->customContextMenuRequested(row.isValid() ? row.center() : QPoint(8, 8));
    });
}

bool takesTab(const QWidget *control)
{
    return (control->focusPolicy() & Qt::TabFocus) && control->isEnabled();
}

} // namespace

const QStringList &tabOrder()
{
    static const QStringList order = {
        QStringLiteral("file"),  QStringLiteral("Action"), QStringLiteral("Settings"),  QStringLiteral("Help"),
        QStringLiteral("helpfile"), QStringLiteral("addfile"), QStringLiteral("cb_format"), QStringLiteral("Set"),
        QStringLiteral("Up"),    QStringLiteral("Down"),   QStringLiteral("Remove"),    QStringLiteral("Clear"),
        QStringLiteral("lv"),    QStringLiteral("lv_time"), QStringLiteral("Split"),    QStringLiteral("Join"),
        QStringLiteral("Stop"),  QStringLiteral("pb"),     QStringLiteral("hou"),       QStringLiteral("play"),
        QStringLiteral("stop"),  QStringLiteral("qian"),   QStringLiteral("Begin"),     QStringLiteral("End"),
        QStringLiteral("Ok"),
    };
    return order;
}

void prepare(QWidget *window)
{
    mainWindowClass() = window->metaObject()->className();
    static const bool factoryInstalled = [] {
        QAccessible::installFactory(mainWindowFactory);
        return true;
    }();
    Q_UNUSED(factoryInstalled);
    nameControls(window);
    QList<QWidget *> chain;
    for (const QString &name : tabOrder()) {
        QWidget *control = window->findChild<QWidget *>(name);
        if (control && takesTab(control))
            chain.append(control);
    }
    // a skin of one's own may bring controls the order does not know
    for (QWidget *control : window->findChildren<QWidget *>()) {
        if (control->window() == window && takesTab(control) && !chain.contains(control))
            chain.append(control);
    }
    for (qsizetype i = 1; i < chain.size(); ++i)
        QWidget::setTabOrder(chain[i - 1], chain[i]);
    // Tab inside a list would walk its cells instead of leaving it
    for (auto *list : window->findChildren<QAbstractItemView *>()) {
        if (list->window() != window || list->contextMenuPolicy() != Qt::CustomContextMenu)
            continue;
        list->setTabKeyNavigation(false);
        offerMenuByKey(list);
    }
    QList<QWidget *> ownControls;
    for (const char *name : {"lv", "lv_time", "cb_format"}) {
        if (auto *control = window->findChild<QWidget *>(QString::fromLatin1(name)))
            ownControls.append(control);
    }
    new FocusRing(window, ownControls, window->findChild<QWidget *>(QStringLiteral("sm")));
    if (auto *files = window->findChild<QWidget *>(QStringLiteral("lv")))
        files->setFocus(Qt::OtherFocusReason);
}

} // namespace korvex::WindowAccess
