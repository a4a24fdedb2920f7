#pragma once

#include "app/Application.h"
#include "support/RecordingSeams.h"
#include "support/TempDir.h"

#include <QApplication>
#include <QDir>
#include <QTimer>

#include <functional>
#include <gtest/gtest.h>

namespace korvex::test {

// Points HOME at a folder of the test for the lifetime of the object, so
// the folder chooser opens on a home of the test's own.
class HomeOverride
{
public:
    explicit HomeOverride(const QString &home) : m_previous(qgetenv("HOME"))
    {
        QDir().mkpath(home);
        qputenv("HOME", home.toLocal8Bit());
    }
    ~HomeOverride() { qputenv("HOME", m_previous); }
    HomeOverride(const HomeOverride &) = delete;
    HomeOverride &operator=(const HomeOverride &) = delete;

private:
    QByteArray m_previous;
};

// A session with the real dialogs of the program (open, save and the folder
// chooser); only the message boxes are recorded, and the folder a run opens
// at its end is recorded rather than shown. Settings and home live in the
// test's folder.
struct DialogSession
{
    DialogSession()
    {
        MainWindowOptions options;
        options.programFolder = QStringLiteral(KORVEX_BINARY_DIR);
        options.seams.messages = &messages;
        options.seams.launcher = &launcher;
        windows = CreateWindows(options);
        main().show();
        QApplication::processEvents();
    }
    Tfm_main &main() { return *windows.fm_main; }
    QString home() const { return folder.file(QStringLiteral("home/alex")); }
    QString settingsFile() const { return folder.configHome() + QStringLiteral("/Korvex.ini"); }

    TestFolder folder;  // first: XDG_CONFIG_HOME must point here before the settings store exists
    HomeOverride homeOverride{folder.file(QStringLiteral("home/alex"))};
    RecordingMessages messages;
    RecordingLauncher launcher;
    KorvexWindows windows;
};

// Runs the action inside the next modal dialog's own event loop, once it is
// open (a click that opens a modal dialog returns only when it closes). A
// dialog the action leaves open is closed, so a failing check cannot hang
// the suite.
inline void insideNextModal(std::function<void(QWidget *)> action)
{
    QTimer::singleShot(0, [action] {
        QWidget *modal = QApplication::activeModalWidget();
        ASSERT_NE(modal, nullptr);
        action(modal);
        if (modal->isVisible())
            modal->close();
    });
}

} // namespace korvex::test
