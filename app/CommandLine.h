#pragma once

#include <QString>
#include <QStringList>

namespace korvex {

// What `korvex [FILE...]` was asked to do. Parsed before any window or
// application object exists, so a second start can hand its files over
// without touching the display.
struct KorvexCommandLine
{
    enum class Action { Run, Help, Version, Error };

    Action action = Action::Run;
    // Absolute paths, in the order given; relative names are taken from
    // `workingFolder`, which the running copy may not share.
    QStringList files;
    QString error;  // Action::Error: what was wrong
};

// `arguments` as the program got them, its own name first. Qt's own options
// (-platform NAME, -style NAME, ...) are stepped over: QApplication takes them.
KorvexCommandLine ParseKorvexCommandLine(const QStringList &arguments, const QString &workingFolder);

QString KorvexHelpText();
QString KorvexVersionText();

} // namespace korvex
