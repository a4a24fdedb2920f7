#pragma once

#include <QFileDevice>
#include <QString>

namespace korvex {

// Makes a file writable by its owner for the guard's lifetime and puts the
// original permissions back when it ends, however the scope is left.
class FileModeGuard
{
public:
    explicit FileModeGuard(const QString &fileName);
    ~FileModeGuard();
    FileModeGuard(const FileModeGuard &) = delete;
    FileModeGuard &operator=(const FileModeGuard &) = delete;

private:
    QString m_fileName;
    QFileDevice::Permissions m_saved;
    bool m_changed = false;
};

} // namespace korvex
