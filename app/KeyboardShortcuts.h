#pragma once

#include "core/CommandTable.h"

#include <QKeySequence>
#include <QList>
#include <QString>

#include <functional>

class QWidget;

namespace korvex {

// The main window's keys. Each one gives a command by its name through the
// core's command table, so a key is refused exactly when its button or menu
// item would be (while converting, for one), and a command that does not
// exist yet does nothing.
class KeyboardShortcuts
{
public:
    struct Key
    {
        QKeySequence keys;
        CommandTable::Source source;
        QString command;   // the skin object or menu item it acts as
    };

    // Space gives "stop" while playing() and "play" otherwise.
    KeyboardShortcuts(QWidget *window, CommandTable &commands, std::function<bool()> playing);

    static const QList<Key> &keys();
    // Adds " (key)" to the tooltip of every skin object under `face` that has
    // a key, so the skin in use says which key does what.
    static void showKeysInToolTips(QWidget *face);

private:
    void add(QWidget *window, const QKeySequence &keys, std::function<void()> action);
};

} // namespace korvex
