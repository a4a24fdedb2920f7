#include "app/IncomingFiles.h"

#include "joblist/FileAdder.h"

#include <QAbstractEventDispatcher>
#include <QTimer>

namespace korvex {

IncomingFiles::IncomingFiles(FileAdder &adder, std::function<bool()> busy, QObject *parent)
    : QObject(parent), m_adder(adder), m_busy(std::move(busy))
{
}

void IncomingFiles::take(const QStringList &files)
{
    m_waiting.append(files);
    // Never from inside the caller (a socket's read, the start-up): adding
    // shows message boxes and pumps events.
    QTimer::singleShot(0, this, &IncomingFiles::addOrWait);
}

void IncomingFiles::addOrWait()
{
    if (m_waiting.isEmpty())
        return;
    if (m_busy() || m_adder.locked()) {
        watchForIdle();
        return;
    }
    const QStringList files = std::exchange(m_waiting, {});
    m_adder.AddFileList(files);
}

// A run, an adding or a dialog ends inside the command that started it; the
// event loop blocking for new events afterwards is the first moment the
// window is surely free. Nested loops (a dialog's, a message box's) block too:
// the busy check sorts those out.
void IncomingFiles::watchForIdle()
{
    if (m_idleWatch)
        return;
    m_idleWatch = connect(QAbstractEventDispatcher::instance(), &QAbstractEventDispatcher::aboutToBlock, this,
                          &IncomingFiles::onIdle);
}

void IncomingFiles::onIdle()
{
    if (m_busy() || m_adder.locked())
        return;
    disconnect(m_idleWatch);
    m_idleWatch = {};
    QTimer::singleShot(0, this, &IncomingFiles::addOrWait);
}

} // namespace korvex
