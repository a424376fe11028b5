#include "SingleInstance.h"

#include <QDir>
#include <QLocalServer>
#include <QLocalSocket>

#include <unistd.h>

namespace {

// Per user: another user on the same machine runs a console of their own.
QString perUserName(const QString& name) {
    return QStringLiteral("%1-%2").arg(name).arg(::getuid());
}

} // namespace

SingleInstance::SingleInstance(const QString& name, QObject* parent)
    : QObject(parent)
    , serverName_(perUserName(name))
    , lock_(QDir::temp().filePath(perUserName(name) + QStringLiteral(".lock"))) {
    // Only a dead owner makes a lock stale; a long-running console keeps its lock.
    lock_.setStaleLockTime(0);
}

SingleInstance::~SingleInstance() = default;

bool SingleInstance::tryBecomePrimary() {
    if (!lock_.tryLock(0))
        return false;
    server_ = std::make_unique<QLocalServer>();
    // The lock is ours, so a socket file still lying there belongs to a run that crashed.
    QLocalServer::removeServer(serverName_);
    server_->setSocketOptions(QLocalServer::UserAccessOption);
    connect(server_.get(), &QLocalServer::newConnection, this, &SingleInstance::answerConnection);
    server_->listen(serverName_);
    return true;
}

void SingleInstance::answerConnection() {
    while (QLocalSocket* socket = server_->nextPendingConnection()) {
        connect(socket, &QLocalSocket::disconnected, socket, &QObject::deleteLater);
        connect(socket, &QLocalSocket::readyRead, this, [this, socket] {
            if (!socket->canReadLine())
                return;
            const QByteArray line = socket->readLine().trimmed();
            if (line == ActivationMessage) {
                socket->write(QByteArray(ActivationMessage) + '\n');
                socket->flush();
                emit activationRequested();
            }
            socket->disconnectFromServer();
        });
    }
}

bool SingleInstance::activateRunningInstance(int timeoutMs) const {
    QLocalSocket socket;
    socket.connectToServer(serverName_);
    if (!socket.waitForConnected(timeoutMs))
        return false;
    socket.write(QByteArray(ActivationMessage) + '\n');
    if (!socket.waitForBytesWritten(timeoutMs))
        return false;
    while (!socket.canReadLine()) {
        if (!socket.waitForReadyRead(timeoutMs))
            return false;
    }
    return socket.readLine().trimmed() == ActivationMessage;
}
