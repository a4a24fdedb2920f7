#include "components/MessagePump.h"

#include <QCoreApplication>

namespace korvex {

namespace {
MessagePumpHook &currentHook()
{
    static MessagePumpHook hook;
    return hook;
}
} // namespace

void ProcessPendingMessages()
{
    if (currentHook()) {
        currentHook()();
        return;
    }
    if (QCoreApplication::instance())
        QCoreApplication::processEvents();
}

MessagePumpHook SetMessagePumpHook(MessagePumpHook hook)
{
    return std::exchange(currentHook(), std::move(hook));
}

} // namespace korvex
