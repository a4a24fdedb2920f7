#pragma once

#include "components/Seams.h"

#include <QDialog>

#include <memory>

class QAbstractFileIconProvider;
class QFileSystemModel;
class QPushButton;
class QTreeView;

namespace korvex {

class SettingsFile;

// The folder chooser: the desktop's folders from "/" down, the home folder
// shown and selected when it first opens. It serves the settings dialog's
// "..." (the output folder, which "Ok" stores at once) and "Add Folder" (a
// folder handed back and nothing stored). It always opens over the main
// window's top-left corner; the close box and Escape are "Cancel".
class Tfm_dir : public QDialog
{
    Q_OBJECT
public:
    Tfm_dir(QWidget *mainWindow, SettingsFile &settingsFile, MessageSeam &messages);
    ~Tfm_dir() override;

    // Shows the chooser modally with the caption; the chosen folder (no
    // trailing "/" added), or empty when the user cancels.
    QString ChooseFolder(const QString &caption, bool forOutput, const QString &startFolder = {});

    void FormShow();
    void btn_okClick();
    void btn_cancelClick();
    void Button1Click();

    // The selected folder's path; empty when no folder is selected.
    QString selectedFolder() const;
    // Selects the folder and shows it, opening the folders above it.
    void selectFolder(const QString &path);

    QTreeView *ShellTreeView1 = nullptr;
    QFileSystemModel *folders = nullptr;
    QPushButton *Button1 = nullptr;
    QPushButton *btn_ok = nullptr;
    QPushButton *btn_cancel = nullptr;

    // The result, kept between showings.
    QString ChosenFolder;
    // True while the chooser is open for the output folder.
    bool FolderChooserForOutput = false;

Q_SIGNALS:
    // "Ok" stored this folder as the output folder; the settings dialog shows
    // it in its path field.
    void outputFolderChosen(const QString &path);

protected:
    void showEvent(QShowEvent *event) override;
    void reject() override;

private:
    void buildTree();
    void showSelectionState();
    // True when the output folder could be stored (or did not need to be).
    bool storeOutputFolder();

    SettingsFile &m_settingsFile;
    MessageSeam &m_messages;
    bool m_homeShown = false;
    // The model's reading thread asks the icons for pictures until the model
    // has gone, so they are made first and go last.
    std::unique_ptr<QAbstractFileIconProvider> m_icons;
    std::unique_ptr<QFileSystemModel> m_folders;
};

} // namespace korvex
