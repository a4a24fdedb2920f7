#include "tags/FileModeGuard.h"

#include <QFile>

#include <sys/stat.h>

namespace korvex {

FileModeGuard::FileModeGuard(const QString &fileName) : m_path(QFile::encodeName(fileName))
{
    struct stat info {};
    if (::stat(m_path.constData(), &info) != 0 || !S_ISREG(info.st_mode))
        return;
    m_saved = info.st_mode & 07777;
    if (m_saved & S_IWUSR)
        return;
    m_changed = ::chmod(m_path.constData(), m_saved | S_IWUSR) == 0;
}

FileModeGuard::~FileModeGuard()
{
    if (m_changed)
        ::chmod(m_path.constData(), m_saved);
}

} // namespace korvex
