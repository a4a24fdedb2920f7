#pragma once

#include "components/KorvexError.h"

#include <QString>

#include <csignal>
#include <functional>
#include <sys/resource.h>

namespace korvex::test {

// Runs `write` with the file size limit of the process at `bytes`, as a full
// disk would stop it; returns the text of the KorvexError it raised.
inline QString failureUnderSizeLimit(rlim_t bytes, const std::function<void()> &write)
{
    std::signal(SIGXFSZ, SIG_IGN);
    rlimit previous{};
    getrlimit(RLIMIT_FSIZE, &previous);
    rlimit limited = previous;
    limited.rlim_cur = bytes;
    setrlimit(RLIMIT_FSIZE, &limited);
    QString failure;
    try {
        write();
    } catch (const KorvexError &error) {
        failure = error.text();
    }
    setrlimit(RLIMIT_FSIZE, &previous);
    return failure;
}

} // namespace korvex::test
