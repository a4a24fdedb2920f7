#include "app/KeyboardShortcuts.h"

#include <QHash>
#include <QShortcut>
#include <QWidget>

namespace korvex {

namespace {

using Source = CommandTable::Source;

// Play and stop share Space; this is the key of both.
const QKeySequence PlayOrStopKey(Qt::Key_Space);

} // namespace

const QList<KeyboardShortcuts::Key> &KeyboardShortcuts::keys()
{
    static const QList<Key> table = {
        {PlayOrStopKey, Source::Skin, QStringLiteral("play")},
        {PlayOrStopKey, Source::Skin, QStringLiteral("stop")},
        {QKeySequence(Qt::Key_B), Source::Skin, QStringLiteral("Begin")},
        {QKeySequence(Qt::Key_E), Source::Skin, QStringLiteral("End")},
        {QKeySequence(Qt::SHIFT | Qt::Key_B), Source::Menu, QStringLiteral("PlayAroundBegin1")},
        {QKeySequence(Qt::SHIFT | Qt::Key_E), Source::Menu, QStringLiteral("PlayAroundEnd1")},
        {QKeySequence(Qt::Key_Return), Source::Skin, QStringLiteral("Ok")},
        {QKeySequence(Qt::Key_Delete), Source::Skin, QStringLiteral("Remove")},
        {QKeySequence(Qt::CTRL | Qt::Key_Left), Source::Skin, QStringLiteral("hou")},
        {QKeySequence(Qt::CTRL | Qt::Key_Right), Source::Skin, QStringLiteral("qian")},
        {QKeySequence(Qt::CTRL | Qt::Key_O), Source::Skin, QStringLiteral("addfile")},
        {QKeySequence(Qt::CTRL | Qt::SHIFT | Qt::Key_O), Source::Menu, QStringLiteral("AddFolder2")},
        {QKeySequence(Qt::Key_F1), Source::Skin, QStringLiteral("helpfile")},
        {QKeySequence(Qt::CTRL | Qt::Key_Q), Source::Menu, QStringLiteral("Exit1")},
        // the menus of the top row, and F10 for the first of them as on a menu bar
        {QKeySequence(Qt::ALT | Qt::Key_F), Source::Skin, QStringLiteral("file")},
        {QKeySequence(Qt::Key_F10), Source::Skin, QStringLiteral("file")},
        {QKeySequence(Qt::ALT | Qt::Key_A), Source::Skin, QStringLiteral("Action")},
        {QKeySequence(Qt::ALT | Qt::Key_H), Source::Skin, QStringLiteral("Help")},
        {QKeySequence(Qt::Key_F5), Source::Skin, QStringLiteral("Split")},
        {QKeySequence(Qt::Key_F6), Source::Skin, QStringLiteral("Join")},
        {QKeySequence(Qt::Key_Escape), Source::Skin, QStringLiteral("Stop")},
        {QKeySequence(Qt::CTRL | Qt::Key_Comma), Source::Skin, QStringLiteral("Settings")},
        {QKeySequence(Qt::CTRL | Qt::SHIFT | Qt::Key_F), Source::Skin, QStringLiteral("Set")},
        {QKeySequence(Qt::ALT | Qt::Key_Up), Source::Skin, QStringLiteral("Up")},
        {QKeySequence(Qt::ALT | Qt::Key_Down), Source::Skin, QStringLiteral("Down")},
        {QKeySequence(Qt::CTRL | Qt::SHIFT | Qt::Key_Delete), Source::Skin, QStringLiteral("Clear")},
        {QKeySequence(Qt::CTRL | Qt::Key_I), Source::Menu, QStringLiteral("ID31")},
        {QKeySequence(Qt::CTRL | Qt::Key_S), Source::Menu, QStringLiteral("SaveList1")},
        {QKeySequence(Qt::CTRL | Qt::Key_L), Source::Menu, QStringLiteral("OpenList1")},
    };
    return table;
}

KeyboardShortcuts::KeyboardShortcuts(QWidget *window, CommandTable &commands, std::function<bool()> playing)
{
    for (const Key &key : keys()) {
        if (key.keys == PlayOrStopKey)
            continue;
        add(window, key.keys, [&commands, key] { commands.dispatch(key.source, key.command); });
    }
    add(window, PlayOrStopKey, [&commands, playing = std::move(playing)] {
        commands.dispatch(Source::Skin, playing() ? QStringLiteral("stop") : QStringLiteral("play"));
    });
    // Enter on the keypad confirms as Return does.
    add(window, QKeySequence(Qt::Key_Enter), [&commands] { commands.dispatch(Source::Skin, QStringLiteral("Ok")); });
}

void KeyboardShortcuts::add(QWidget *window, const QKeySequence &keys, std::function<void()> action)
{
    auto *shortcut = new QShortcut(keys, window);
    shortcut->setContext(Qt::WindowShortcut);
    shortcut->setAutoRepeat(false);
    QObject::connect(shortcut, &QShortcut::activated, window, std::move(action));
}

void KeyboardShortcuts::showKeysInToolTips(QWidget *face)
{
    if (!face)
        return;
    // a command with two keys names both: "(Alt+F, F10)"
    QStringList commands;
    QHash<QString, QStringList> keyTexts;
    for (const Key &key : keys()) {
        if (key.source != Source::Skin)
            continue;
        if (!keyTexts.contains(key.command))
            commands.append(key.command);
        keyTexts[key.command].append(key.keys.toString(QKeySequence::NativeText));
    }
    for (const QString &command : commands) {
        QWidget *object = face->findChild<QWidget *>(command);
        if (!object)
            continue;
        const QString text = QStringLiteral(" (%1)").arg(keyTexts.value(command).join(QStringLiteral(", ")));
        if (!object->toolTip().endsWith(text))
            object->setToolTip(object->toolTip() + text);
    }
}

} // namespace korvex
