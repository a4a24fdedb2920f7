#include "app/DesktopLauncher.h"

#include <QDesktopServices>
#include <QProcess>
#include <QStandardPaths>
#include <QUrl>

namespace korvex {

namespace {

const QString NoOpener = QStringLiteral("No program to open it with was found.");

// xdg-open's own exit codes.
QString xdgOpenFailure(int exitCode)
{
    switch (exitCode) {
    case 2:
        return QStringLiteral("The file does not exist.");
    case 3:
        return NoOpener;
    default:
        return QStringLiteral("The program that should open it failed.");
    }
}

} // namespace

void DesktopLauncher::open(const QString &pathOrUrl, const Failure &failed)
{
    const QUrl url = QUrl::fromUserInput(pathOrUrl);
    const QString xdgOpen = QStandardPaths::findExecutable(QStringLiteral("xdg-open"));
    if (xdgOpen.isEmpty()) {
        if (!QDesktopServices::openUrl(url) && failed)
            failed(NoOpener);
        return;
    }
    // No parent: a browser xdg-open waits for must outlive the window. The
    // process goes when xdg-open ends, which it does at once on a desktop.
    auto *process = new QProcess;
    process->setProgram(xdgOpen);
    process->setArguments({url.isLocalFile() ? url.toLocalFile() : url.toString()});
    process->setStandardOutputFile(QProcess::nullDevice());
    process->setStandardErrorFile(QProcess::nullDevice());
    QObject::connect(process, &QProcess::finished, process,
                     [process, failed](int exitCode, QProcess::ExitStatus status) {
                         if ((status != QProcess::NormalExit || exitCode != 0) && failed)
                             failed(xdgOpenFailure(status == QProcess::NormalExit ? exitCode : 4));
                         process->deleteLater();
                     });
    QObject::connect(process, &QProcess::errorOccurred, process, [process, failed](QProcess::ProcessError error) {
        if (error != QProcess::FailedToStart)
            return;
        if (failed)
            failed(NoOpener);
        process->deleteLater();
    });
    process->start();
}

} // namespace korvex
