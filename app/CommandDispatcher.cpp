#include "app/CommandDispatcher.h"

#include "components/ErrorBoxes.h"
#include "components/Seams.h"

namespace korvex {

CommandDispatcher::CommandDispatcher(MessageSeam &messages) : m_messages(messages)
{
}

// Skin objects and menu items share the table but not the names: a skin
// object that happened to be called like a menu item must not run it.
QString CommandDispatcher::key(Source source, const QString &name)
{
    return (source == Source::Skin ? QStringLiteral("skin:") : QStringLiteral("menu:")) + name;
}

void CommandDispatcher::add(Source source, const QString &name, Operation operation)
{
    m_table.insert(key(source, name), std::move(operation));
}

bool CommandDispatcher::has(Source source, const QString &name) const
{
    return m_table.contains(key(source, name));
}

bool CommandDispatcher::dispatch(Source source, const QString &name)
{
    const auto found = m_table.constFind(key(source, name));
    if (found == m_table.constEnd())
        return false;
    // a copy: the operation may register commands while it runs
    const Operation operation = *found;
    ShowingFailure(m_messages, operation);
    return true;
}

} // namespace korvex
