#include "app/CommandLine.h"

#include <QCommandLineParser>
#include <QDir>

namespace korvex {

namespace {

// The options QGuiApplication and QApplication read from the command line.
const QStringList QtValueOptions = {
    QStringLiteral("platform"), QStringLiteral("platformpluginpath"), QStringLiteral("platformtheme"),
    QStringLiteral("plugin"),   QStringLiteral("qwindowgeometry"),    QStringLiteral("qwindowicon"),
    QStringLiteral("qwindowtitle"), QStringLiteral("display"),         QStringLiteral("geometry"),
    QStringLiteral("session"),  QStringLiteral("style"),              QStringLiteral("stylesheet"),
    QStringLiteral("name"),     QStringLiteral("title"),
};
const QStringList QtFlags = {
    QStringLiteral("reverse"), QStringLiteral("widgetcount"), QStringLiteral("nograb"),
    QStringLiteral("dograb"),  QStringLiteral("sync"),        QStringLiteral("testability"),
};

QCommandLineOption hidden(const QString &name, const QString &valueName = QString())
{
    QCommandLineOption option(name, QString(), valueName);
    option.setFlags(QCommandLineOption::HiddenFromHelp);
    return option;
}

} // namespace

KorvexCommandLine ParseKorvexCommandLine(const QStringList &arguments, const QString &workingFolder)
{
    QCommandLineParser parser;
    // Qt's options come with one dash: "-platform offscreen"
    parser.setSingleDashWordOptionMode(QCommandLineParser::ParseAsLongOptions);
    parser.addOption({{QStringLiteral("h"), QStringLiteral("help")}, QString()});
    parser.addOption({{QStringLiteral("v"), QStringLiteral("version")}, QString()});
    for (const QString &name : QtValueOptions)
        parser.addOption(hidden(name, QStringLiteral("value")));
    for (const QString &name : QtFlags)
        parser.addOption(hidden(name));
    // "-qmljsdebugger=port:1234" is Qt's too, whatever follows the "="
    QStringList known;
    for (const QString &argument : arguments) {
        if (!argument.startsWith(QLatin1String("-qmljsdebugger=")))
            known.append(argument);
    }

    KorvexCommandLine line;
    if (!parser.parse(known)) {
        line.action = KorvexCommandLine::Action::Error;
        line.error = parser.errorText();
        return line;
    }
    if (parser.isSet(QStringLiteral("help"))) {
        line.action = KorvexCommandLine::Action::Help;
        return line;
    }
    if (parser.isSet(QStringLiteral("version"))) {
        line.action = KorvexCommandLine::Action::Version;
        return line;
    }
    const QDir base(workingFolder);
    for (const QString &file : parser.positionalArguments())
        line.files.append(QDir::cleanPath(base.absoluteFilePath(file)));
    return line;
}

QString KorvexVersionText()
{
    return QStringLiteral("korvex " KORVEX_VERSION "\n");
}

QString KorvexHelpText()
{
    return QStringLiteral(R"(Usage: korvex [FILE...]
       korvex --help | --version

Opens the Korvex window, where audio files are cut into WMA pieces or joined
into one WMA file. Each FILE is added to the job list as "Add File" adds it:
a file that cannot be read, or whose length is zero, is reported by name and
left out.

One Korvex runs per user. While one runs, a new start hands its FILEs to the
running window and ends at once with exit status 0; the window adds them
(after the conversion in progress, if any) and comes to the front. A new start
without FILEs does nothing.

Options
  -h, --help     show this help and end
  -v, --version  show the version and end
  --             end of the options: every argument after it is a FILE

Qt's own options (-platform NAME, -style NAME, ...) are passed on to Qt.

Environment
  XDG_CONFIG_HOME  folder of the settings file Korvex.ini (else ~/.config)
  XDG_RUNTIME_DIR  folder of the lock and socket that keep one Korvex per user
  KORVEX_VCEDIT    the Vorbis comment library to load instead of the installed
                   one

Exit status
  0  the window was closed, or the FILEs were handed to the running Korvex
  2  an unknown option

korvex-cli splits and joins without a window; see korvex-cli --help.
)");
}

} // namespace korvex
