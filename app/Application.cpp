#include "app/Application.h"

#include "app/CommandLine.h"
#include "app/DesktopIdentity.h"
#include "app/InstanceChannel.h"
#include "app/InstanceLock.h"
#include "app/StartupClock.h"
#include "app/TerminationSignals.h"
#include "KorvexVersion.h"
#include "app/Tfm_about.h"
#include "components/FfmpegLog.h"
#include "settings/ui/EncoderPage.h"
#include "settings/ui/SilencePage.h"
#include "settings/ui/Tfm_dir.h"
#include "settings/ui/Tfm_set.h"
#include "tags/ui/Tfm_id3.h"

#include <QApplication>
#include <QCoreApplication>
#include <QDeadlineTimer>
#include <QDir>
#include <QProcess>
#include <QThread>

#include <cstdio>

namespace korvex {

// The name a later copy looks for: fixed, whatever the product's version is.
const QString ApplicationTitle = QStringLiteral("Korvex V1.01");

namespace {

// How long a new start keeps trying to reach a running copy that holds the
// lock but does not listen yet (its window is still being made).
constexpr int HandOverPatienceMs = 20000;
constexpr int HandOverAttemptMs = 2000;
constexpr int HandOverRetryMs = 100;

QStringList argumentsOf(int argc, char **argv)
{
    QStringList arguments;
    for (int i = 0; i < argc; ++i)
        arguments.append(QString::fromLocal8Bit(argv[i]));
    return arguments;
}

int answerWithoutWindow(const KorvexCommandLine &line)
{
    switch (line.action) {
    case KorvexCommandLine::Action::Help:
        std::fputs(qUtf8Printable(KorvexHelpText()), stdout);
        return 0;
    case KorvexCommandLine::Action::Version:
        std::fputs(qUtf8Printable(KorvexVersionText()), stdout);
        return 0;
    default:
        std::fprintf(stderr, "korvex: %s\nTry korvex --help.\n", qUtf8Printable(line.error));
        return 2;
    }
}

// The copy that held the lock has ended since (it was closing): a fresh
// start with the same arguments becomes the running copy.
bool startAfreshIfTheLockIsFree()
{
    if (!InstanceLock(ApplicationTitle).acquired())
        return false;
    return QProcess::startDetached(QCoreApplication::applicationFilePath(), QCoreApplication::arguments().mid(1));
}

// A new start while a copy runs: its files go to that copy's window, and it
// ends with 0 in any case, as a second start always does. Without files it
// leaves the running copy alone.
int handOverToRunningCopy(int argc, char **argv, const QStringList &files)
{
    if (files.isEmpty())
        return 0;
    // no display: only the socket's event machinery
    QCoreApplication application(argc, argv);
    const QString socket = InstanceSocketPath(ApplicationTitle);
    const QDeadlineTimer patience(HandOverPatienceMs);
    while (!SendFilesToRunningCopy(socket, files, HandOverAttemptMs)) {
        if (startAfreshIfTheLockIsFree())
            return 0;
        if (patience.hasExpired()) {
            std::fprintf(stderr, "korvex: Korvex is running but did not take these files:\n  %s\n",
                         qUtf8Printable(files.join(QStringLiteral("\n  "))));
            return 0;
        }
        QThread::msleep(HandOverRetryMs);
    }
    return 0;
}

} // namespace

KorvexWindows CreateWindows(const MainWindowOptions &options)
{
    KorvexWindows windows;
    windows.fm_main = std::make_unique<Tfm_main>(options);
    Tfm_main *main = windows.fm_main.get();
    windows.fm_set = new Tfm_set(main, main->settingsStore(), *main->seams().messages,
                                 [main] { main->jobEditor().lvClick(); });
    windows.fm_dir = new Tfm_dir(main, main->settingsStore().file(), *main->seams().messages);
    windows.fm_set->setFolderChooser(windows.fm_dir);
    AddSilencePage(*windows.fm_set, main->settingsStore());
    AddEncoderPage(*windows.fm_set, main->settingsStore());
    windows.fm_about = new Tfm_about(Tfm_main::HomePage, windows.fm_main.get());
    windows.fm_id3 = new Tfm_id3(windows.fm_main.get(), windows.fm_main->jobList());
    windows.fm_main->setDialogs(windows.fm_set, windows.fm_dir, windows.fm_about, windows.fm_id3);
    return windows;
}

int RunKorvex(int argc, char **argv)
{
    StartupClock startup;
    const KorvexCommandLine line = ParseKorvexCommandLine(argumentsOf(argc, argv), QDir::currentPath());
    if (line.action != KorvexCommandLine::Action::Run)
        return answerWithoutWindow(line);

    // A desktop session may end the program from its first instant; until
    // the handler that closes the window properly exists, such a signal waits.
    HeldTerminationSignals held;
    // checked before any window exists, so a second copy shows nothing
    const InstanceLock lock(ApplicationTitle);
    if (!lock.acquired()) {
        // a second start has no window to close: a signal ends it at once
        held.release();
        return handOverToRunningCopy(argc, argv, line.files);
    }

    RouteFfmpegLog();
    QApplication application(argc, argv);
    QApplication::setApplicationName(QStringLiteral("Korvex"));
    QApplication::setApplicationVersion(QString::fromLatin1(KorvexVersion));
    // a Wayland compositor finds the menu entry, and so the icon, by this
    QGuiApplication::setDesktopFileName(DesktopEntryName);
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
    // Listening starts once the window can take files; a start that comes
    // earlier tries again until then.
    InstanceServer server(InstanceSocketPath(ApplicationTitle));
    windows.fm_main->acceptFilesFrom(server);
    if (!server.listen())
        std::fprintf(stderr, "korvex: files from later starts cannot reach this window: %s\n",
                     qUtf8Printable(server.errorString()));
    if (!line.files.isEmpty())
        windows.fm_main->takeFiles(line.files);
    application.exec();
    return 0;
}

} // namespace korvex
