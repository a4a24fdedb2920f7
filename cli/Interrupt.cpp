#include "cli/Interrupt.h"

#include <csignal>
#include <initializer_list>

namespace korvex::cli {

namespace {

volatile std::sig_atomic_t interrupted = 0;

void noteInterrupt(int)
{
    interrupted = 1;
}

} // namespace

void InstallInterruptHandler()
{
    struct sigaction action = {};
    action.sa_handler = noteInterrupt;
    sigemptyset(&action.sa_mask);
    // SIGTERM (timeout, kill, service managers) and SIGHUP (a closed
    // terminal) stop as Ctrl-C does: the file being written is closed valid.
    for (const int number : {SIGINT, SIGTERM, SIGHUP})
        sigaction(number, &action, nullptr);
    // Over a file-size limit a write fails with EFBIG instead of killing the
    // program, and the writer keeps what the file holds.
    std::signal(SIGXFSZ, SIG_IGN);
}

bool Interrupted()
{
    return interrupted != 0;
}

} // namespace korvex::cli
