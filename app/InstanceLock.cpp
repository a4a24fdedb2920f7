#include "app/InstanceLock.h"

#include <QDir>
#include <QFileInfo>
#include <QLockFile>
#include <QStandardPaths>

#include <sys/stat.h>
#include <unistd.h>

namespace korvex {

namespace {

// The folder exists, is no link, belongs to this user and nobody else may
// enter it.
bool isOwnPrivateFolder(const QString &path)
{
    struct stat info {};
    if (::lstat(QFile::encodeName(path).constData(), &info) != 0)
        return false;
    return S_ISDIR(info.st_mode) && info.st_uid == ::getuid() && (info.st_mode & 077) == 0;
}

// Makes the folder private to this user when it is missing; an existing one
// is left as it is, whoever made it.
bool makeOwnPrivateFolder(const QString &path)
{
    ::mkdir(QFile::encodeName(path).constData(), 0700);
    return isOwnPrivateFolder(path);
}

} // namespace

QString InstanceLock::lockFolder()
{
    const QString runtime = qEnvironmentVariable("XDG_RUNTIME_DIR");
    if (!runtime.isEmpty() && QFileInfo(runtime).isDir())
        return runtime;
    // Anybody may create a name in the shared temporary folder first, and
    // the socket beside the lock carries the file names a second start hands
    // over: a folder there counts only when it is this user's own and private.
    const QString inTemp = QDir::temp().filePath(QStringLiteral("korvex-%1").arg(::getuid()));
    if (makeOwnPrivateFolder(inTemp))
        return inTemp;
    const QString inHome =
        QDir(QStandardPaths::writableLocation(QStandardPaths::GenericCacheLocation)).filePath(QStringLiteral("korvex"));
    QDir().mkpath(QFileInfo(inHome).path());
    makeOwnPrivateFolder(inHome);
    return inHome;
}

InstanceLock::InstanceLock(const QString &title)
    : m_path(QDir(lockFolder()).filePath(title + QStringLiteral(".lock"))),
      m_lock(std::make_unique<QLockFile>(m_path))
{
    // only a dead owner makes the lock stale, never its age
    m_lock->setStaleLockTime(0);
    m_acquired = m_lock->tryLock(0);
}

InstanceLock::~InstanceLock() = default;

} // namespace korvex
