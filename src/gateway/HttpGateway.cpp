#include "HttpGateway.h"

#include "PageDesk.h"
#include "PageJson.h"

#include <QAbstractHttpServer>
#include <QFile>
#include <QHttpServerRequest>
#include <QHttpServerResponder>
#include <QSslCertificate>
#include <QSslKey>
#include <QSslSocket>
#include <QTcpServer>
#include <QTimer>

namespace {

constexpr qint64 MinuteMs = 60 * 1000;
// How long a refused peer's further bytes are read and thrown away before the connection is
// closed: closing at once with bytes unread resets the connection, and the peer may never read
// why it was refused.
constexpr int LingerMs = 1000;
constexpr qint64 MaxUnsentBytes = 64 * 1024;

QByteArray reasonPhrase(int status)
{
    switch (status) {
    case PageJson::Ok:
        return "OK";
    case PageJson::BadRequest:
        return "Bad Request";
    case PageJson::Unauthorized:
        return "Unauthorized";
    case PageJson::NotFound:
        return "Not Found";
    case PageJson::MethodNotAllowed:
        return "Method Not Allowed";
    case 408:
        return "Request Timeout";
    case PageJson::LengthRequired:
        return "Length Required";
    case PageJson::PayloadTooLarge:
        return "Payload Too Large";
    case PageJson::UnprocessableContent:
        return "Unprocessable Content";
    case PageJson::TooManyRequests:
        return "Too Many Requests";
    case PageJson::HeaderFieldsTooLarge:
        return "Request Header Fields Too Large";
    case PageJson::BadGateway:
        return "Bad Gateway";
    case PageJson::ServiceUnavailable:
        return "Service Unavailable";
    case PageJson::GatewayTimeout:
        return "Gateway Timeout";
    default:
        break;
    }
    return "Error";
}

using Headers = QList<std::pair<QByteArray, QByteArray>>;

// An answer written by the gateway itself, before or instead of the HTTP server: a refused
// peer's connection is closed after it.
QByteArray rawAnswer(int status, const QString& why)
{
    const QByteArray body = PageJson::error(why);
    return "HTTP/1.1 " + QByteArray::number(status) + ' ' + reasonPhrase(status) +
           "\r\nContent-Type: application/json\r\nContent-Length: " +
           QByteArray::number(body.size()) + "\r\nConnection: close\r\n\r\n" + body;
}

QHostAddress plainAddress(const QHostAddress& address)
{
    bool isV4 = false;
    const quint32 v4 = address.toIPv4Address(&isV4);
    return isV4 ? QHostAddress(v4) : address;
}

std::optional<QByteArray> readFile(const QString& path)
{
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly))
        return std::nullopt;
    return file.read(1024 * 1024);
}

// Where the headers in head end (past their empty line), or -1: the HTTP server takes a bare
// line feed for a line's end as well as CR LF.
qsizetype headEnd(const QByteArray& head, qsizetype from)
{
    for (qsizetype at = head.indexOf('\n', from); at >= 0; at = head.indexOf('\n', at + 1)) {
        if (at + 1 < head.size() && head.at(at + 1) == '\n')
            return at + 2;
        if (at + 2 < head.size() && head.at(at + 1) == '\r' && head.at(at + 2) == '\n')
            return at + 3;
    }
    return -1;
}

} // namespace

// Qt's HTTP server, handing every complete request to the gateway.
class HttpGateway::Intake : public QAbstractHttpServer {
public:
    explicit Intake(HttpGateway& gateway)
        : gateway_(gateway)
    {}
    using QAbstractHttpServer::makeResponder;

protected:
    bool handleRequest(const QHttpServerRequest& request, QTcpSocket* socket) override
    {
        gateway_.handle(request, socket);
        return true;
    }
    void missingHandler(const QHttpServerRequest&, QTcpSocket*) override {}

private:
    HttpGateway& gateway_;
};

// Accepts connections for the gateway, which makes each socket and guards it before the HTTP
// server is given it.
class HttpGateway::Listener : public QTcpServer {
public:
    Listener(HttpGateway& gateway, QObject* parent)
        : QTcpServer(parent)
        , gateway_(gateway)
    {}

protected:
    void incomingConnection(qintptr descriptor) override
    {
        if (QTcpSocket* socket = gateway_.accept(descriptor))
            addPendingConnection(socket);
    }

private:
    HttpGateway& gateway_;
};

