#pragma once

#include "components/Seams.h"

namespace korvex {

// Opens folders, files and addresses with the desktop's handler: xdg-open
// where it is installed, whose exit status tells whether a program took the
// address (it has none for a help page when no browser is installed), else
// Qt's own way. A failure reaches the caller's Failure, on the window thread.
class DesktopLauncher : public LauncherSeam
{
public:
    using LauncherSeam::open;
    void open(const QString &pathOrUrl, const Failure &failed) override;
};

} // namespace korvex
