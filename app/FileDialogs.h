#pragma once

#include "app/ModalHold.h"
#include "components/Seams.h"
#include "settings/ui/Tfm_dir.h"

#include <QPointer>
#include <QWidget>

namespace korvex {

// The desktop's own open and save dialogs, and Korvex's folder chooser. Each
// holds what `hold` gives while it is open.
class FileDialogs : public DialogSeam
{
public:
    FileDialogs(QWidget *parent, const ModalHold &hold) : m_parent(parent), m_hold(hold) {}
    // The chooser is made after the main window that owns these dialogs.
    void setFolderChooser(Tfm_dir *chooser) { m_folderChooser = chooser; }
    QStringList openFiles(const OpenFilesRequest &request) override;
    QString saveFile(const SaveFileRequest &request) override;
    QString chooseFolder(const QString &caption, bool forOutputFolder, const QString &startFolder) override;

    // "WMA Files(*.wma)|*.wma|All files|*" → the filters of a Qt file dialog:
    // "WMA Files(*.wma)", "All files (*)".
    static QStringList qtFilters(const QString &filter);

private:
    QPointer<QWidget> m_parent;
    QPointer<Tfm_dir> m_folderChooser;
    const ModalHold &m_hold;
};

} // namespace korvex