// One peer's connection, as the gateway watches it. Its guard reads every byte the peer sends
// before the HTTP server does and follows the requests' framing: a peer whose headers or body
// break a bound is answered here and dropped before the server has stored what it sent.
class HttpGateway::Connection : public QObject {
public:
    Connection(HttpGateway& gateway, QTcpSocket* socket, const QString& peer)
        : QObject(socket)
        , gateway_(&gateway)
        , socket_(socket)
        , peer_(peer)
    {
        idle_.setSingleShot(true);
        connect(&idle_, &QTimer::timeout, this, &Connection::idleTimeout);
        idle_.start(gateway.limits_.idleMs);
        connect(socket, &QIODevice::readyRead, this, &Connection::beforeServer);
    }
    ~Connection() override
    {
        if (gateway_)
            gateway_->connectionGone(peer_);
    }

    // Connected once the HTTP server has connected its own reader, so that it runs after.
    void followServer() { connect(socket_, &QIODevice::readyRead, this, &Connection::afterServer); }

    const QString& peer() const { return peer_; }
    bool isRefused() const { return refused_; }
    bool isAwaiting() const { return awaiting_; }

    // The peer asked for the connection to end with this request's answer.
    void closeAfterAnswer() { closeAfterAnswer_ = true; }

    // A request was taken whose answer comes once the unit has ended its pages.
    void await()
    {
        awaiting_ = true;
        idle_.stop();
    }

    void answer(QHttpServerResponder& responder, int status, const QByteArray& body,
                const Headers& headers = {})
    {
        awaiting_ = false;
        if (refused_ || socket_->state() != QAbstractSocket::ConnectedState)
            return;
        responder.writeStatusLine(static_cast<QHttpServerResponder::StatusCode>(status));
        responder.writeHeader("Content-Type", "application/json");
        responder.writeHeader("Content-Length", QByteArray::number(body.size()));
        for (const auto& [name, value] : headers)
            responder.writeHeader(name, value);
        responder.writeBody(body);
        if (closeAfterAnswer_)
            socket_->disconnectFromHost();
        else
            idle_.start(gateway_->limits_.idleMs);
    }

    // Answers with status and why, reads and throws away what else comes, and closes.
    void refuse(int status, const QString& why)
    {
        if (refused_)
            return;
        refused_ = true;
        idle_.stop();
        discard();
        socket_->write(rawAnswer(status, why));
        QTimer::singleShot(LingerMs, socket_, [socket = socket_] {
            socket->disconnectFromHost();
            QTimer::singleShot(LingerMs, socket, &QAbstractSocket::abort);
        });
    }

    void drop() { socket_->abort(); }

private:
    enum class Phase { Head, Body };

    void beforeServer()
    {
        if (inEmission_)
            return; // the server handing itself what it left: nothing new from the peer
        inEmission_ = true;
        if (refused_) {
            discard();
            return;
        }
        const qint64 available = socket_->bytesAvailable();
        const qint64 fresh = available - leftover_;
        if (fresh > 0)
            follow(socket_->peek(available).right(fresh));
        // The server takes one request at a time and goes through all that is left for each:
        // a burst of requests sent at once would keep it busy for long.
        const HttpGateway::Limits& limits = gateway_->limits_;
        if (available > limits.headerBytes + limits.bodyBytes)
            refuse(PageJson::TooManyRequests,
                   QStringLiteral("send one request at a time and wait for its answer"));
    }

    void afterServer()
    {
        inEmission_ = false;
        leftover_ = socket_->bytesAvailable();
    }

    void discard()
    {
        if (socket_->isTransactionStarted())
            socket_->commitTransaction();
        socket_->skip(socket_->bytesAvailable());
        leftover_ = 0;
    }

