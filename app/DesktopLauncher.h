#pragma once

#include "components/Seams.h"

namespace korvex {

// Opens folders, files and addresses with the desktop's handler; as with the
// command lines it stands in for, failures are not reported.
class DesktopLauncher : public LauncherSeam
{
public:
    void open(const QString &pathOrUrl) override;
};

} // namespace korvex
