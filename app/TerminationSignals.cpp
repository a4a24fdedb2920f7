#include "app/TerminationSignals.h"

#include <QSocketNotifier>

#include <csignal>
#include <pthread.h>
#include <sys/socket.h>
#include <unistd.h>
#include <utility>

namespace korvex {

namespace {

// [0] is written by the signal handler, [1] read on the window thread.
int signalSockets[2] = {-1, -1};

void onSignal(int)
{
    const char byte = 1;
    [[maybe_unused]] const ssize_t written = ::write(signalSockets[0], &byte, 1);
}

sigset_t terminationSet()
{
    sigset_t set;
    sigemptyset(&set);
    for (const int signal : {SIGTERM, SIGINT, SIGHUP})
        sigaddset(&set, signal);
    return set;
}

} // namespace

HeldTerminationSignals::HeldTerminationSignals()
{
    const sigset_t set = terminationSet();
    // Threads started from here on inherit the mask, so the signals reach
    // the main thread once it lets them.
    m_held = pthread_sigmask(SIG_BLOCK, &set, nullptr) == 0;
}

void HeldTerminationSignals::release()
{
    if (!std::exchange(m_held, false))
        return;
    const sigset_t set = terminationSet();
    pthread_sigmask(SIG_UNBLOCK, &set, nullptr);
}

TerminationSignals::TerminationSignals(QObject *parent) : QObject(parent)
{
    // Over a file-size limit a write fails with EFBIG instead of killing the
    // program, and the writer keeps what the file holds.
    std::signal(SIGXFSZ, SIG_IGN);
    if (::socketpair(AF_UNIX, SOCK_STREAM, 0, signalSockets) != 0)
        return;
    m_notifier = new QSocketNotifier(signalSockets[1], QSocketNotifier::Read, this);
    connect(m_notifier, &QSocketNotifier::activated, this, &TerminationSignals::readSignal);
    struct sigaction action = {};
    action.sa_handler = onSignal;
    sigemptyset(&action.sa_mask);
    action.sa_flags = SA_RESTART;
    for (const int signal : {SIGTERM, SIGINT, SIGHUP})
        ::sigaction(signal, &action, nullptr);
}

TerminationSignals::~TerminationSignals()
{
    for (const int signal : {SIGTERM, SIGINT, SIGHUP})
        std::signal(signal, SIG_DFL);
    for (int &socket : signalSockets) {
        if (socket >= 0)
            ::close(socket);
        socket = -1;
    }
}

void TerminationSignals::readSignal()
{
    char byte = 0;
    [[maybe_unused]] const ssize_t read = ::read(signalSockets[1], &byte, 1);
    Q_EMIT terminationRequested();
}

} // namespace korvex
