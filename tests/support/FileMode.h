#pragma once

#include <QString>

#include <sys/stat.h>

namespace korvex::test {

// The permission bits as stored in the file system. Qt's "User" flags say
// what the running user may do, which for root is everything; the stored mode
// is what "stays read-only" is about.
inline unsigned FileMode(const QString &path)
{
    struct stat info {};
    if (::stat(path.toLocal8Bit().constData(), &info) != 0)
        return 0;
    return info.st_mode & 07777;
}

} // namespace korvex::test
