#pragma once

#include <QByteArray>
#include <QString>

#include <sys/types.h>

namespace korvex {

// Makes a file writable by its owner for the guard's lifetime and puts the
// original mode back when it ends, however the scope is left. Works on the
// stored mode bits: Qt's permission flags mix in what the running user may
// do, which would write the wrong mode back for root.
class FileModeGuard
{
public:
    explicit FileModeGuard(const QString &fileName);
    ~FileModeGuard();
    FileModeGuard(const FileModeGuard &) = delete;
    FileModeGuard &operator=(const FileModeGuard &) = delete;

private:
    QByteArray m_path;
    mode_t m_saved = 0;
    bool m_changed = false;
};

} // namespace korvex
