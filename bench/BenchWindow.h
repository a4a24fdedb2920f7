#pragma once

// What the benchmarks that drive the real main window share: its seams
// (error boxes printed and counted, an open dialog that answers with the
// files given, nothing launched), the offscreen platform when there is no
// display, and the verdict words.
#include "app/Application.h"
#include "components/Seams.h"

#include <QCoreApplication>

#include <QEventLoop>
#include <QStringList>
#include <QTimer>

#include <cstdio>

namespace korvex::bench {

class PrintedMessages : public MessageSeam
{
public:
    void error(const QString &text) override
    {
        ++errors;
        std::fprintf(stderr, "error box: %s\n", qPrintable(text));
    }
    void information(const QString &text) override { std::fprintf(stderr, "box: %s\n", qPrintable(text)); }
    int errors = 0;
};

class AnsweringDialogs : public DialogSeam
{
public:
    explicit AnsweringDialogs(QStringList files) : m_files(std::move(files)) {}
    QStringList openFiles(const OpenFilesRequest &) override { return m_files; }
    QString saveFile(const SaveFileRequest &) override { return {}; }
    QString chooseFolder(const QString &, bool) override { return {}; }

private:
    QStringList m_files;
};

class NoLauncher : public LauncherSeam
{
public:
    void open(const QString &) override {}
};

// The window's own kind of event loop, idle between events.
inline void runEventLoopFor(int milliseconds)
{
    QEventLoop loop;
    QTimer::singleShot(milliseconds, &loop, &QEventLoop::quit);
    loop.exec();
}

// The main window as the program makes it, with the seams above, shown and
// given a moment to settle.
struct BenchWindow
{
    explicit BenchWindow(const QStringList &openAnswer) : dialogs(openAnswer)
    {
        MainWindowOptions options;
        options.programFolder = QCoreApplication::applicationDirPath() + QStringLiteral("/..");
        options.seams = Seams{&messages, &dialogs, &launcher};
        windows = CreateWindows(options);
        windows.fm_main->show();
        runEventLoopFor(1500);
    }
    Tfm_main &main() { return *windows.fm_main; }

    PrintedMessages messages;
    AnsweringDialogs dialogs;
    NoLauncher launcher;
    KorvexWindows windows;
};

// Before the application object exists.
inline void useOffscreenWithoutDisplay()
{
    if (qEnvironmentVariableIsEmpty("DISPLAY") && qEnvironmentVariableIsEmpty("WAYLAND_DISPLAY"))
        qputenv("QT_QPA_PLATFORM", "offscreen");
}

inline const char *verdict(bool met)
{
    return met ? "met" : "MISSED";
}

} // namespace korvex::bench