    // Follows the requests' framing over bytes new from the peer.
    void follow(QByteArray bytes)
    {
        const HttpGateway::Limits& limits = gateway_->limits_;
        while (!bytes.isEmpty() && !refused_) {
            if (phase_ == Phase::Body) {
                const qint64 taken = std::min<qint64>(bodyLeft_, bytes.size());
                bodyLeft_ -= taken;
                bytes.remove(0, taken);
                if (bodyLeft_ == 0)
                    phase_ = Phase::Head;
                continue;
            }
            const qsizetype searchFrom = std::max<qsizetype>(0, head_.size() - 2);
            head_ += bytes;
            bytes.clear();
            const qsizetype end = headEnd(head_, searchFrom);
            if (end < 0 ? head_.size() > limits.headerBytes : end > limits.headerBytes) {
                refuse(PageJson::HeaderFieldsTooLarge,
                       QStringLiteral("the request line and headers take more than %1 bytes")
                           .arg(limits.headerBytes));
                return;
            }
            if (end < 0)
                return;
            bytes = head_.mid(end);
            const QByteArray head = head_.left(end);
            head_.clear();
            startBody(head);
        }
    }

    void startBody(const QByteArray& head)
    {
        std::optional<qint64> length;
        bool expectsContinue = false;
        const QList<QByteArray> lines = head.split('\n');
        for (qsizetype i = 1; i < lines.size(); ++i) {
            const QByteArray& line = lines.at(i);
            const qsizetype colon = line.indexOf(':');
            if (colon < 0)
                continue;
            const QByteArray name = line.left(colon).trimmed().toLower();
            const QByteArray value = line.mid(colon + 1).trimmed();
            if (name == "transfer-encoding") {
                refuse(PageJson::LengthRequired,
                       QStringLiteral("send the body with a Content-Length, not in chunks"));
                return;
            }
            if (name == "expect")
                expectsContinue = value.compare("100-continue", Qt::CaseInsensitive) == 0;
            if (name != "content-length")
                continue;
            bool isNumber = !value.isEmpty() && value.size() <= 18;
            for (const char c : value)
                isNumber = isNumber && c >= '0' && c <= '9';
            if (!isNumber || length) {
                refuse(PageJson::BadRequest,
                       QStringLiteral("the Content-Length is not one number"));
                return;
            }
            length = value.toLongLong();
        }
        const qint64 limit = gateway_->limits_.bodyBytes;
        if (length.value_or(0) > limit) {
            refuse(PageJson::PayloadTooLarge,
                   QStringLiteral("the body has %1 bytes; a page request takes at most %2")
                       .arg(*length)
                       .arg(limit));
            return;
        }
        bodyLeft_ = length.value_or(0);
        phase_ = bodyLeft_ > 0 ? Phase::Body : Phase::Head;
        // The HTTP server does not answer this itself; a client would wait before it sends.
        if (expectsContinue && bodyLeft_ > 0)
            socket_->write("HTTP/1.1 100 Continue\r\n\r\n");
    }

    void idleTimeout()
    {
        if (phase_ == Phase::Body || !head_.isEmpty())
            refuse(408, QStringLiteral("the request did not arrive in full within %1 s")
                            .arg(gateway_->limits_.idleMs / 1000.0));
        else
            socket_->disconnectFromHost();
        QTimer::singleShot(2 * LingerMs + 100, socket_, &QAbstractSocket::abort);
    }

    QPointer<HttpGateway> gateway_;
    QTcpSocket* socket_;
    QString peer_;
    QTimer idle_;
    Phase phase_ = Phase::Head;
    QByteArray head_;
    qint64 bodyLeft_ = 0;
    // Bytes the server left unread at the end of the last readyRead: the server hands them to
    // itself again, and they are not new.
    qint64 leftover_ = 0;
    bool inEmission_ = false;
    bool refused_ = false;
    bool awaiting_ = false;
    bool closeAfterAnswer_ = false;
};

HttpGateway::HttpGateway(PageDesk& desk, const GatewaySettings& settings, QObject* parent)
    : QObject(parent)
    , desk_(desk)
    , tokens_(settings.tokens)
    , certificateFile_(settings.certificateFile)
    , keyFile_(settings.keyFile)
{
    clock_.start();
}

HttpGateway::~HttpGateway()
{
    close();
}

