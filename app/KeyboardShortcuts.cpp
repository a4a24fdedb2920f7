#include "app/KeyboardShortcuts.h"

#include <QShortcut>
#include <QWidget>

namespace korvex {

namespace {

using Source = CommandDispatcher::Source;

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
    };
    return table;
}

KeyboardShortcuts::KeyboardShortcuts(QWidget *window, CommandDispatcher &commands, std::function<bool()> playing)
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
    for (const Key &key : keys()) {
        if (key.source != Source::Skin)
            continue;
        QWidget *object = face->findChild<QWidget *>(key.command);
        if (!object)
            continue;
        const QString text = QStringLiteral(" (%1)").arg(key.keys.toString(QKeySequence::NativeText));
        if (!object->toolTip().endsWith(text))
            object->setToolTip(object->toolTip() + text);
    }
}

} // namespace korvex
