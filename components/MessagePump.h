#pragma once

#include <functional>

namespace korvex {

// Long operations (adding files, split and join runs) call this between steps
// so the window stays alive and Stop can be clicked. By default it processes
// the pending events of the application object; a front end may install its
// own hook (korvex-cli uses it to notice Ctrl-C).
void ProcessPendingMessages();

using MessagePumpHook = std::function<void()>;
// Returns the previous hook; an empty hook restores the default.
MessagePumpHook SetMessagePumpHook(MessagePumpHook hook);

} // namespace korvex
