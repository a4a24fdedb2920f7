#include "app/StartupClock.h"

#include <QCoreApplication>
#include <QEvent>
#include <QTimer>
#include <cstdio>

namespace korvex {

StartupClock::StartupClock()
{
    m_clock.start();
}

bool StartupClock::reporting()
{
    return qEnvironmentVariableIsSet("KORVEX_STARTUP_REPORT");
}

void StartupClock::watch(QObject *window)
{
    if (reporting())
        window->installEventFilter(this);
}

bool StartupClock::eventFilter(QObject *watched, QEvent *event)
{
    if (event->type() == QEvent::Paint && !m_painted) {
        m_painted = true;
        watched->removeEventFilter(this);
        std::fprintf(stderr, "korvex: first paint %.1f ms after main\n", double(m_clock.nsecsElapsed()) / 1e6);
        // Closed as a user closes it, so the program ends its usual way.
        QTimer::singleShot(0, watched, [watched] { QMetaObject::invokeMethod(watched, "close"); });
    }
    return QObject::eventFilter(watched, event);
}

} // namespace korvex
