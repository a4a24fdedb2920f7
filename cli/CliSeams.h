#pragma once

#include "components/Seams.h"

namespace korvex::cli {

// Message boxes become lines on standard error.
class TerminalMessages : public MessageSeam
{
public:
    void error(const QString &text) override;
    void information(const QString &text) override;
    int errorCount() const { return m_errors; }

private:
    int m_errors = 0;
};

// The dialogs answer with what the command line named: the open dialog with
// the FILEs, the save dialog with -o.
class CommandLineDialogs : public DialogSeam
{
public:
    CommandLineDialogs(QStringList files, QString saveAnswer)
        : m_files(std::move(files)), m_saveAnswer(std::move(saveAnswer))
    {
    }
    QStringList openFiles(const OpenFilesRequest &) override { return m_files; }
    QString saveFile(const SaveFileRequest &) override { return m_saveAnswer; }
    QString chooseFolder(const QString &, bool, const QString &) override { return {}; }

private:
    QStringList m_files;
    QString m_saveAnswer;
};

// A terminal has no folder window to open after a run.
class NoLauncher : public LauncherSeam
{
public:
    using LauncherSeam::open;
    void open(const QString &, const Failure &) override {}
};

// Prints a line on standard error as "korvex-cli: text".
void PrintError(const QString &text);

} // namespace korvex::cli
