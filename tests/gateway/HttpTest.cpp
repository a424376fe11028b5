// The HTTP gateway with curl as the site's system, through the real session to the simulated
// unit on a pty.
#include "../support/ChildProcess.h"
#include "OnlineSite.h"
#include "HttpGateway.h"

#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <QStandardPaths>
#include <QTcpSocket>
#include <QTemporaryDir>
#include <QTimer>

#include <gtest/gtest.h>

#include <arpa/inet.h>
#include <atomic>
#include <netinet/in.h>
#include <sys/socket.h>
#include <thread>

namespace {

struct Reply {
    int status = 0; // 0: no HTTP answer
    QByteArray body;
    QByteArray curlError;

    QJsonObject json() const { return QJsonDocument::fromJson(body).object(); }
    QString error() const { return json().value(QStringLiteral("error")).toString(); }
};

// Runs curl to its end while this thread keeps serving events, as the gateway needs.
Reply curl(const QStringList& arguments)
{
    const QString program = QStandardPaths::findExecutable(QStringLiteral("curl"));
    if (program.isEmpty())
        return {0, {}, "curl is not installed"};
    ChildProcess child(program, QStringList{QStringLiteral("-sS"), QStringLiteral("--max-time"),
                                            QStringLiteral("20"), QStringLiteral("-w"),
                                            QStringLiteral("\n%{http_code}")} +
                                    arguments);
    std::atomic<bool> ended = false;
    std::thread waiter([&child, &ended] {
        child.wait(30000);
        ended = true;
    });
    static_cast<void>(QTest::qWaitFor([&ended] { return ended.load(); }, 35000));
    waiter.join();
    Reply reply;
    QByteArray out = child.standardOutput();
    const qsizetype lastLine = out.lastIndexOf('\n');
    reply.status = out.mid(lastLine + 1).toInt();
    reply.body = out.left(std::max<qsizetype>(lastLine, 0));
    reply.curlError = child.standardError();
    return reply;
}

QString json(const QList<int>& to, const QString& text)
{
    QJsonArray ids;
    for (const int id : to)
        ids.append(id);
    return QString::fromUtf8(
        QJsonDocument(QJsonObject{{QStringLiteral("to"), ids}, {QStringLiteral("text"), text}})
            .toJson(QJsonDocument::Compact));
}

class HttpTest : public OnlineSite {
protected:
    void SetUp() override
    {
        OnlineSite::SetUp();
        token_ = Credentials::makeToken(QStringLiteral("till"));
        settings_.tokens = {token_.stored};
        startGateway();
    }

    void startGateway()
    {
        gateway_ = std::make_unique<HttpGateway>(desk_, settings_);
        gateway_->setLimits(limits_);
        gateway_->setLoopbackIsRemote(loopbackIsRemote_);
        const std::optional<QString> problem =
            gateway_->listen({QHostAddress(QHostAddress::LocalHost), 0});
        ASSERT_FALSE(problem) << problem->toStdString();
        ASSERT_NE(gateway_->port(), 0);
    }

    QString url(const QString& path) const
    {
        return QStringLiteral("%1://127.0.0.1:%2%3")
            .arg(settings_.certificateFile.isEmpty() ? u"http" : u"https")
            .arg(gateway_->port())
            .arg(path);
    }

    Reply post(const QString& body, const QStringList& more = {})
    {
        // As the README pages: curl --json BODY URL.
        return curl(more +
                    QStringList{QStringLiteral("--json"), body, url(QStringLiteral("/pages"))});
    }


    // A raw connection, for what curl will not send.
    std::unique_ptr<QTcpSocket> connectRaw()
    {
        auto socket = std::make_unique<QTcpSocket>();
        socket->connectToHost(QHostAddress::LocalHost, gateway_->port());
        EXPECT_TRUE(QTest::qWaitFor(
            [&socket] { return socket->state() == QAbstractSocket::ConnectedState; }, 5000));
        return socket;
    }

    // What the gateway sends until it closes the connection (bounded).
    static QByteArray readUntilClosed(QTcpSocket& socket, int timeoutMs = 5000)
    {
        QByteArray all;
        const bool closed = QTest::qWaitFor(
            [&] {
                all += socket.readAll();
                return socket.state() == QAbstractSocket::UnconnectedState;
            },
            timeoutMs);
        all += socket.readAll();
        EXPECT_TRUE(closed) << "still open; received: " << all.toStdString();
        return all;
    }

