#pragma once

#include <QHash>
#include <QString>

#include <functional>

namespace korvex {

class MessageSeam;

// The one table from command names to operations. Skin objects and menu
// items are looked up by their exact, case-sensitive names ("stop" and
// "Stop" are two commands); a name nobody registered does nothing. An error
// escaping an operation is shown in an error box with its text.
class CommandDispatcher
{
public:
    using Operation = std::function<void()>;
    enum class Source { Skin, Menu };

    explicit CommandDispatcher(MessageSeam &messages);

    // Registering a name again replaces its operation.
    void add(Source source, const QString &name, Operation operation);
    bool has(Source source, const QString &name) const;

    // True when the name had an operation (which then ran).
    bool dispatch(Source source, const QString &name);

private:
    static QString key(Source source, const QString &name);

    MessageSeam &m_messages;
    QHash<QString, Operation> m_table;
};

} // namespace korvex
