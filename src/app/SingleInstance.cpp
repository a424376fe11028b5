#include "SingleInstance.h"

#include <QDeadlineTimer>
#include <QDir>
#include <QLocalServer>
#include <QLocalSocket>
#include <QStandardPaths>

#include <unistd.h>

namespace {

// Per user: another user on the same machine runs a console of their own. The user's runtime
// folder is not swept by temporary-file cleaners while the user is logged in.
QString perUserPath(const QString& name)
{
    const QString folder = QStandardPaths::writableLocation(QStandardPaths::RuntimeLocation);
    return QDir(folder).filePath(QStringLiteral("%1-%2").arg(name).arg(::getuid()));
}

} // namespace

SingleInstance::SingleInstance(const QString& name, QObject* parent)
    : QObject(parent)
    , serverName_(perUserPath(name))
    , lock_(perUserPath(name) + QStringLiteral(".lock"))
{
    // Only a dead owner makes a lock stale; a long-running console keeps its lock.
    lock_.setStaleLockTime(0);
}

SingleInstance::~SingleInstance() = default;

bool SingleInstance::tryBecomePrimary()
{
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

void SingleInstance::answerConnection()
{
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

bool SingleInstance::activateRunningInstance(int timeoutMs) const
{
    // One time-out for the whole exchange: a console that hangs must not hold up this start.
    const QDeadlineTimer deadline(timeoutMs);
    QLocalSocket socket;
    socket.connectToServer(serverName_);
    if (!socket.waitForConnected(deadline.remainingTime()))
        return false;
    socket.write(QByteArray(ActivationMessage) + '\n');
    if (!socket.waitForBytesWritten(deadline.remainingTime()))
        return false;
    while (!socket.canReadLine()) {
        if (deadline.hasExpired() || !socket.waitForReadyRead(deadline.remainingTime()))
            return false;
    }
    return socket.readLine().trimmed() == ActivationMessage;
}