std::optional<QString> HttpGateway::listen(const ListenAddress& address)
{
    close();
    tls_.reset();
    if (!certificateFile_.isEmpty() || !keyFile_.isEmpty()) {
        if (certificateFile_.isEmpty() || keyFile_.isEmpty())
            return QStringLiteral("HTTPS needs both a certificate and a key");
        const std::optional<QByteArray> certificateText = readFile(certificateFile_);
        if (!certificateText)
            return QStringLiteral("cannot read the certificate %1").arg(certificateFile_);
        const QList<QSslCertificate> chain = QSslCertificate::fromData(*certificateText);
        if (chain.isEmpty())
            return QStringLiteral("%1 holds no PEM certificate").arg(certificateFile_);
        const std::optional<QByteArray> keyText = readFile(keyFile_);
        if (!keyText)
            return QStringLiteral("cannot read the key %1").arg(keyFile_);
        QSslKey key(*keyText, QSsl::Rsa);
        if (key.isNull())
            key = QSslKey(*keyText, QSsl::Ec);
        if (key.isNull())
            return QStringLiteral("%1 holds no PEM private key (RSA or EC, not encrypted)")
                .arg(keyFile_);
        QSslConfiguration tls = QSslConfiguration::defaultConfiguration();
        tls.setLocalCertificateChain(chain);
        tls.setPrivateKey(key);
        tls.setPeerVerifyMode(QSslSocket::VerifyNone);
        tls_ = tls;
    }

    auto intake = std::make_unique<Intake>(*this);
    auto* listener = new Listener(*this, intake.get());
    // A burst of connections waits to be accepted, and over the limit answered, rather than
    // being held in the handshake by the system for seconds.
    listener->setListenBacklogSize(256);
    if (!listener->listen(address.host, address.port))
        return listener->errorString();
    intake->bind(listener);
    // After bind, so that it runs once the server has connected its reader to the socket.
    connect(listener, &QTcpServer::newConnection, this, [this] {
        for (Connection* connection : std::exchange(fresh_, {})) {
            if (connection)
                connection->followServer();
        }
    });
    intake_ = std::move(intake);
    listener_ = listener;
    return std::nullopt;
}

void HttpGateway::close()
{
    intake_.reset();
    fresh_.clear();
}

quint16 HttpGateway::port() const
{
    return listener_ ? listener_->serverPort() : 0;
}

QTcpSocket* HttpGateway::accept(qintptr descriptor)
{
    QTcpSocket* socket = tls_ ? new QSslSocket(listener_) : new QTcpSocket(listener_);
    if (!socket->setSocketDescriptor(descriptor)) {
        delete socket;
        return nullptr;
    }
    const QString peer = plainAddress(socket->peerAddress()).toString();
    std::optional<std::pair<int, QString>> refusal;
    if (connections_ >= limits_.connections)
        refusal = {PageJson::ServiceUnavailable,
                   QStringLiteral("the gateway has %1 connections open").arg(connections_)};
    else if (connectionsByPeer_.value(peer) >= limits_.connectionsPerPeer)
        refusal = {PageJson::TooManyRequests,
                   QStringLiteral("%1 connections from one address at once at most")
                       .arg(limits_.connectionsPerPeer)};
    if (refusal) {
        // Over TLS the answer could not be read before the handshake; the peer is just closed.
        if (!tls_)
            socket->write(rawAnswer(refusal->first, refusal->second));
        socket->disconnectFromHost();
        connect(socket, &QAbstractSocket::disconnected, socket, &QObject::deleteLater);
        QTimer::singleShot(LingerMs, socket, [socket] {
            socket->abort();
            socket->deleteLater();
        });
        return nullptr;
    }

    ++connections_;
    ++connectionsByPeer_[peer];
    // Answers are small: what a peer leaves unread stays bounded in the system too.
    socket->setSocketOption(QAbstractSocket::SendBufferSizeSocketOption, MaxUnsentBytes);
    fresh_.append(new Connection(*this, socket, peer));
    if (auto* secure = qobject_cast<QSslSocket*>(socket)) {
        secure->setSslConfiguration(*tls_);
        secure->startServerEncryption();
    }
    return socket;
}

void HttpGateway::connectionGone(const QString& peer)
{
    --connections_;
    if (--connectionsByPeer_[peer] <= 0)
        connectionsByPeer_.remove(peer);
}

bool HttpGateway::isTrusted(const QHostAddress& peer) const
{
    return !loopbackIsRemote_ && peer.isLoopback();
}

bool HttpGateway::withinRate(const QString& peer)
{
    const qint64 now = clock_.elapsed();
    if (requestTimes_.size() > 1024) {
        for (auto it = requestTimes_.begin(); it != requestTimes_.end();) {
            if (it->isEmpty() || it->last() <= now - MinuteMs)
                it = requestTimes_.erase(it);
            else
                ++it;
        }
    }
    QList<qint64>& times = requestTimes_[peer];
    while (!times.isEmpty() && times.first() <= now - MinuteMs)
        times.removeFirst();
    if (times.size() >= limits_.requestsPerMinute)
        return false;
    times.append(now);
    return true;
}

