#include "app/InstanceLock.h"

#include <QDir>
#include <QFileInfo>
#include <QLockFile>

#include <unistd.h>

namespace korvex {

QString InstanceLock::lockFolder()
{
    const QString runtime = qEnvironmentVariable("XDG_RUNTIME_DIR");
    if (!runtime.isEmpty() && QFileInfo(runtime).isDir())
        return runtime;
    const QString own = QDir::temp().filePath(QStringLiteral("korvex-%1").arg(getuid()));
    QDir().mkpath(own);
    QFile::setPermissions(own, QFileDevice::ReadOwner | QFileDevice::WriteOwner | QFileDevice::ExeOwner);
    return own;
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
