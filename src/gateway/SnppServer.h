#pragma once

#include "GatewaySettings.h"
#include "SnppSession.h"

#include <QHash>
#include <QHostAddress>
#include <QObject>
#include <QTcpServer>
#include <QThreadPool>

#include <optional>

class PageDesk;
class SnppConnection;

// The SNPP listener: each client a session of its own, its pages queued through the desk and
// answered once the unit has them. Everything a client can make the console hold is bounded
// (connections, lines, commands, idle time, unsent answers), and nothing a client does waits on
// the event loop: a password is checked on a thread of its own, one check at a time.
class SnppServer : public QObject {
    Q_OBJECT
public:
    static constexpr int MaxConnections = 64;
    static constexpr int MaxConnectionsPerPeer = 8;
    static constexpr int DefaultIdleTimeoutMs = 120000;
    // Answers a client has not taken: past this it reads nothing and is dropped.
    static constexpr qint64 MaxUnsentBytes = 16 * 1024;
    // What is read from a client ahead of the line being worked on.
    static constexpr qint64 ReadAheadBytes = 16 * 1024;
    // After 421 a client has this long to read it before the connection is cut.
    static constexpr int GoodbyeMs = 2000;

    SnppServer(PageDesk& desk, const GatewaySettings& settings, QObject* parent = nullptr);
    ~SnppServer() override;

    // Nothing when listening (on the address's port, or one the system chose for port 0),
    // else why not.
    std::optional<QString> listen(const ListenAddress& address);
    // Stops listening and drops every client.
    void close();
    quint16 port() const;
    // Clients being served, those on their way out included.
    int clientCount() const { return int(connections_.size()); }

    // For tests: a shorter idle time, and loopback peers treated as other computers.
    void setIdleTimeout(int milliseconds) { idleTimeoutMs_ = milliseconds; }
    void setLoopbackTrusted(bool trusted) { loopbackTrusted_ = trusted; }

private:
    friend class SnppConnection;

    void accept();
    static void refuse(QTcpSocket* socket, const QByteArray& reply);
    void checkLogin(quint64 connectionId, const SnppSession::Login& login);
    void submit(SnppConnection* connection, const SnppSession::Order& order);
    void forget(quint64 connectionId, const QHostAddress& peer);
    std::optional<QString> recipientProblem(uint16_t localId) const;

    PageDesk& desk_;
    const QList<Credential> logins_;
    QTcpServer server_;
    int idleTimeoutMs_ = DefaultIdleTimeoutMs;
    bool loopbackTrusted_ = true;
    quint64 lastConnectionId_ = 0;
    QHash<quint64, SnppConnection*> connections_;
    QHash<QHostAddress, int> perPeer_;
    // Declared last, so destroyed first: the checks under way end before what they report to.
    QThreadPool loginChecks_;
};