void HttpGateway::handle(const QHttpServerRequest& request, QTcpSocket* socket)
{
    Connection* connection = nullptr;
    for (QObject* child : socket->children()) {
        if ((connection = dynamic_cast<Connection*>(child)))
            break;
    }
    if (!connection || connection->isRefused())
        return; // already answered by the guard
    if (socket->bytesToWrite() > MaxUnsentBytes) {
        // A peer that sends request after request and reads no answer would have them pile
        // up here.
        connection->drop();
        return;
    }
    if (connection->isAwaiting()) {
        // One request at a time: a second one before the first's answer would be answered out
        // of order.
        connection->drop();
        return;
    }
    if (request.value("Connection").trimmed().compare("close", Qt::CaseInsensitive) == 0)
        connection->closeAfterAnswer();
    QHttpServerResponder responder = Intake::makeResponder(request, socket);
    const QHostAddress peer = plainAddress(request.remoteAddress());
    const bool trusted = isTrusted(peer);

    if (!trusted && !withinRate(connection->peer())) {
        connection->answer(responder, PageJson::TooManyRequests,
                           PageJson::error(QStringLiteral("at most %1 requests a minute from one "
                                                          "address")
                                               .arg(limits_.requestsPerMinute)),
                           {{"Retry-After", "60"}});
        return;
    }
    // A trusted peer may still name itself with a token; the history keeps the name.
    const QByteArray authorization = request.value("Authorization").trimmed();
    const bool bearer = authorization.size() > 7 &&
                        authorization.left(7).compare("Bearer ", Qt::CaseInsensitive) == 0;
    const std::optional<QString> tokenName =
        bearer ? Credentials::tokenName(tokens_, authorization.mid(7).trimmed()) : std::nullopt;
    if (!trusted) {
        if (!tokenName) {
            connection->answer(
                responder, PageJson::Unauthorized,
                PageJson::error(bearer ? QStringLiteral("the token is not one this gateway "
                                                        "accepts")
                                       : QStringLiteral("a peer that is not on this machine "
                                                        "sends \"Authorization: Bearer TOKEN\"")),
                {{"WWW-Authenticate", "Bearer"}});
            return;
        }
    }

    const QString path = request.url().path();
    const QHttpServerRequest::Method method = request.method();
    if (path == u"/status") {
        if (method != QHttpServerRequest::Method::Get)
            connection->answer(responder, PageJson::MethodNotAllowed,
                               PageJson::error(QStringLiteral("/status takes GET")),
                               {{"Allow", "GET"}});
        else
            connection->answer(responder, PageJson::Ok, PageJson::unitStatus(desk_.isOnline()));
        return;
    }
    if (path != u"/pages") {
        connection->answer(responder, PageJson::NotFound,
                           PageJson::error(QStringLiteral("only POST /pages and GET /status "
                                                          "are served")));
        return;
    }
    if (method != QHttpServerRequest::Method::Post) {
        connection->answer(responder, PageJson::MethodNotAllowed,
                           PageJson::error(QStringLiteral("/pages takes POST")),
                           {{"Allow", "POST"}});
        return;
    }
    const auto parsed = PageJson::parse(request.body());
    if (const QString* problem = std::get_if<QString>(&parsed)) {
        connection->answer(responder, PageJson::BadRequest, PageJson::error(*problem));
        return;
    }
    const PageJson::Request& page = std::get<PageJson::Request>(parsed);
    if (const std::optional<QString> problem = desk_.check(page.recipients, page.text)) {
        connection->answer(responder, PageJson::UnprocessableContent, PageJson::error(*problem));
        return;
    }

    connection->await();
    auto pending = std::make_shared<QHttpServerResponder>(std::move(responder));
    desk_.submit(page.recipients, page.text,
                 {PageOrigin::Source::Http, peer.toString(), tokenName.value_or(QString())},
                 connection, [connection, pending](const QList<PageResult>& results) {
                     connection->answer(*pending, PageJson::status(results),
                                        PageJson::answer(results));
                 });
}
