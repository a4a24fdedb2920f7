#pragma once

#include "core/CoreState.h"

#include <QHash>
#include <QString>

#include <functional>

namespace korvex {

class MessageSeam;

// The one table from command names to operations and the states each may run
// in. Skin objects and menu items are looked up by their exact, case-sensitive
// names ("stop" and "Stop" are two commands); a name nobody registered does
// nothing, and neither does a command given in a state it is not declared to
// run in. An error escaping an operation is shown in an error box with its
// text.
class CommandTable
{
public:
    using Operation = std::function<void()>;
    using StateSource = std::function<CoreStates()>;
    enum class Source { Skin, Menu };

    // `state` tells what the core is doing now; without one the core is
    // always idle.
    explicit CommandTable(MessageSeam &messages, StateSource state = {});

    // Registering a name again replaces its operation and its states.
    void add(Source source, const QString &name, CoreStates runsWhile, Operation operation);
    // A command that runs in any state.
    void add(Source source, const QString &name, Operation operation);
    bool has(Source source, const QString &name) const;
    // The name has an operation, and the core's state is one it runs in.
    bool allowed(Source source, const QString &name) const;
    // True when the name had an operation (which then ran, if allowed).
    bool dispatch(Source source, const QString &name);

private:
    struct Command
    {
        CoreStates runsWhile;
        Operation operation;
    };
    static QString key(Source source, const QString &name);
    CoreStates state() const;

    MessageSeam &m_messages;
    StateSource m_state;
    QHash<QString, Command> m_table;
};

} // namespace korvex
