#include "TempDir.h"

#include <QDir>

namespace korvex::test {

TestFolder::TestFolder()
{
    m_hadConfigHome = qEnvironmentVariableIsSet("XDG_CONFIG_HOME");
    m_previousConfigHome = qgetenv("XDG_CONFIG_HOME");
    QDir(m_dir.path()).mkpath(QStringLiteral("config"));
    qputenv("XDG_CONFIG_HOME", configHome().toLocal8Bit());
}

TestFolder::~TestFolder()
{
    if (m_hadConfigHome)
        qputenv("XDG_CONFIG_HOME", m_previousConfigHome);
    else
        qunsetenv("XDG_CONFIG_HOME");
}

QString TestFolder::configHome() const
{
    return m_dir.filePath(QStringLiteral("config"));
}

} // namespace korvex::test
