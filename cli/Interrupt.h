#pragma once

namespace korvex::cli {

// Ctrl-C, SIGTERM and SIGHUP only set a flag here (nothing else is safe inside a signal
// handler); the message pump hook turns it into Stop at the run's next check.
void InstallInterruptHandler();
bool Interrupted();

} // namespace korvex::cli
