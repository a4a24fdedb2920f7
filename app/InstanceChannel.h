#pragma once

#include <QObject>
#include <QString>
#include <QStringList>

class QLocalServer;
class QLocalSocket;

namespace korvex {

// How a second start hands its files to the running copy: a local socket
// beside the single-instance lock, so only the same user reaches it. The
// second start writes one message (a marker and the list of paths) and
// closes; the running copy reads it and announces the files.

// The socket of the copy known by `title`, in InstanceLock::lockFolder().
QString InstanceSocketPath(const QString &title);

class InstanceServer : public QObject
{
    Q_OBJECT
public:
    explicit InstanceServer(const QString &socketPath, QObject *parent = nullptr);
    ~InstanceServer() override;

    // Call only while holding the lock: a socket left there by a copy that
    // died is removed first. False (with errorString()) when it cannot listen.
    bool listen();
    QString errorString() const;

Q_SIGNALS:
    void filesReceived(const QStringList &files);

private:
    void acceptConnections();
    void readMessage(QLocalSocket *socket);

    QString m_path;
    QLocalServer *m_server = nullptr;
};

// The second start's side. True when the message is in the running copy's
// socket, which reads it when its window thread gets to it; false when
// nobody listens at `socketPath` (yet) or the message could not be sent
// within `timeoutMs`.
bool SendFilesToRunningCopy(const QString &socketPath, const QStringList &files, int timeoutMs);

} // namespace korvex
