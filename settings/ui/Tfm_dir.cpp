#include "settings/ui/Tfm_dir.h"

namespace korvex {

Tfm_dir::Tfm_dir(QWidget *mainWindow) : QDialog(mainWindow)
{
    setObjectName(QStringLiteral("fm_dir"));
    setWindowTitle(QStringLiteral("fm_dir"));
    setFixedSize(286, 281);
}

} // namespace korvex
