#pragma once

#include <QString>
#include <QTemporaryDir>

namespace korvex::test {

// A temporary folder for one test; also points XDG_CONFIG_HOME and
// XDG_CACHE_HOME inside it so a test never touches the user's real Korvex.ini
// or cache.
class TestFolder
{
public:
    TestFolder();
    ~TestFolder();
    QString path() const { return m_dir.path(); }
    QString file(const QString &name) const { return m_dir.filePath(name); }
    QString configHome() const;

private:
    QTemporaryDir m_dir;
    QByteArray m_previousConfigHome;
    bool m_hadConfigHome = false;
    QByteArray m_previousCacheHome;
    bool m_hadCacheHome = false;
    QByteArray m_previousStateHome;
    bool m_hadStateHome = false;
};

} // namespace korvex::test
