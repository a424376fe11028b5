#include "SnppServer.h"

#include "Credentials.h"
#include "PageDesk.h"

#include <QNetworkProxy>
#include <QTcpSocket>
#include <QTimer>

#include <sys/socket.h>

namespace {

// An IPv4 client of a listener on every address arrives as ::ffff:a.b.c.d; it is the same peer
// as a.b.c.d, for the limits and for the name the page's source shows.
QHostAddress plainAddress(const QHostAddress& address)
{
    bool isV4 = false;
    const quint32 v4 = address.toIPv4Address(&isV4);
    return isV4 ? QHostAddress(v4) : address;
}

QByteArray goodbye(const char* reason)
{
    return QByteArrayLiteral("421 ") + reason + ", Goodbye\r\n";
}

} // namespace

// One client: its socket, its session and its idle clock.
class SnppConnection : public QObject {
public:
    SnppConnection(SnppServer& server, QTcpSocket* socket, quint64 id, const QHostAddress& peer,
                   bool loginRequired)
        : QObject(&server)
        , server_(server)
        , socket_(socket)
        , id_(id)
        , peer_(peer)
        , session_(loginRequired,
                   [&server](uint16_t localId) { return server.recipientProblem(localId); })
    {
        socket_->setParent(this);
        socket_->setReadBufferSize(SnppServer::ReadAheadBytes);
        // The kernel's share of unsent answers stays small too, so that a client that reads
        // nothing reaches the bound soon.
        socket_->setSocketOption(QAbstractSocket::SendBufferSizeSocketOption,
                                 int(SnppServer::MaxUnsentBytes));
        idle_.setSingleShot(true);
        idle_.setInterval(server.idleTimeoutMs_);
        connect(&idle_, &QTimer::timeout, this, [this] { drop(goodbye("Timeout")); });
        connect(socket_, &QTcpSocket::readyRead, this, &SnppConnection::readLines);
        connect(socket_, &QTcpSocket::bytesWritten, this, &SnppConnection::written);
        connect(socket_, &QTcpSocket::disconnected, this, &SnppConnection::finish);
        write(SnppSession::greeting());
        idle_.start();
    }
    ~SnppConnection() override { server_.forget(id_, peer_); }

    PageOrigin origin() const
    {
        return {PageOrigin::Source::Snpp, peer_.toString(), session_.loginName()};
    }

    void loginChecked(bool accepted) { resume(session_.loginChecked(accepted)); }
    void sendEnded(const QList<PageResult>& results) { resume(session_.sendEnded(results)); }

private:
    void readLines()
    {
        if (closing_) {
            // Saying goodbye: what the client still sends is not read, only taken away.
            socket_->readAll();
            return;
        }
        while (!busy()) {
            if (!socket_->canReadLine()) {
                // The session refuses a line this long; it need not wait for its end.
                if (socket_->bytesAvailable() > SnppSession::MaxLineLength + 1)
                    act(session_.feed(socket_->read(SnppSession::MaxLineLength + 2)));
                return;
            }
            QByteArray line = socket_->readLine();
            line.chop(1);
            // Only whole lines count as activity: a line that never ends times out.
            idle_.start();
            act(session_.feed(line));
        }
    }

    bool busy() const
    {
        return holding_ || closing_ || session_.isWaiting() || session_.isClosed();
    }

    void act(const SnppSession::Step& step)
    {
        if (step.login)
            server_.checkLogin(id_, *step.login);
        if (step.order)
            server_.submit(this, *step.order);
        if (session_.isWaiting())
            idle_.stop(); // the client waits for the console now, not the other way round
        if (step.delayMs > 0) {
            holding_ = true;
            idle_.stop();
            QTimer::singleShot(step.delayMs, this, [this, step] {
                holding_ = false;
                reply(step);
                idle_.start();
                readLines();
            });
            return;
        }
        reply(step);
    }

    // The answer to a login check or a send, and on with the lines that came meanwhile.
    void resume(const SnppSession::Step& step)
    {
        act(step);
        if (!busy()) {
            idle_.start();
            readLines();
        }
    }

    void reply(const SnppSession::Step& step)
    {
        if (step.close)
            drop(step.reply);
        else if (!step.reply.isEmpty())
            write(step.reply);
    }

    void write(const QByteArray& bytes)
    {
        socket_->write(bytes);
        if (socket_->bytesToWrite() > SnppServer::MaxUnsentBytes)
            finish(); // it reads nothing: nothing more will reach it either
    }

