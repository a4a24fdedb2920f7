#pragma once

#include "components/Seams.h"

#include <QPointer>
#include <QWidget>

namespace korvex {

// The desktop's own open, save and folder dialogs.
class FileDialogs : public DialogSeam
{
public:
    explicit FileDialogs(QWidget *parent) : m_parent(parent) {}
    QStringList openFiles(const OpenFilesRequest &request) override;
    QString saveFile(const SaveFileRequest &request) override;
    QString chooseFolder(const QString &caption, bool forOutputFolder) override;

    // "WMA Files(*.wma)|*.wma|All files|*" → the filters of a Qt file dialog:
    // "WMA Files(*.wma)", "All files (*)".
    static QStringList qtFilters(const QString &filter);

private:
    QPointer<QWidget> m_parent;
};

} // namespace korvex
