#pragma once

#include <QObject>
#include <QStringList>

#include <functional>

namespace korvex {

class FileAdder;

// Files named from outside the window (the command line, a second start)
// go the way of "Add File": FileAdder::AddFileList, with its checks and
// messages. While the window is not free to add them (a run converting or
// winding down, files being added, a dialog open), they wait here, in the
// order they came, and are added once the window's event loop is idle and
// free again.
class IncomingFiles : public QObject
{
    Q_OBJECT
public:
    // `busy` says whether the window is in the middle of something.
    IncomingFiles(FileAdder &adder, std::function<bool()> busy, QObject *parent = nullptr);

    void take(const QStringList &files);
    const QStringList &waiting() const { return m_waiting; }

private:
    void addOrWait();
    void watchForIdle();
    void onIdle();

    FileAdder &m_adder;
    std::function<bool()> m_busy;
    QStringList m_waiting;
    QMetaObject::Connection m_idleWatch;
};

} // namespace korvex