    // 421 and goodbye: the answer is sent, then the console stops sending and lets the client
    // read it for a while. Closing at once, with the client's lines unread, would reset the
    // connection and could take the answer with it.
    void drop(const QByteArray& reply)
    {
        if (closing_)
            return;
        closing_ = true;
        idle_.stop();
        QTimer::singleShot(SnppServer::GoodbyeMs, this, &SnppConnection::finish);
        write(reply);
        socket_->readAll();
        written();
    }

    void written()
    {
        if (closing_ && !halfClosed_ && socket_->bytesToWrite() == 0 &&
            socket_->state() == QAbstractSocket::ConnectedState) {
            halfClosed_ = true;
            ::shutdown(int(socket_->socketDescriptor()), SHUT_WR);
        }
    }

    void finish()
    {
        if (finished_)
            return;
        finished_ = true;
        idle_.stop();
        socket_->abort();
        deleteLater();
    }

    SnppServer& server_;
    QTcpSocket* socket_;
    const quint64 id_;
    const QHostAddress peer_;
    SnppSession session_;
    QTimer idle_;
    bool holding_ = false; // a wrong login's answer is held back
    bool closing_ = false;
    bool halfClosed_ = false;
    bool finished_ = false;
};

SnppServer::SnppServer(PageDesk& desk, const GatewaySettings& settings, QObject* parent)
    : QObject(parent)
    , desk_(desk)
    , logins_(settings.logins)
{
    // One slow password check at a time: a crowd of guessers queues up behind it instead of
    // taking every core from the console.
    loginChecks_.setMaxThreadCount(1);
    // A listener is on this machine's own addresses, never behind a proxy; asking the system
    // for one would only start a thread that looks.
    server_.setProxy(QNetworkProxy::NoProxy);
    // A burst of clients beyond what the kernel queues for the server is lost without a word.
    server_.setListenBacklogSize(4 * MaxConnections);
    connect(&server_, &QTcpServer::newConnection, this, &SnppServer::accept);
}

SnppServer::~SnppServer()
{
    close();
    loginChecks_.clear();
    loginChecks_.waitForDone();
}

std::optional<QString> SnppServer::listen(const ListenAddress& address)
{
    close();
    if (!server_.listen(address.host, address.port))
        return server_.errorString();
    return std::nullopt;
}

void SnppServer::close()
{
    server_.close();
    const QList<SnppConnection*> open = connections_.values();
    for (SnppConnection* connection : open)
        delete connection;
}

quint16 SnppServer::port() const
{
    return server_.isListening() ? server_.serverPort() : 0;
}

void SnppServer::accept()
{
    while (QTcpSocket* socket = server_.nextPendingConnection()) {
        const QHostAddress peer = plainAddress(socket->peerAddress());
        if (connections_.size() >= MaxConnections ||
            perPeer_.value(peer) >= MaxConnectionsPerPeer) {
            refuse(socket, goodbye("Too Many Connections"));
            continue;
        }
        const quint64 id = ++lastConnectionId_;
        const bool loginRequired = !(loopbackTrusted_ && peer.isLoopback());
        ++perPeer_[peer];
        connections_.insert(id, new SnppConnection(*this, socket, id, peer, loginRequired));
    }
}

void SnppServer::refuse(QTcpSocket* socket, const QByteArray& reply)
{
    connect(socket, &QTcpSocket::disconnected, socket, &QObject::deleteLater);
    QTimer::singleShot(GoodbyeMs, socket, [socket] {
        socket->abort();
        socket->deleteLater();
    });
    socket->write(reply);
    socket->disconnectFromHost();
}

void SnppServer::checkLogin(quint64 connectionId, const SnppSession::Login& login)
{
    loginChecks_.start([this, connectionId, logins = logins_, login] {
        const bool accepted = Credentials::verifyLogin(logins, login.name, login.password);
        // Back on the event loop's thread; the client may have gone meanwhile.
        QMetaObject::invokeMethod(
            this,
            [this, connectionId, accepted] {
                if (SnppConnection* connection = connections_.value(connectionId))
                    connection->loginChecked(accepted);
            },
            Qt::QueuedConnection);
    });
}

void SnppServer::submit(SnppConnection* connection, const SnppSession::Order& order)
{
    desk_.submit(
        order.recipients, order.text, connection->origin(), connection,
        [connection](const QList<PageResult>& results) { connection->sendEnded(results); });
}

void SnppServer::forget(quint64 connectionId, const QHostAddress& peer)
{
    connections_.remove(connectionId);
    if (--perPeer_[peer] <= 0)
        perPeer_.remove(peer);
}

std::optional<QString> SnppServer::recipientProblem(uint16_t localId) const
{
    return desk_.check({localId}, QString());
}
