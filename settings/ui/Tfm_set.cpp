#include "settings/ui/Tfm_set.h"

namespace korvex {

Tfm_set::Tfm_set(QWidget *mainWindow) : QDialog(mainWindow)
{
    setObjectName(QStringLiteral("fm_set"));
    setWindowTitle(QStringLiteral("Settings"));
    setFixedSize(384, 311);
}

} // namespace korvex
