#include "TempDir.h"

#include <QDir>

namespace korvex::test {

TestFolder::TestFolder()
{
    m_hadConfigHome = qEnvironmentVariableIsSet("XDG_CONFIG_HOME");
    m_previousConfigHome = qgetenv("XDG_CONFIG_HOME");
    QDir(m_dir.path()).mkpath(QStringLiteral("config"));
    qputenv("XDG_CONFIG_HOME", configHome().toLocal8Bit());
    // nor the user's cache (waveform overviews)
    m_hadCacheHome = qEnvironmentVariableIsSet("XDG_CACHE_HOME");
    m_previousCacheHome = qgetenv("XDG_CACHE_HOME");
    QDir(m_dir.path()).mkpath(QStringLiteral("cache"));
    qputenv("XDG_CACHE_HOME", m_dir.filePath(QStringLiteral("cache")).toLocal8Bit());
    // nor the user's state (the list a window keeps for after a crash)
    m_hadStateHome = qEnvironmentVariableIsSet("XDG_STATE_HOME");
    m_previousStateHome = qgetenv("XDG_STATE_HOME");
    qputenv("XDG_STATE_HOME", m_dir.filePath(QStringLiteral("state")).toLocal8Bit());
}

TestFolder::~TestFolder()
{
    if (m_hadConfigHome)
        qputenv("XDG_CONFIG_HOME", m_previousConfigHome);
    else
        qunsetenv("XDG_CONFIG_HOME");
    if (m_hadCacheHome)
        qputenv("XDG_CACHE_HOME", m_previousCacheHome);
    else
        qunsetenv("XDG_CACHE_HOME");
    if (m_hadStateHome)
        qputenv("XDG_STATE_HOME", m_previousStateHome);
    else
        qunsetenv("XDG_STATE_HOME");
}

QString TestFolder::configHome() const
{
    return m_dir.filePath(QStringLiteral("config"));
}

} // namespace korvex::test
