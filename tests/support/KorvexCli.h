#pragma once

#include "support/TempDir.h"

#include <QString>
#include <QStringList>

namespace korvex::test {

struct CliRun
{
    int exitCode = -1;
    QString output;
    QString errors;
};

// Runs the real korvex-cli to its end with its settings and home inside
// `folder`.
CliRun RunKorvexCli(const TestFolder &folder, const QStringList &arguments);

} // namespace korvex::test
