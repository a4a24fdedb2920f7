#include "app/FileDialogs.h"

#include <QFileDialog>

namespace korvex {

QStringList FileDialogs::qtFilters(const QString &filter)
{
    const QStringList parts = filter.split(QLatin1Char('|'));
    QStringList filters;
    for (qsizetype i = 0; i + 1 < parts.size(); i += 2) {
        QString patterns = parts[i + 1];
        patterns.replace(QLatin1Char(';'), QLatin1Char(' '));
        // a name that already ends in its patterns shows them once
        const QString shown = QStringLiteral("(%1)").arg(patterns);
        filters.append(parts[i].endsWith(shown) ? parts[i] : QStringLiteral("%1 %2").arg(parts[i], shown));
    }
    return filters;
}

QStringList FileDialogs::openFiles(const OpenFilesRequest &request)
{
    QFileDialog dialog(m_parent);
    dialog.setAcceptMode(QFileDialog::AcceptOpen);
    dialog.setFileMode(request.multiple ? QFileDialog::ExistingFiles : QFileDialog::ExistingFile);
    const QStringList filters = qtFilters(request.filter);
    dialog.setNameFilters(filters);
    if (!filters.isEmpty())
        dialog.selectNameFilter(filters.value(request.filterIndex, filters.first()));
    if (!request.startFolder.isEmpty())
        dialog.setDirectory(request.startFolder);
    dialog.setSizeGripEnabled(true);
    if (m_hold.around([&] { return dialog.exec(); }) != QDialog::Accepted)
        return {};
    return dialog.selectedFiles();
}

QString FileDialogs::saveFile(const SaveFileRequest &request)
{
    QFileDialog dialog(m_parent);
    dialog.setAcceptMode(QFileDialog::AcceptSave);
    dialog.setFileMode(QFileDialog::AnyFile);
    dialog.setDirectory(request.startFolder);
    const QStringList filters = qtFilters(request.filter);
    dialog.setNameFilters(filters);
    if (!filters.isEmpty())
        dialog.selectNameFilter(filters.value(request.filterIndex, filters.first()));
    // With the suffix added here, the dialog's question about replacing a
    // file is about the file that will really be written.
    dialog.setDefaultSuffix(request.defaultSuffix);
    // the dialog asks before replacing an existing file (its default)
    if (m_hold.around([&] { return dialog.exec(); }) != QDialog::Accepted || dialog.selectedFiles().isEmpty())
        return {};
    return dialog.selectedFiles().constFirst();
}

QString FileDialogs::chooseFolder(const QString &caption, bool forOutputFolder, const QString &startFolder)
{
    if (!m_folderChooser)
        return {};
    return m_hold.around([&] { return m_folderChooser->ChooseFolder(caption, forOutputFolder, startFolder); });
}

} // namespace korvex
