#include "tags/FileModeGuard.h"

#include <QFile>

namespace korvex {

FileModeGuard::FileModeGuard(const QString &fileName) : m_fileName(fileName)
{
    m_saved = QFile::permissions(fileName);
    if (!QFile::exists(fileName) || m_saved.testFlag(QFileDevice::WriteOwner))
        return;
    m_changed = QFile::setPermissions(fileName, m_saved | QFileDevice::WriteOwner | QFileDevice::WriteUser);
}

FileModeGuard::~FileModeGuard()
{
    if (m_changed)
        QFile::setPermissions(m_fileName, m_saved);
}

} // namespace korvex
