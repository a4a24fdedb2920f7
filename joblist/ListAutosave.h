#pragma once

#include <QLockFile>
#include <QObject>
#include <QString>
#include <QTimer>

#include <functional>
#include <memory>

namespace korvex {

class JobList;
struct Settings;

// The list a window works on, kept in $XDG_STATE_HOME/korvex/ (else
// ~/.local/state/korvex/) as the user edits it, so that a crash loses none of
// it: written atomically a moment after the list last changed, removed when
// the list is emptied and at a normal exit. A file found there at start-up is
// what a window that crashed was working on.
//
// One window at a time keeps it: the lock beside it (QLockFile, which takes
// over the lock of a process that is gone) is held from claim() to finish();
// a second window that cannot take it keeps nothing and offers nothing.
class ListAutosave : public QObject
{
    Q_OBJECT
public:
    ListAutosave(JobList &jobs, const Settings &settings, QObject *parent = nullptr);
    ~ListAutosave() override;

    // $XDG_STATE_HOME/korvex when XDG_STATE_HOME is an absolute path, else
    // ~/.local/state/korvex.
    static QString defaultFolder();
    // The folder is made when missing.
    void setFolder(const QString &folder);
    QString listPath() const;

    // Takes the lock; false when another running window holds it (or the
    // folder cannot be made), and then this one keeps nothing.
    bool claim();
    bool claimed() const { return m_lock != nullptr; }
    // A list left behind by a window that did not close normally.
    bool leftOver() const;
    // Follows the list's changes from now on.
    void start();
    // The list changed: it is written once the changes pause.
    void changed();
    // While this holds the list is not what the user made (a run hides the
    // pending segments, an add has rows still being made): writing waits.
    void waitWhile(std::function<bool()> busy) { m_busy = std::move(busy); }
    // Writes now (what a pending change would write).
    void saveNow();
    // A normal exit: nothing is kept, and the lock is let go.
    void finish();
    // The quiet time after a change before the list is written.
    static constexpr int DelayMs = 400;

Q_SIGNALS:
    // The list as it is now is on disk (or, when empty, nothing is).
    void kept();
    // The list could not be kept (the disk is full, the folder is read-only).
    void saveFailed(const QString &text);

private:
    JobList &m_jobs;  // only read; its models are followed
    const Settings &m_settings;
    QString m_folder;
    std::unique_ptr<QLockFile> m_lock;
    QTimer m_delay;
    bool m_started = false;
    QString m_lastFailure;  // said once, not at every change
    std::function<bool()> m_busy;
};

} // namespace korvex
