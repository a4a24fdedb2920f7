#include "components/ProgramFiles.h"

#include <QCoreApplication>
#include <QDir>

namespace korvex::ProgramFiles {

namespace {

// Paths from the installed bin folder, worked out by the build from its
// install folders.
const QString DataFromBin = QStringLiteral(KORVEX_DATA_FROM_BIN);
const QString ModulesFromBin = QStringLiteral(KORVEX_MODULES_FROM_BIN);

QString besideOrInstalled(const QString &executableFolder, const QString &fileName, const QString &installed)
{
    const QDir beside(executableFolder);
    if (beside.exists(fileName))
        return beside.path();
    return QDir::cleanPath(beside.filePath(installed));
}

} // namespace

QString dataFolderFor(const QString &executableFolder)
{
    return besideOrInstalled(executableFolder, SkinFileName, DataFromBin);
}

QString moduleFolderFor(const QString &executableFolder)
{
    return besideOrInstalled(executableFolder, CommentLibraryName, ModulesFromBin);
}

QString dataFolder()
{
    return dataFolderFor(QCoreApplication::applicationDirPath());
}

QString moduleFolder()
{
    return moduleFolderFor(QCoreApplication::applicationDirPath());
}

} // namespace korvex::ProgramFiles
