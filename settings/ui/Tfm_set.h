#pragma once

#include <QDialog>

namespace korvex {

// The settings dialog: mode, piece length and count, fades, output folder and
// WMA profile. Its pages come with the settings dialog's own work; until then
// it is the empty, correctly sized window.
class Tfm_set : public QDialog
{
    Q_OBJECT
public:
    explicit Tfm_set(QWidget *mainWindow);
};

} // namespace korvex
