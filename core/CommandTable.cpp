#include "core/CommandTable.h"

#include "components/ErrorBoxes.h"
#include "components/Seams.h"

namespace korvex {

CommandTable::CommandTable(MessageSeam &messages, StateSource state)
    : m_messages(messages), m_state(std::move(state))
{
}

// Skin objects and menu items share the table but not the names: a skin
// object that happened to be called like a menu item must not run it.
QString CommandTable::key(Source source, const QString &name)
{
    return (source == Source::Skin ? QStringLiteral("skin:") : QStringLiteral("menu:")) + name;
}

CoreStates CommandTable::state() const
{
    return m_state ? m_state() : CoreStates();
}

void CommandTable::add(Source source, const QString &name, CoreStates runsWhile, Operation operation)
{
    m_table.insert(key(source, name), {runsWhile, std::move(operation)});
}

void CommandTable::add(Source source, const QString &name, Operation operation)
{
    add(source, name, runs_while::Anything, std::move(operation));
}

bool CommandTable::has(Source source, const QString &name) const
{
    return m_table.contains(key(source, name));
}

bool CommandTable::allowed(Source source, const QString &name) const
{
    const auto found = m_table.constFind(key(source, name));
    return found != m_table.constEnd() && (state() & ~found->runsWhile) == CoreStates();
}

bool CommandTable::dispatch(Source source, const QString &name)
{
    const auto found = m_table.constFind(key(source, name));
    if (found == m_table.constEnd())
        return false;
    if ((state() & ~found->runsWhile) != CoreStates())
        return true;
    // a copy: the operation may register commands while it runs
    const Operation operation = found->operation;
    ShowingFailure(m_messages, operation);
    return true;
}

} // namespace korvex
