#include "app/InstanceChannel.h"

#include "app/InstanceLock.h"

#include <QDataStream>
#include <QDir>
#include <QLocalServer>
#include <QLocalSocket>

namespace korvex {

namespace {

// First in every message; anything else on the socket is not a Korvex start.
constexpr quint32 MessageMarker = 0x4b525846;  // "KRXF"
constexpr QDataStream::Version StreamVersion = QDataStream::Qt_6_0;
// More than any command line can hold: a peer sending more is cut off.
constexpr qint64 MaximumMessageBytes = 16 * 1024 * 1024;

} // namespace

QString InstanceSocketPath(const QString &title)
{
    return QDir(InstanceLock::lockFolder()).filePath(title + QStringLiteral(".socket"));
}

InstanceServer::InstanceServer(const QString &socketPath, QObject *parent)
    : QObject(parent), m_path(socketPath), m_server(new QLocalServer(this))
{
    m_server->setSocketOptions(QLocalServer::UserAccessOption);
    connect(m_server, &QLocalServer::newConnection, this, &InstanceServer::acceptConnections);
}

InstanceServer::~InstanceServer()
{
    m_server->close();
}

bool InstanceServer::listen()
{
    QLocalServer::removeServer(m_path);
    return m_server->listen(m_path);
}

QString InstanceServer::errorString() const
{
    return m_server->errorString();
}

void InstanceServer::acceptConnections()
{
    while (QLocalSocket *socket = m_server->nextPendingConnection()) {
        connect(socket, &QLocalSocket::readyRead, this, [this, socket] { readMessage(socket); });
        // the sender may have closed before the first read: what it wrote
        // is still there to read
        connect(socket, &QLocalSocket::disconnected, this, [this, socket] {
            readMessage(socket);
            socket->deleteLater();
        });
        readMessage(socket);
    }
}

void InstanceServer::readMessage(QLocalSocket *socket)
{
    if (socket->property("korvexDone").toBool())
        return;
    if (socket->bytesAvailable() > MaximumMessageBytes) {
        socket->setProperty("korvexDone", true);
        socket->abort();
        return;
    }
    QDataStream in(socket);
    in.setVersion(StreamVersion);
    in.startTransaction();
    quint32 marker = 0;
    QStringList files;
    in >> marker;
    if (in.status() == QDataStream::Ok && marker != MessageMarker) {
        socket->setProperty("korvexDone", true);
        socket->abort();
        return;
    }
    in >> files;
    if (!in.commitTransaction())
        return;  // the rest is still on its way
    socket->setProperty("korvexDone", true);
    socket->disconnectFromServer();
    if (!files.isEmpty())
        Q_EMIT filesReceived(files);
}

bool SendFilesToRunningCopy(const QString &socketPath, const QStringList &files, int timeoutMs)
{
    QLocalSocket socket;
    socket.connectToServer(socketPath);
    if (!socket.waitForConnected(timeoutMs))
        return false;
    QByteArray message;
    QDataStream out(&message, QIODevice::WriteOnly);
    out.setVersion(StreamVersion);
    out << MessageMarker << files;
    socket.write(message);
    while (socket.bytesToWrite() > 0) {
        if (!socket.waitForBytesWritten(timeoutMs))
            return false;
    }
    // what was written stays in the socket until the running copy reads it
    socket.disconnectFromServer();
    return true;
}

} // namespace korvex
