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

// Does `work` on a helper thread while the calling thread keeps processing
// its events, and returns when `work` has returned; what `work` throws is
// thrown here. For steps that may block (a decode, an encoder that is behind,
// closing a file) so that the window answers meanwhile. `work` must touch
// nothing the events may change: it gets copies, or objects no command uses
// while a run converts. With a hook installed, or off the application's
// thread, `work` simply runs here: a hook is called between steps only.
void AnswerEventsDuring(const std::function<void()> &work);

} // namespace korvex
