#include "support/KorvexCli.h"

#include <QProcess>

#include <gtest/gtest.h>

namespace korvex::test {

CliRun RunKorvexCli(const TestFolder &folder, const QStringList &arguments)
{
    QProcess process;
    QProcessEnvironment environment = QProcessEnvironment::systemEnvironment();
    environment.insert(QStringLiteral("XDG_CONFIG_HOME"), folder.configHome());
    environment.insert(QStringLiteral("HOME"), folder.path());
    process.setProcessEnvironment(environment);
    process.start(QStringLiteral(KORVEX_BINARY_DIR "/korvex-cli"), arguments);
    EXPECT_TRUE(process.waitForFinished(300000));
    return {process.exitStatus() == QProcess::NormalExit ? process.exitCode() : -1,
            QString::fromUtf8(process.readAllStandardOutput()), QString::fromUtf8(process.readAllStandardError())};
}

} // namespace korvex::test
