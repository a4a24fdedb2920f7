// The window's side of the desktop around it: files handed in from outside
// and the front of the window stack.
#include "app/Tfm_main.h"

#include "app/IncomingFiles.h"
#include "app/InstanceChannel.h"

#include <QApplication>

namespace korvex {

void Tfm_main::takeFiles(const QStringList &files)
{
    m_incoming->take(files);
}

void Tfm_main::acceptFilesFrom(InstanceServer &server)
{
    connect(&server, &InstanceServer::filesReceived, this, [this](const QStringList &files) {
        takeFiles(files);
        bringToFront();
    });
}

void Tfm_main::bringToFront()
{
    setWindowState((windowState() & ~Qt::WindowMinimized) | Qt::WindowActive);
    show();
    raise();
    activateWindow();
}

// A run holds the lists until it has wound down, not only while it converts;
// a dialog holds the window; a closed window takes nothing.
bool Tfm_main::busy() const
{
    return (m_core.state() & (CoreState::Converting | CoreState::Adding)) || m_core.control().Busy()
           || QApplication::activeModalWidget() != nullptr || !isVisible();
}

} // namespace korvex
