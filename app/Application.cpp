#include "app/Application.h"

#include "app/InstanceLock.h"
#include "app/StartupClock.h"
#include "app/TerminationSignals.h"
#include "app/Tfm_about.h"
#include "components/FfmpegLog.h"
#include "settings/ui/Tfm_dir.h"
#include "settings/ui/Tfm_set.h"
#include "tags/ui/Tfm_id3.h"

#include <QApplication>

namespace korvex {

const QString ApplicationTitle = QStringLiteral("Korvex V1.01");

KorvexWindows CreateWindows(const MainWindowOptions &options)
{
    KorvexWindows windows;
    windows.fm_main = std::make_unique<Tfm_main>(options);
    Tfm_main *main = windows.fm_main.get();
    windows.fm_set = new Tfm_set(main, main->settingsStore(), *main->seams().messages,
                                 [main] { main->jobEditor().lvClick(); });
    windows.fm_dir = new Tfm_dir(main, main->settingsStore().file(), *main->seams().messages);
    windows.fm_set->setFolderChooser(windows.fm_dir);
    windows.fm_about = new Tfm_about(Tfm_main::HomePage, windows.fm_main.get());
    windows.fm_id3 = new Tfm_id3(windows.fm_main.get(), windows.fm_main->jobList());
    windows.fm_main->setDialogs(windows.fm_set, windows.fm_dir, windows.fm_about, windows.fm_id3);
    return windows;
}

int RunKorvex(int argc, char **argv)
{
    StartupClock startup;
    // A desktop session may end the program from its first instant; until
    // the handler that closes the window properly exists, such a signal waits.
    HeldTerminationSignals held;
    // checked before any window exists, so a second copy shows nothing
    const InstanceLock lock(ApplicationTitle);
    if (!lock.acquired())
        return 0;

    RouteFfmpegLog();
    QApplication application(argc, argv);
    QApplication::setApplicationName(QStringLiteral("Korvex"));
    QApplication::setApplicationVersion(QStringLiteral("3.00"));
    // a signal caught before the loop runs is acted on once the window shows
    TerminationSignals signals;
    held.release();
    KorvexWindows windows = CreateWindows();
    // The program ends when the main window says so, not at its close: a run
    // the close stopped still has to wind down.
    QApplication::setQuitOnLastWindowClosed(false);
    QObject::connect(windows.fm_main.get(), &Tfm_main::sessionEnded, &application, &QCoreApplication::quit);
    QObject::connect(&signals, &TerminationSignals::terminationRequested, windows.fm_main.get(),
                     &Tfm_main::closeFromSignal);
    startup.watch(windows.fm_main.get());
    windows.fm_main->show();
    application.exec();
    return 0;
}

} // namespace korvex