    Credentials::NewToken token_;
    GatewaySettings settings_;
    HttpGateway::Limits limits_;
    bool loopbackIsRemote_ = false;
    std::unique_ptr<HttpGateway> gateway_;
};

} // namespace

TEST_F(HttpTest, CurlPagesAndTheUnitReceivesEachPageOnce)
{
    EXPECT_EQ(curl({url(QStringLiteral("/status"))}).json(),
              (QJsonObject{{QStringLiteral("connected"), false}}));
    startOnline();
    const Reply status = curl({url(QStringLiteral("/status"))});
    EXPECT_EQ(status.status, 200);
    EXPECT_EQ(status.json(), (QJsonObject{{QStringLiteral("connected"), true}}));

    QStringList taken;
    QObject::connect(&desk_, &PageDesk::pageTaken,
                     [&taken](const QString& source, uint16_t id, const QString&) {
                         taken << QStringLiteral("%1 %2").arg(source).arg(id);
                     });
    const Reply one = post(QStringLiteral(R"({"to": 12, "text": "Table 4 is ready"})"));
    EXPECT_EQ(one.status, 200) << one.body.toStdString() << one.curlError.toStdString();
    EXPECT_EQ(one.body, QByteArray(R"({"pages":[{"outcome":"confirmed","to":12}]})"));
    // A client that waits for "100 Continue" before it sends the body would wait out its
    // own timeout otherwise (curl's is set past --max-time here).
    const Reply two = post(json({40, 7}, QStringLiteral("Kitchen:\nplates")),
                           {QStringLiteral("-H"), QStringLiteral("Expect: 100-continue"),
                            QStringLiteral("--expect100-timeout"), QStringLiteral("60")});
    EXPECT_EQ(two.status, 200) << two.body.toStdString();
    EXPECT_EQ(pagesReceived(), (QStringList{QStringLiteral("12\x1eTable 4 is ready\x1e"),
                                            // the record carries a line break as the unit shows it
                                            QStringLiteral("40\x1eKitchen:\r\nplates\x1e"),
                                            QStringLiteral("7\x1eKitchen:\r\nplates\x1e")}));
    EXPECT_EQ(taken,
              (QStringList{QStringLiteral("HTTP 127.0.0.1 12"), QStringLiteral("HTTP 127.0.0.1 40"),
                           QStringLiteral("HTTP 127.0.0.1 7")}));
}

