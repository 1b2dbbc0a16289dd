#include "app/SingleInstance.h"

#include <QDir>
#include <QFileInfo>
#include <QLocalServer>
#include <QLockFile>
#include <QLocalSocket>
#include <QStandardPaths>

#include <unistd.h>

SingleInstance::SingleInstance(const QString &socketPath, QObject *parent)
    : QObject(parent), m_socketPath(socketPath)
{
}

SingleInstance::~SingleInstance()
{
    if (m_server)
        m_server->close(); // removes the socket file
}

QString SingleInstance::defaultSocketPath()
{
    const QString runtime = qEnvironmentVariable("XDG_RUNTIME_DIR");
    if (!runtime.isEmpty() && QFileInfo(runtime).isDir() && QFileInfo(runtime).isWritable())
        return runtime + QStringLiteral("/tovani.socket");
    return QDir::tempPath() + QStringLiteral("/tovani-%1.socket").arg(getuid());
}

bool SingleInstance::listen(Handler handler)
{
    m_handler = std::move(handler);
    // Two copies starting at the same moment must not both take the socket.
    QLockFile lock(m_socketPath + QStringLiteral(".lock"));
    lock.tryLock(3000);
    // A live copy answers on the socket; a crashed one left only the file.
    {
        QLocalSocket probe;
        probe.connectToServer(m_socketPath);
        if (probe.waitForConnected(500)) {
            probe.abort();
            return false;
        }
    }
    QLocalServer::removeServer(m_socketPath);
    m_server = new QLocalServer(this);
    m_server->setSocketOptions(QLocalServer::UserAccessOption);
    if (!m_server->listen(m_socketPath)) {
        delete m_server;
        m_server = nullptr;
        return false;
    }
    connect(m_server, &QLocalServer::newConnection, this, &SingleInstance::serve);
    return true;
}

void SingleInstance::serve()
{
    while (QLocalSocket *socket = m_server->nextPendingConnection()) {
        connect(socket, &QLocalSocket::disconnected, socket, &QObject::deleteLater);
        connect(socket, &QLocalSocket::readyRead, socket, [this, socket] {
            if (!socket->canReadLine()) {
                if (socket->bytesAvailable() > 4096) // not one of ours
                    socket->abort();
                return;
            }
            const QString command = QString::fromUtf8(socket->readLine(4096)).trimmed();
            const QString reply = m_handler ? m_handler(command) : QStringLiteral("error: not ready");
            socket->write(reply.toUtf8() + '\n');
            socket->flush();
            socket->disconnectFromServer();
        });
    }
}

std::optional<QString> SingleInstance::send(const QString &socketPath, const QString &command, int timeoutMs)
{
    QLocalSocket socket;
    socket.connectToServer(socketPath);
    if (!socket.waitForConnected(timeoutMs))
        return std::nullopt;
    socket.write(command.toUtf8() + '\n');
    if (!socket.waitForBytesWritten(timeoutMs))
        return noAnswer;
    while (!socket.canReadLine()) {
        if (!socket.waitForReadyRead(timeoutMs))
            return noAnswer;
    }
    return QString::fromUtf8(socket.readLine()).trimmed();
}
