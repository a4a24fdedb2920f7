#pragma once

#include <QString>

#include <memory>

class QLockFile;

namespace korvex {

// One running copy per user and title: the first copy holds a lock file
// named after the title in the user's runtime folder until it ends. A lock
// left by a copy that died is taken over.
class InstanceLock
{
public:
    explicit InstanceLock(const QString &title);
    ~InstanceLock();

    bool acquired() const { return m_acquired; }
    QString path() const { return m_path; }

    // The folder for the lock and the hand-off socket: $XDG_RUNTIME_DIR, else
    // a per-user folder in the temporary folder when it is this user's own and
    // private, else one in the user's cache folder.
    static QString lockFolder();

private:
    QString m_path;
    std::unique_ptr<QLockFile> m_lock;
    bool m_acquired = false;
};

} // namespace korvex
