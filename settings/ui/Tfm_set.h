#pragma once

#include "components/Seams.h"
#include "settings/SettingsForm.h"

#include <QDialog>
#include <QList>
#include <QPointer>

#include <functional>

class QCheckBox;
class QComboBox;
class QGroupBox;
class QLabel;
class QLineEdit;
class QPushButton;
class QRadioButton;
class QTreeWidget;

namespace korvex {

class SettingsStore;
class Tfm_dir;

// One page of the settings dialog: the node of TreeView1 that shows it, the
// title `lab` shows with it, and its widget, placed where the pages lie. A
// page of its own settings fills itself on show and stores them at "Ok"; a
// KorvexError from `ok` is shown and keeps the dialog open.
struct SettingsPage
{
    QString node;
    QString title;
    QWidget *widget = nullptr;
    std::function<void()> show;
    std::function<void()> ok;
};

// The settings dialog: mode, piece length and count, fades, output folder and
// WMA profile. The radio buttons set the mode at their click; everything
// else is stored by "Ok" (the rules live in SettingsForm). "Cancel" and the
// close box undo nothing: they only close.
class Tfm_set : public QDialog
{
    Q_OBJECT
public:
    // refreshLists is the main window's lvClick, run after "Ok".
    Tfm_set(QWidget *mainWindow, SettingsStore &store, MessageSeam &messages, std::function<void()> refreshLists);

    // The chooser that "..." opens; it puts a confirmed folder into edt_dir.
    void setFolderChooser(Tfm_dir *chooser);
    // Adds a page: its node after the last one of TreeView1, its widget at the
    // place of gb_cdgeneral, hidden until its node is selected.
    void addPage(const SettingsPage &page);
    // Selects the page whose node is `node` (nothing when there is none);
    // the dialog opens on it.
    void selectPage(const QString &node);
    // Where the pages lie, in client pixels.
    static QRect pageArea();

    void FormShow();
    void TreeView1Click();
    void rb_customClick();
    void rb_timeClick();
    void rb_countClick();
    void rb_unificationClick();
    // The character that reaches the field in place of the typed one.
    QChar edt_timeKeyPress(QChar key);
    QChar edt_countKeyPress(QChar key);
    void edt_timeExit();
    void edt_countExit();
    void bt_dirClick();
    void OkClick();
    void Button2Click();
    void CancelClick();

    QTreeWidget *TreeView1 = nullptr;
    QLabel *lab = nullptr;
    QGroupBox *gb_cdgeneral = nullptr;
    QGroupBox *gb_wma = nullptr;
    QPushButton *Ok = nullptr;
    QPushButton *Button2 = nullptr;
    QPushButton *Cancel = nullptr;

    // General page
    QGroupBox *gb_function = nullptr;
    QRadioButton *rb_custom = nullptr;
    QRadioButton *rb_unification = nullptr;
    QRadioButton *rb_count = nullptr;
    QLineEdit *edt_count = nullptr;
    QLabel *lbl_copy = nullptr;
    QRadioButton *rb_time = nullptr;
    QLineEdit *edt_time = nullptr;
    QLabel *lbl_second = nullptr;
    QGroupBox *gb_fade = nullptr;
    QCheckBox *cb_fadein = nullptr;
    QComboBox *cb_fadeintime = nullptr;
    QCheckBox *cb_fadeout = nullptr;
    QComboBox *cb_fadeouttime = nullptr;
    QGroupBox *gb_output = nullptr;
    QLineEdit *edt_dir = nullptr;
    QPushButton *bt_dir = nullptr;

    // WMA page
    QGroupBox *gb_wmaformat = nullptr;
    QComboBox *cb_wma = nullptr;
    // What the encoder makes of the profile shown in cb_wma.
    QLabel *lbl_encoding = nullptr;

protected:
    void showEvent(QShowEvent *event) override;
    void reject() override;
    bool eventFilter(QObject *watched, QEvent *event) override;

private:
    void buildGeneralPage();
    void buildWmaPage();
    void buildButtons();
    void registerPages();
    void connectHandlers();
    void checkModeButton(int mode);
    void setMode(int mode);
    void showForm(const SettingsForm &form);
    SettingsForm readForm() const;
    void showEncoding();
    bool numberFieldKey(QLineEdit *field, QKeyEvent *event);
    void leaveNumberField(QLineEdit *field, int fallback);
    // Runs an action that may raise; the error's text goes to a message box.
    bool guarded(const std::function<void()> &action);

    SettingsStore &m_store;
    MessageSeam &m_messages;
    std::function<void()> m_refreshLists;
    QPointer<Tfm_dir> m_chooser;
    QList<SettingsPage> m_pages;
};

} // namespace korvex
