#pragma once

#include "components/Seams.h"
#include "settings/ui/Tfm_dir.h"

#include <QPointer>
#include <QWidget>

namespace korvex {

// The desktop's own open and save dialogs, and Korvex's folder chooser.
class FileDialogs : public DialogSeam
{
public:
    explicit FileDialogs(QWidget *parent) : m_parent(parent) {}
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
};

} // namespace korvex
