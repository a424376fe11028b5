#pragma once

#include "GatewaySettings.h"

#include <QElapsedTimer>
#include <QHash>
#include <QList>
#include <QObject>
#include <QPointer>
#include <QSslConfiguration>
#include <QString>

#include <memory>
#include <optional>

class PageDesk;
class QHttpServerRequest;
class QTcpSocket;

// The gateway's HTTP intake, on Qt's HTTP server: POST /pages queues a page for each recipient
// through the desk and answers once every page has ended; GET /status says whether the unit is
// connected. Nothing else is served.
//
// A peer on loopback pages without a token; any other needs "Authorization: Bearer TOKEN".
// Every read from a peer is bounded before the HTTP server sees it: the headers, the body, the
// time a request may take to arrive, connections at once and from one peer, and requests a
// minute from one peer. A peer that breaks a bound gets its status and is dropped.
class HttpGateway : public QObject {
    Q_OBJECT
public:
    struct Limits {
        qint64 headerBytes = 8 * 1024;
        // A page request with 100 recipients and 200 escaped characters is well under 4 KiB.
        qint64 bodyBytes = 16 * 1024;
        int connections = 64;
        int connectionsPerPeer = 8;
        // From a peer that is not on loopback: loopback pages without a token and is bounded by
        // its connections, one request at a time each.
        int requestsPerMinute = 120;
        // A connection brings a whole request within this time of opening or of its last
        // answer, or it is closed.
        int idleMs = 30000;
    };

    HttpGateway(PageDesk& desk, const GatewaySettings& settings, QObject* parent = nullptr);
    ~HttpGateway() override;

    // Listens on address, over HTTPS when the settings name a certificate and a key. Nothing
    // when it listens, otherwise why not.
    std::optional<QString> listen(const ListenAddress& address);
    // Stops listening and drops every connection; pages already queued go on.
    void close();
    // The port listened on, 0 when closed.
    quint16 port() const;
    // Connections open now.
    int connectionCount() const { return connections_; }

    void setLimits(const Limits& limits) { limits_ = limits; }
    // Tests page from loopback as a remote site would.
    void setLoopbackIsRemote(bool remote) { loopbackIsRemote_ = remote; }

private:
    class Intake;
    class Listener;
    class Connection;
    friend class Connection;

    // The socket for a new connection, guarded, or nothing when the peer was refused.
    QTcpSocket* accept(qintptr descriptor);
    void connectionGone(const QString& peer);
    // Answers at once, or later for a page once the unit has ended it.
    void handle(const QHttpServerRequest& request, QTcpSocket* socket);
    bool isTrusted(const QHostAddress& peer) const;
    bool withinRate(const QString& peer);

    PageDesk& desk_;
    QList<Credential> tokens_;
    QString certificateFile_;
    QString keyFile_;
    Limits limits_;
    bool loopbackIsRemote_ = false;

    std::unique_ptr<Intake> intake_;
    QPointer<Listener> listener_;
    // Connections accepted whose sockets the HTTP server has not taken yet.
    QList<QPointer<Connection>> fresh_;
    std::optional<QSslConfiguration> tls_;
    int connections_ = 0;
    QHash<QString, int> connectionsByPeer_;
    QHash<QString, QList<qint64>> requestTimes_;
    QElapsedTimer clock_;
};
