#pragma once

#include <QDialog>

class QLabel;

namespace korvex {

// The about box: product name, version, what Korvex does, and its home page.
// It opens over the main window's top-left corner.
class Tfm_about : public QDialog
{
    Q_OBJECT
public:
    Tfm_about(const QString &homePage, QWidget *mainWindow);

    QLabel *lbl_name = nullptr;
    QLabel *lbl_version = nullptr;    // "Version: "
    QLabel *lbl_number = nullptr;     // the product's version, "3.00"
    QLabel *lbl_cut = nullptr;
    QLabel *lbl_marge = nullptr;
    QLabel *lbl_home = nullptr;

protected:
    void showEvent(QShowEvent *event) override;
};

} // namespace korvex
