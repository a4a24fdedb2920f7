#pragma once

#include <QDialog>

namespace korvex {

// The output folder chooser; every caller sets its caption before showing
// it. Its folder tree comes with the chooser's own work.
class Tfm_dir : public QDialog
{
    Q_OBJECT
public:
    explicit Tfm_dir(QWidget *mainWindow);
};

} // namespace korvex