TEST_F(HttpTest, RefusesWhatIsNotAPageRequestAndSaysWhy)
{
    startOnline();
    struct Case {
        const char* what;
        QStringList arguments; // the path is added when the case has none
        int status;
        const char* error;
    };
    const QString pages = url(QStringLiteral("/pages"));
    const QByteArray bigHeader(10000, 'a');
    QTemporaryDir dir;
    QFile big(dir.filePath(QStringLiteral("big.json")));
    ASSERT_TRUE(big.open(QIODevice::WriteOnly));
    big.write(QByteArray(1024 * 1024, ' '));
    big.close();
    const QList<Case> cases = {
        {"malformed JSON", {"--data-raw", R"({"to": 12, "text": )", pages}, 400, "not JSON"},
        {"a string for the ID",
         {"--data-raw", R"({"to": "12", "text": "x"})", pages},
         400,
         "\"to\" holds a string"},
        {"no text", {"--data-raw", R"({"to": 12})", pages}, 400, "\"text\" is missing"},
        {"ID out of range",
         {"--data-raw", R"({"to": 10000, "text": "x"})", pages},
         400,
         "10000, which is not a local ID"},
        {"an ID the database lacks",
         {"--data-raw", json({12, 13}, "x"), pages},
         422,
         "no pager or group has local ID 13"},
        {"text over 200",
         {"--data-raw", json({12}, QString(201, u'a')), pages},
         422,
         "201 characters"},
        {"a character the unit cannot show",
         {"--data-raw", json({12}, "\u20ac"), pages},
         422,
         "U+20AC"},
        {"a huge body", {"--data-binary", "@" + big.fileName(), pages}, 413, "1048576 bytes"},
        {"huge headers",
         {"-H", "X-Pad: " + QString::fromLatin1(bigHeader), pages},
         431,
         "more than 8192 bytes"},
        {"a chunked body",
         {"-H", "Transfer-Encoding: chunked", "--data-raw", "{}", pages},
         411,
         "Content-Length"},
        {"GET /pages", {pages}, 405, "/pages takes POST"},
        {"POST /status", {"--data-raw", "{}", url("/status")}, 405, "/status takes GET"},
        {"another path", {url("/admin")}, 404, "only POST /pages and GET /status"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        const Reply reply = curl(c.arguments);
        EXPECT_EQ(reply.status, c.status)
            << reply.body.toStdString() << reply.curlError.toStdString();
        EXPECT_TRUE(reply.error().contains(QString::fromUtf8(c.error))) << reply.body.toStdString();
    }
    EXPECT_TRUE(pagesReceived().isEmpty());
    EXPECT_EQ(curl({url(QStringLiteral("/status"))}).status, 200) << "the gateway still serves";
}

TEST_F(HttpTest, DropsAPeerThatBreaksTheFraming)
{
    startOnline();
    const QByteArray page = R"({"to": 12, "text": "first"})";
    const QByteArray post =
        "POST /pages HTTP/1.1\r\nHost: x\r\nContent-Length: " + QByteArray::number(page.size()) +
        "\r\n\r\n" + page;
    struct Case {
        const char* what;
        QByteArray sent;
        QByteArray answer; // how what the peer reads begins before it is closed
    };
    const QList<Case> cases = {
        {"binary bytes", QByteArray("\x00\x01\xff\xfe\r\n\r\n", 8), {}},
        {"a Content-Length that is not a number",
         "POST /pages HTTP/1.1\r\nHost: x\r\nContent-Length: 12x\r\n\r\n", "HTTP/1.1 400 "},
        {"two Content-Lengths",
         "POST /pages HTTP/1.1\r\nContent-Length: 2\r\nContent-Length: 2\r\n\r\n{}",
         "HTTP/1.1 400 "},
        {"a second request before the first's answer",
         post + QByteArray(post).replace("first", "other"),
         {}},
        {"a body too big, after headers ended by bare line feeds",
         "POST /pages HTTP/1.1\nHost: x\nContent-Length: 20000\n\n", "HTTP/1.1 413 "},
        {"asks to close after the answer",
         "GET /status HTTP/1.1\r\nHost: x\r\nConnection: close\r\n\r\n", "HTTP/1.1 200 "},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        const auto socket = connectRaw();
        socket->write(c.sent);
        const QByteArray received = readUntilClosed(*socket);
        EXPECT_TRUE(received.startsWith(c.answer)) << received.toStdString();
        EXPECT_EQ(received.isEmpty(), c.answer.isEmpty()) << received.toStdString();
    }
    EXPECT_TRUE(unit_->waitForEvents(QStringLiteral("page"), 1));
    EXPECT_EQ(pagesReceived(), QStringList{QStringLiteral("12\x1e"
                                                          "first\x1e")})
        << "the request taken goes on; the one sent after it does not";
}

TEST_F(HttpTest, APageGoesOnWhenItsSenderHangsUp)
{
    startOnline();
    const QByteArray page = R"({"to": 40, "text": "gone"})";
    {
        const auto socket = connectRaw();
        socket->write("POST /pages HTTP/1.1\r\nHost: x\r\nContent-Length: " +
                      QByteArray::number(page.size()) + "\r\n\r\n" + page);
        ASSERT_TRUE(socket->waitForBytesWritten(5000));
        socket->abort();
    }
    EXPECT_TRUE(unit_->waitForEvents(QStringLiteral("page"), 1));
    const Reply next = post(json({12}, QStringLiteral("next")));
    EXPECT_EQ(next.status, 200) << next.body.toStdString();
    EXPECT_EQ(pagesReceived(),
              (QStringList{QStringLiteral("40\x1egone\x1e"), QStringLiteral("12\x1enext\x1e")}));
}

TEST_F(HttpTest, ClosingDropsTheConnectionsAndThePagesGoOn)
{
    startOnline();
    bool taken = false;
    QObject::connect(&desk_, &PageDesk::pageTaken, [&taken] { taken = true; });
    const auto socket = connectRaw();
    const QByteArray page = R"({"to": 12, "text": "closing"})";
    socket->write("POST /pages HTTP/1.1\r\nHost: x\r\nContent-Length: " +
                  QByteArray::number(page.size()) + "\r\n\r\n" + page);
    ASSERT_TRUE(QTest::qWaitFor([&taken] { return taken; }, 5000));
    gateway_->close();
    EXPECT_EQ(gateway_->port(), 0);
    EXPECT_EQ(gateway_->connectionCount(), 0);
    readUntilClosed(*socket);
    EXPECT_TRUE(unit_->waitForEvents(QStringLiteral("page"), 1));
    EXPECT_EQ(pagesReceived(), QStringList{QStringLiteral("12\x1e"
                                                          "closing\x1e")});

    const std::optional<QString> reopened =
        gateway_->listen({QHostAddress(QHostAddress::LocalHost), 0});
    ASSERT_FALSE(reopened) << reopened->toStdString();
    HttpGateway second(desk_, settings_);
    const std::optional<QString> busy =
        second.listen({QHostAddress(QHostAddress::LocalHost), gateway_->port()});
    ASSERT_TRUE(busy);
    EXPECT_TRUE(busy->contains(QStringLiteral("in use"))) << busy->toStdString();
    EXPECT_EQ(curl({url(QStringLiteral("/status"))}).status, 200);
}

TEST_F(HttpTest, AnswersWhyTheUnitDoesNotHaveThePage)
{
    const Reply offline = post(json({12}, QStringLiteral("x")));
    EXPECT_EQ(offline.status, 503);
    EXPECT_EQ(offline.error(), QStringLiteral("the console is not connected to the unit"));

    struct Case {
        const char* what;
        QStringList unitOptions;
        int status;
        const char* error;
    };
    const QList<Case> cases = {
        {"silent",
         {QStringLiteral("--silent-after"), QStringLiteral("0")},
         504,
         "the unit did not answer"},
        {"hangs up",
         {QStringLiteral("--hangup-after"), QStringLiteral("0")},
         502,
         "the line to the unit was lost"},
        {"refuses",
         {QStringLiteral("--refuse-length"), QStringLiteral("f9")},
         502,
         "the unit refused the page"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        startOnline(c.unitOptions +
                    QStringList{QStringLiteral("--fault-type"), QStringLiteral("4")});
        const Reply reply = post(json({12, 40}, QStringLiteral("x")));
        EXPECT_EQ(reply.status, c.status) << reply.body.toStdString();
        EXPECT_EQ(reply.error(), QString::fromUtf8(c.error));
        const QJsonArray pages = reply.json().value(QStringLiteral("pages")).toArray();
        ASSERT_EQ(pages.size(), 2);
        EXPECT_EQ(pages.at(1).toObject().value(QStringLiteral("outcome")).toString(),
                  QStringLiteral("dropped"));
        session_.portSlot().reset();
    }
}

TEST_F(HttpTest, APeerNotOnThisMachineNeedsAToken)
{
    loopbackIsRemote_ = true;
    startGateway();
    const QString status = url(QStringLiteral("/status"));
    const QString bearer = QStringLiteral("Authorization: Bearer ");
    struct Case {
        const char* what;
        QStringList arguments;
        int status;
    };
    const QList<Case> cases = {
        {"no token", {status}, 401},
        {"a wrong token", {"-H", bearer + "x" + QString::fromLatin1(token_.token), status}, 401},
        {"another scheme",
         {"-H", "Authorization: Basic " + QString::fromLatin1(token_.token), status},
         401},
        {"no token, paging", {"--data-raw", json({12}, "x"), url("/pages")}, 401},
        {"the token", {"-H", bearer + QString::fromLatin1(token_.token), status}, 200},
        {"the token, scheme in lower case",
         {"-H", "Authorization: bearer " + QString::fromLatin1(token_.token), status},
         200},
        {"the token, paging offline",
         {"-H", bearer + QString::fromLatin1(token_.token), "--data-raw", json({12}, "x"),
          url("/pages")},
         503},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        const Reply reply = curl(c.arguments);
        EXPECT_EQ(reply.status, c.status) << reply.body.toStdString();
    }
    EXPECT_TRUE(session_.pageQueue().isEmpty());
}

TEST_F(HttpTest, BoundsRequestsAndConnectionsOfOnePeer)
{
    loopbackIsRemote_ = true;
    limits_.requestsPerMinute = 3;
    limits_.connectionsPerPeer = 2;
    startGateway();
    const QStringList withToken{QStringLiteral("-H"),
                                QStringLiteral("Authorization: Bearer ") +
                                    QString::fromLatin1(token_.token),
                                url(QStringLiteral("/status"))};
    for (int i = 0; i < 3; ++i)
        EXPECT_EQ(curl(withToken).status, 200) << i;
    const Reply fourth = curl(withToken);
    EXPECT_EQ(fourth.status, 429);
    EXPECT_TRUE(fourth.error().contains(QStringLiteral("at most 3 requests a minute")));

    const auto first = connectRaw();
    const auto second = connectRaw();
    const auto third = connectRaw();
    const QByteArray refused = readUntilClosed(*third);
    EXPECT_TRUE(refused.startsWith("HTTP/1.1 429 ")) << refused.toStdString();
    EXPECT_EQ(first->state(), QAbstractSocket::ConnectedState);
}

TEST_F(HttpTest, TwoHundredConnectionsAtOnceLeaveTheGatewayServing)
{
    limits_.connectionsPerPeer = 1000;
    startGateway();
    std::vector<std::unique_ptr<QTcpSocket>> open;
    for (int i = 0; i < 200; ++i) {
        open.push_back(std::make_unique<QTcpSocket>());
        open.back()->connectToHost(QHostAddress::LocalHost, gateway_->port());
    }
    const auto closed = [&open] {
        return std::count_if(open.begin(), open.end(), [](const auto& socket) {
            return socket->state() == QAbstractSocket::UnconnectedState;
        });
    };
    EXPECT_TRUE(QTest::qWaitFor([&closed] { return closed() == 200 - 64; }, 10000))
        << closed() << " closed";
    EXPECT_EQ(gateway_->connectionCount(), 64);
    open.clear();
    EXPECT_TRUE(QTest::qWaitFor([this] { return gateway_->connectionCount() == 0; }, 5000));
    EXPECT_EQ(curl({url(QStringLiteral("/status"))}).status, 200);
}

TEST_F(HttpTest, DropsAPeerThatSendsWithoutReadingTheAnswers)
{
    const QByteArray request = "GET /status HTTP/1.1\r\nHost: x\r\n\r\n";
    {
        const auto burst = connectRaw();
        burst->write(request.repeated(2000));
        const QByteArray received = readUntilClosed(*burst);
        EXPECT_TRUE(received.contains("HTTP/1.1 429 ")) << received.left(300).toStdString();
        EXPECT_LT(received.count("HTTP/1.1 200 "), 2000);
    }
    EXPECT_TRUE(QTest::qWaitFor([this] { return gateway_->connectionCount() == 0; }, 5000));

    // A peer whose side takes in next to nothing, so that the answers wait at the gateway,
    // sends a few requests at a time, each few taken before the next come.
    const int native = ::socket(AF_INET, SOCK_STREAM, 0);
    const int small = 4096;
    ASSERT_EQ(::setsockopt(native, SOL_SOCKET, SO_RCVBUF, &small, sizeof small), 0);
    sockaddr_in gatewayAddress{};
    gatewayAddress.sin_family = AF_INET;
    gatewayAddress.sin_port = htons(gateway_->port());
    gatewayAddress.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
    ASSERT_EQ(
        ::connect(native, reinterpret_cast<sockaddr*>(&gatewayAddress), sizeof gatewayAddress), 0);
    const auto socket = std::make_unique<QTcpSocket>();
    ASSERT_TRUE(socket->setSocketDescriptor(native));
    socket->setReadBufferSize(1);
    ASSERT_TRUE(QTest::qWaitFor([this] { return gateway_->connectionCount() == 1; }, 5000));
    for (int sent = 0; sent < 20000 && gateway_->connectionCount() == 1; sent += 10) {
        socket->write(request.repeated(10));
        QTest::qWait(2);
    }
    EXPECT_TRUE(QTest::qWaitFor([this] { return gateway_->connectionCount() == 0; }, 5000))
        << "the peer is still served";
}

TEST_F(HttpTest, ClosesAConnectionThatDoesNotBringAWholeRequestInTime)
{
    limits_.idleMs = 300;
    limits_.connections = 3;
    startGateway();
    std::vector<std::unique_ptr<QTcpSocket>> open;
    for (int i = 0; i < limits_.connections; ++i)
        open.push_back(connectRaw());
    const auto over = connectRaw();
    const QByteArray busy = readUntilClosed(*over);
    EXPECT_TRUE(busy.startsWith("HTTP/1.1 503 ")) << busy.toStdString();
    open.clear();
    EXPECT_TRUE(QTest::qWaitFor([this] { return gateway_->connectionCount() == 0; }, 5000));

    struct Case {
        const char* what;
        QByteArray sent;
        QByteArray answer; // how the answer begins; empty: closed without one
    };
    const QList<Case> cases = {
        {"nothing sent", {}, {}},
        {"headers never ended", "GET /status HTTP/1.1\r\nHost: x\r\n", "HTTP/1.1 408 "},
        {"body cut short",
         "POST /pages HTTP/1.1\r\nHost: x\r\nContent-Length: 30\r\n\r\n{\"to\": 12",
         "HTTP/1.1 408 "},
        {"kept alive after its answer", "GET /status HTTP/1.1\r\nHost: x\r\n\r\n", "HTTP/1.1 200 "},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        const auto socket = connectRaw();
        socket->write(c.sent);
        const QByteArray received = readUntilClosed(*socket);
        EXPECT_TRUE(received.startsWith(c.answer)) << received.toStdString();
        EXPECT_EQ(received.isEmpty(), c.answer.isEmpty()) << received.toStdString();
    }

    // The connections closed above are free again.
    EXPECT_TRUE(QTest::qWaitFor([this] { return gateway_->connectionCount() == 0; }, 5000));
    for (int i = 0; i < limits_.connections; ++i)
        open.push_back(connectRaw());
    open.back()->write("GET /status HTTP/1.1\r\nHost: x\r\n\r\n");
    const QByteArray answered = readUntilClosed(*open.back());
    EXPECT_TRUE(answered.startsWith("HTTP/1.1 200 ")) << answered.toStdString();
}

TEST_F(HttpTest, ServesHttpsWithTheSitesCertificate)
{
    const QString openssl = QStandardPaths::findExecutable(QStringLiteral("openssl"));
    ASSERT_FALSE(openssl.isEmpty()) << "openssl is not installed";
    QTemporaryDir dir;
    settings_.certificateFile = dir.filePath(QStringLiteral("cert.pem"));
    settings_.keyFile = dir.filePath(QStringLiteral("key.pem"));
    ChildProcess made(openssl,
                      {QStringLiteral("req"), QStringLiteral("-x509"), QStringLiteral("-newkey"),
                       QStringLiteral("ec"), QStringLiteral("-pkeyopt"),
                       QStringLiteral("ec_paramgen_curve:prime256v1"), QStringLiteral("-nodes"),
                       QStringLiteral("-days"), QStringLiteral("1"), QStringLiteral("-subj"),
                       QStringLiteral("/CN=127.0.0.1"), QStringLiteral("-addext"),
                       QStringLiteral("subjectAltName=IP:127.0.0.1"), QStringLiteral("-keyout"),
                       settings_.keyFile, QStringLiteral("-out"), settings_.certificateFile});
    ASSERT_EQ(made.wait(), 0) << made.standardError().toStdString();
    startGateway();
    startOnline();

    const QStringList trust{QStringLiteral("--cacert"), settings_.certificateFile};
    const Reply status = curl(trust + QStringList{url(QStringLiteral("/status"))});
    EXPECT_EQ(status.status, 200) << status.curlError.toStdString();
    EXPECT_EQ(status.json(), (QJsonObject{{QStringLiteral("connected"), true}}));
    const Reply paged = post(json({12}, QStringLiteral("over TLS")), trust);
    EXPECT_EQ(paged.status, 200) << paged.body.toStdString() << paged.curlError.toStdString();
    EXPECT_EQ(pagesReceived(), QStringList{QStringLiteral("12\x1eover TLS\x1e")});
    EXPECT_EQ(curl({url(QStringLiteral("/status"))
                        .replace(QStringLiteral("https:"), QStringLiteral("http:"))})
                  .status,
              0)
        << "plain HTTP is not served on the HTTPS port";

    struct Case {
        const char* what;
        QString certificate;
        QString key;
        const char* problem;
    };
    const QList<Case> cases = {
        {"no key", settings_.certificateFile, {}, "both a certificate and a key"},
        {"a missing file", dir.filePath("none.pem"), settings_.keyFile, "cannot read"},
        {"the key as certificate", settings_.keyFile, settings_.keyFile, "no PEM certificate"},
        {"the certificate as key", settings_.certificateFile, settings_.certificateFile,
         "no PEM private key"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        GatewaySettings wrong;
        wrong.certificateFile = c.certificate;
        wrong.keyFile = c.key;
        HttpGateway refused(desk_, wrong);
        const std::optional<QString> problem =
            refused.listen({QHostAddress(QHostAddress::LocalHost), 0});
        ASSERT_TRUE(problem);
        EXPECT_TRUE(problem->contains(QString::fromUtf8(c.problem))) << problem->toStdString();
        EXPECT_EQ(refused.port(), 0);
    }
}
