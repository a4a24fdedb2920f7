#pragma once

#include <QDialog>

namespace korvex {

// The tag dialog. Its list and edit boxes come with the tag dialog's own
// work; until then it is the empty, correctly sized window.
class Tfm_id3 : public QDialog
{
    Q_OBJECT
public:
    explicit Tfm_id3(QWidget *mainWindow);
};

} // namespace korvex
