#include "tags/ui/Tfm_id3.h"

namespace korvex {

Tfm_id3::Tfm_id3(QWidget *mainWindow) : QDialog(mainWindow)
{
    setObjectName(QStringLiteral("fm_id3"));
    setWindowTitle(QStringLiteral("ID3 Edit"));
    setFixedSize(419, 288);
}

} // namespace korvex
