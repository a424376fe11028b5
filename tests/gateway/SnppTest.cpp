// The SNPP gateway: the conversation on its own, then real clients (Perl's Net::SNPP and raw
// sockets on loopback) through the server, the desk and the real session to the simulated unit.
#include "../support/ChildProcess.h"
#include "OnlineSite.h"
#include "Credentials.h"
#include "SnppServer.h"
#include "SnppSession.h"

#include <QElapsedTimer>
#include <QNetworkProxy>
#include <QTcpSocket>
#include <QTimer>

#include <gtest/gtest.h>

#include <memory>
#include <vector>

namespace {

// ---- The conversation without a socket ----

// Lines to the session; what it answered, one reply line each, and what it handed out.
struct Conversation {
    QList<QByteArray> replies;
    QList<SnppSession::Order> orders;
    QList<SnppSession::Login> logins;
    bool closed = false;
};

Conversation talk(SnppSession& session, const QList<QByteArray>& lines,
                  PageOutcome outcome = PageOutcome::Confirmed, bool loginRight = true)
{
    Conversation said;
    auto take = [&said](const SnppSession::Step& step) {
        for (const QByteArray& line : step.reply.split('\n')) {
            if (!line.isEmpty())
                said.replies << line.chopped(1);
        }
        said.closed = said.closed || step.close;
    };
    for (const QByteArray& line : lines) {
        SnppSession::Step step = session.feed(line);
        take(step);
        if (step.login) {
            said.logins << *step.login;
            take(session.loginChecked(loginRight && step.login->password == "secret"));
        }
        if (step.order) {
            said.orders << *step.order;
            QList<PageResult> results;
            for (const uint16_t id : step.order->recipients)
                results.append({id, outcome, {}});
            take(session.sendEnded(results));
        }
    }
    return said;
}

std::optional<QString> siteHolds12And40(uint16_t localId)
{
    if (localId == 12 || localId == 40)
        return std::nullopt;
    return QStringLiteral("no pager or group has local ID %1").arg(localId);
}

TEST(SnppSessionTest, AnswersEachCommandAsTheProtocolSays)
{
    struct Case {
        const char* what;
        QList<QByteArray> lines;
        QList<QByteArray> replies; // each the start of the reply line it stands for
        QList<uint16_t> recipients; // of the one page order expected, empty for none
        QString text;
    };
    const QString longText(201, u'a');
    const QList<Case> cases = {
        {"a page", {"PAGE 12", "MESS Table 4 is ready", "SEND"},
         {"250 Pager ID", "250 Message OK", "250 Message Sent Successfully"}, {12},
         QStringLiteral("Table 4 is ready")},
        {"commands by four letters in any case", {"pager 12", "pAgE 40", "messAGE hi", "sendit"},
         {"250", "250", "250", "250 Message Sent"}, {12, 40}, QStringLiteral("hi")},
        {"three letters are no command", {"PAG 12"}, {"500 Command Not Implemented"}, {}, {}},
        {"the message keeps its spaces", {"PAGE 12", "MESS  two  spaces ", "SEND"},
         {"250", "250", "250"}, {12}, QStringLiteral("two  spaces ")},
        {"CR LF and LF alike", {"PAGE 12\r", "MESS x\r", "SEND\r"}, {"250", "250", "250"}, {12},
         QStringLiteral("x")},
        {"DATA with dot-unstuffing", {"PAGE 40", "DATA", "Kitchen", "..5 minutes", ".", "SEND"},
         {"250", "354 Begin Input", "250 Message OK", "250"}, {40},
         QStringLiteral("Kitchen\n.5 minutes")},
        {"a subject is the first line", {"SUBJ Bar", "PAGE 12", "MESS Order up", "SEND"},
         {"250", "250", "250", "250"}, {12}, QStringLiteral("Bar\nOrder up")},
        {"UTF-8 and Latin-1 text", {"PAGE 12", "MESS caf\xc3\xa9", "SEND", "PAGE 12",
                                    "MESS caf\xe9", "SEND"},
         {"250", "250", "250", "250", "250", "250"}, {12, 12}, QStringLiteral("caf\u00e9")},
        {"SEND before PAGEr", {"SEND"}, {"503 Error, Pager ID or Message Incomplete"}, {}, {}},
        {"SEND without a message", {"PAGE 12", "SEND"}, {"250", "503"}, {}, {}},
        {"a second message", {"MESS a", "MESS b", "DATA"},
         {"250", "503 ERROR, Message Already Entered", "503 ERROR, Message Already Entered"}, {},
         {}},
        {"RESEt forgets pagers and message", {"PAGE 12", "MESS a", "RESE", "SEND"},
         {"250", "250", "250 RESET OK", "503"}, {}, {}},
        {"an ID the database lacks",
         {"PAGE 13"}, {"550 Error, Invalid Pager ID: no pager or group has local ID 13"}, {}, {}},
        {"IDs that are no local ID", {"PAGE 0", "PAGE 10000", "PAGE +12", "PAGE", "PAGE 12 pin"},
         {"550 Error, Invalid Pager ID: no pager or group has local ID 0",
          "550 Error, Invalid Pager ID: a pager ID here", "550 Error, Invalid Pager ID: a pager",
          "550 Error, Invalid Pager ID: a pager", "550 Error, Invalid Pager ID or Password"},
         {}, {}},
        {"text over 200 characters is refused, not cut",
         {"PAGE 12", "MESS " + longText.toLatin1(), "SEND"},
         {"250", "550 Error, Invalid Message: the page text has 201 characters", "503"}, {}, {}},
        {"a subject that makes the text too long",
         {"MESS " + QByteArray(195, 'a'), "SUBJ abcd"},
         {"250", "550 Error, Invalid Subject: the page text has 201"}, {}, {}},
        {"a character the unit cannot show", {"MESS \xe2\x82\xac 5"},
         {"550 Error, Invalid Message: the page text holds U+20AC '?', which the unit cannot "
          "show"}, {}, {}},
        {"an empty message", {"MESS", "DATA", "."}, {"550", "354", "550"}, {}, {}},
        {"HELP", {"HELP"}, {"214", "214", "214", "214", "214", "214", "214", "214", "214", "250"},
         {}, {}},
        {"levels that page at once, the rest refused",
         {"LEVE 0", "LEVE 1", "LEVE 2", "LEVE 11", "LEVE x"},
         {"250 OK, Alternate Service Level Accepted", "250", "550 Error, Invalid Service Level",
          "550", "550"}, {}, {}},
        {"an alert only as the unit does it", {"ALER 1", "ALER 0"},
         {"250 OK, Alert Override Accepted", "550 Error, Invalid Alert Parameter"}, {}, {}},
        {"no holding and no other coverage", {"HOLD 261211120000", "COVE 2"},
         {"500 Command Not Implemented: the unit cannot hold", "500 Command Not Implemented: "
                                                               "the unit has no other coverage"},
         {}, {}},
        {"a caller ID is taken", {"CALL 5551234", "CALL"}, {"250 Caller ID Accepted", "550"},
         {}, {}},
        {"the two-way commands are not", {"2WAY", "PING 12", "MSTA 1 2"},
         {"500", "500", "500"}, {}, {}},
        {"QUIT", {"QUIT", "PAGE 12"}, {"221 OK, Goodbye"}, {}, {}},
        {"binary bytes", {QByteArray("MESS a\0b", 8), "PAGE 12"}, {"421 Binary Data Refused"},
         {}, {}},
        {"a line over 1024 bytes", {"MESS " + QByteArray(1020, 'a')}, {"421 Line Too Long"}, {},
         {}},
        {"DATA over its bound",
         QList<QByteArray>{"DATA"} + QList<QByteArray>(9, QByteArray(1000, 'a')),
         {"354", "421 Message Too Long"}, {}, {}},
        {"too many errors", QList<QByteArray>(20, "XYZZY"),
         QList<QByteArray>(20, "500") << "421 Too Many Errors", {}, {}},
        {"too many commands", QList<QByteArray>(SnppSession::MaxCommands + 1, "RESE"),
         QList<QByteArray>(SnppSession::MaxCommands, "250") << "421 Too Many Commands", {}, {}},
        {"more than 100 recipients", QList<QByteArray>(101, "PAGE 12"),
         QList<QByteArray>(100, "250") << "552 Max Recipients Exceeded", {}, {}},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        SnppSession session(false, siteHolds12And40);
        const Conversation said = talk(session, c.lines);
        ASSERT_EQ(said.replies.size(), c.replies.size()) << said.replies.join('|').toStdString();
        for (int i = 0; i < c.replies.size(); ++i)
            EXPECT_TRUE(said.replies[i].startsWith(c.replies[i]))
                << i << ": " << said.replies[i].toStdString();
        QList<uint16_t> recipients;
        for (const SnppSession::Order& order : said.orders) {
            recipients += order.recipients;
            EXPECT_EQ(order.text, c.text);
        }
        EXPECT_EQ(recipients, c.recipients);
        EXPECT_EQ(said.closed, c.replies.last().startsWith("421") ||
                                   c.replies.last().startsWith("221"));
    }
}

TEST(SnppSessionTest, ASendIsAnswered250OnlyWhenTheUnitHasEveryPage)
{
    struct Case {
        const char* what;
        QList<PageOutcome> outcomes;
        const char* reply;
    };
    const QList<Case> cases = {
        {"both confirmed", {PageOutcome::Confirmed, PageOutcome::Confirmed},
         "250 Message Sent Successfully"},
        {"offline", {PageOutcome::Offline, PageOutcome::Offline},
         "554 Error, failed: the console is not connected to the unit (local ID 12)"},
        {"the second not answered",
         {PageOutcome::Confirmed, PageOutcome::NoResponse},
         "554 Error, failed: the unit did not answer (local ID 40; the unit has the page for 12)"},
        {"refused, the rest dropped", {PageOutcome::Refused, PageOutcome::Dropped},
         "554 Error, failed: the unit refused the page (local ID 12)"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        SnppSession session(false, siteHolds12And40);
        for (const char* line : {"PAGE 12", "PAGE 40", "MESS x"})
            session.feed(line);
        const SnppSession::Step step = session.feed("SEND");
        ASSERT_TRUE(step.order);
        EXPECT_TRUE(step.reply.isEmpty());
        EXPECT_TRUE(session.isWaiting());
        QList<PageResult> results;
        for (int i = 0; i < 2; ++i)
            results.append({step.order->recipients.at(i), c.outcomes.at(i), {}});
        EXPECT_EQ(session.sendEnded(results).reply, QByteArray(c.reply) + "\r\n");
        EXPECT_FALSE(session.isWaiting());
        // Either way the transaction is over: the next SEND needs new pagers and a message.
        EXPECT_TRUE(session.feed("SEND").reply.startsWith("503"));
    }
}

TEST(SnppSessionTest, ALoginIsNeededFromAfarAndWrongOnesAreSlowedThenDropped)
{
    SnppSession session(true, siteHolds12And40);
    Conversation said = talk(session, {"PAGE 12", "LOGI desk wrong", "LOGI desk"}, {}, false);
    ASSERT_EQ(said.replies.size(), 3);
    EXPECT_TRUE(said.replies[0].startsWith("550 Error, LOGIn First"));
    EXPECT_TRUE(said.replies[1].startsWith("550 Error, Invalid Login or Password"));
    ASSERT_EQ(said.logins.size(), 2);
    EXPECT_EQ(said.logins[0].name, QStringLiteral("desk"));
    EXPECT_EQ(said.logins[0].password, QByteArray("wrong"));
    EXPECT_TRUE(said.replies[2].startsWith("550"));

    // The third wrong one ends the connection; the answers before it come later each time.
    SnppSession guessing(true, siteHolds12And40);
    QList<int> delays;
    QByteArray last;
    for (int i = 0; i < 3; ++i) {
        ASSERT_TRUE(guessing.feed("LOGI desk guess").login);
        const SnppSession::Step step = guessing.loginChecked(false);
        delays << step.delayMs;
        last = step.reply;
    }
    EXPECT_EQ(delays, (QList<int>{1000, 2000, 0}));
    EXPECT_TRUE(last.startsWith("421 Too Many Errors"));
    EXPECT_TRUE(guessing.isClosed());

    // A new LOGIn, right or wrong, starts afresh.
    SnppSession relogging(true, siteHolds12And40);
    said = talk(relogging, {"LOGI desk secret", "PAGE 12", "MESS x", "LOGI desk wrong", "SEND",
                            "LOGI desk secret", "SEND"});
    EXPECT_TRUE(said.orders.isEmpty());
    ASSERT_EQ(said.replies.size(), 7);
    EXPECT_TRUE(said.replies[4].startsWith("503"));
    EXPECT_TRUE(said.replies[6].startsWith("503"));

    SnppSession right(true, siteHolds12And40);
    said = talk(right, {"LOGI desk secret", "PAGE 12", "MESS x", "SEND"});
    EXPECT_EQ(right.loginName(), QStringLiteral("desk"));
    ASSERT_EQ(said.replies.size(), 4);
    EXPECT_TRUE(said.replies[0].startsWith("250 Login Accepted"));
    EXPECT_EQ(said.orders.size(), 1);
}

// ---- Real clients through the server ----

const QList<Credential>& deskLogin()
{
    static const QList<Credential> logins{Credentials::makeLogin(QStringLiteral("desk"), "secret")};
    return logins;
}

// A client on a raw socket, which does only what the test tells it.
class RawClient {
public:
    explicit RawClient(quint16 port, const QHostAddress& from = {})
    {
        socket.setProxy(QNetworkProxy::NoProxy);
        if (!from.isNull())
            socket.bind(from);
        socket.connectToHost(QHostAddress(QHostAddress::LocalHost), port);
    }

    // The reply lines so far, waiting until there are count of them or the server closed.
    QList<QByteArray> lines(int count, int timeoutMs = 10000)
    {
        static_cast<void>(QTest::qWaitFor(
            [&] {
                received_ += socket.readAll();
                return received_.count('\n') >= count ||
                       socket.state() == QAbstractSocket::UnconnectedState;
            },
            timeoutMs));
        received_ += socket.readAll();
        QList<QByteArray> found;
        for (const QByteArray& line : received_.split('\n')) {
            if (!line.isEmpty())
                found << line.trimmed();
        }
        return found;
    }
    bool closedByServer(int timeoutMs = 10000)
    {
        return QTest::qWaitFor(
            [&] {
                received_ += socket.readAll();
                return socket.state() == QAbstractSocket::UnconnectedState;
            },
            timeoutMs);
    }

    QTcpSocket socket;

private:
    QByteArray received_;
};

class SnppServerTest : public OnlineSite {
protected:
    void SetUp() override
    {
        OnlineSite::SetUp();
        QObject::connect(&desk_, &PageDesk::pageTaken,
                         [this](const QString& source, uint16_t id, const QString&) {
                             taken_ << QStringLiteral("%1: %2").arg(source).arg(id);
                         });
        GatewaySettings settings;
        settings.logins = deskLogin();
        server_ = std::make_unique<SnppServer>(desk_, settings);
        const std::optional<QString> problem =
            server_->listen({QHostAddress(QHostAddress::LocalHost), 0});
        ASSERT_FALSE(problem) << problem->toStdString();
        ASSERT_NE(server_->port(), 0);
    }


    // Runs a Perl script against the server while the event loop serves it; its exit code.
    int runPerl(const QString& script, const QStringList& arguments = {})
    {
        ChildProcess perl(QStringLiteral("/usr/bin/perl"),
                          QStringList{QStringLiteral("-e"), script,
                                      QString::number(server_->port())} +
                              arguments);
        EXPECT_TRUE(perl.started());
        std::optional<int> code;
        static_cast<void>(
            QTest::qWaitFor([&] { return (code = perl.exitCodeIfEnded()).has_value(); }, 60000));
        perlOutput_ = perl.standardOutput() + perl.standardError();
        if (!code)
            perl.kill();
        return code.value_or(-2);
    }

    std::unique_ptr<SnppServer> server_;
    QStringList taken_;
    QByteArray perlOutput_;
};

// Pages as a site's system would: Net::SNPP's own send, its DATA (which stuffs dots), and its
// error for an ID the database lacks. ARGV: port, then a login to give, if any.
const char* const perlClient = R"perl(
use strict;
use warnings;
use Net::SNPP;
my ($port, $login) = @ARGV;
my $snpp = Net::SNPP->new('127.0.0.1', Port => $port, Timeout => 30)
    or die "no connection: $@\n";
sub fail { die "$_[0]: " . $snpp->code . ' ' . $snpp->message; }
if (defined $login) {
    $snpp->login($login, 'secret') or fail('login');
}
$snpp->send(Pager => [12, 7], Message => 'Table 4 is ready') or fail('send');
$snpp->pager_id(40) or fail('pager');
$snpp->data("Kitchen\n.5 minutes\n") or fail('data');
$snpp->send() or fail('send data');
$snpp->pager_id(13) and die "13 accepted\n";
print 'unknown: ' . $snpp->code . ' ' . $snpp->message;
$snpp->quit;
)perl";

TEST_F(SnppServerTest, PerlsSnppClientPagesTheUnitOnceAPage)
{
    startOnline();
    ASSERT_EQ(runPerl(QString::fromLatin1(perlClient)), 0) << perlOutput_.toStdString();
    EXPECT_TRUE(perlOutput_.contains("unknown: 550 Error, Invalid Pager ID: no pager or group "
                                     "has local ID 13"))
        << perlOutput_.toStdString();
    EXPECT_EQ(pagesReceived(), (QStringList{QStringLiteral("12\x1eTable 4 is ready\x1e"),
                                         QStringLiteral("7\x1eTable 4 is ready\x1e"),
                                         QStringLiteral("40\x1eKitchen\r\n.5 minutes\x1e")}));
    EXPECT_EQ(taken_, (QStringList{QStringLiteral("SNPP 127.0.0.1: 12"),
                                   QStringLiteral("SNPP 127.0.0.1: 7"),
                                   QStringLiteral("SNPP 127.0.0.1: 40")}));
}

TEST_F(SnppServerTest, FromAfarPerlsClientLogsInAndItsLoginNamesThePages)
{
    startOnline();
    server_->setLoopbackTrusted(false);
    EXPECT_NE(runPerl(QString::fromLatin1(perlClient)), 0) << "paged without a login";
    EXPECT_TRUE(perlOutput_.contains("550 Error, LOGIn First")) << perlOutput_.toStdString();
    ASSERT_EQ(runPerl(QString::fromLatin1(perlClient), {QStringLiteral("desk")}), 0)
        << perlOutput_.toStdString();
    EXPECT_EQ(pagesReceived().size(), 3);
    ASSERT_EQ(taken_.size(), 3);
    EXPECT_EQ(taken_.first(), QStringLiteral("SNPP 127.0.0.1 (desk): 12"));
}

TEST_F(SnppServerTest, AHostileClientIsAnsweredAndDroppedAndPagesNothing)
{
    startOnline();
    server_->setIdleTimeout(500);
    struct Case {
        const char* what;
        QByteArray sent;
        QList<QByteArray> replies; // the start of each, the greeting left out
        bool remote = false; // loopback treated as another computer
        int atLeastMs = 0;
    };
    const QByteArray longText(201, 'a');
    const QList<Case> cases = {
        {"a 1 MB line", QByteArray(1 << 20, 'a') + "\r\n", {"421 Line Too Long"}},
        {"binary bytes", QByteArrayLiteral("PAGE 12\r\nMESS a\x01\xff\0b\r\nSEND\r\n"),
         {"250", "421 Binary Data Refused"}},
        {"a line never ended", "PAGE 12\r\nMESS Table 4", {"250", "421 Timeout"}},
        {"DATA never ended", "PAGE 12\r\nDATA\r\nTable 4\r\n", {"250", "354", "421 Timeout"}},
        {"SEND before PAGEr", "SEND\r\nQUIT\r\n", {"503", "221"}},
        {"an unknown ID", "PAGE 13\r\nMESS x\r\nSEND\r\nQUIT\r\n",
         {"550 Error, Invalid Pager ID: no pager or group has local ID 13", "250", "503", "221"}},
        {"text over 200 characters", "PAGE 12\r\nMESS " + longText + "\r\nSEND\r\nQUIT\r\n",
         {"250", "550 Error, Invalid Message: the page text has 201 characters", "503", "221"}},
        {"LOGIn guessing",
         "PAGE 12\r\nLOGI desk a\r\nLOGI desk b\r\nLOGI desk c\r\nLOGI desk secret\r\n",
         {"550 Error, LOGIn First", "550 Error, Invalid Login", "550 Error, Invalid Login",
          "421 Too Many Errors"},
         true, 3000},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        server_->setLoopbackTrusted(!c.remote);
        QElapsedTimer clock;
        clock.start();
        RawClient client(server_->port());
        ASSERT_EQ(client.lines(1), QList<QByteArray>{"220 Tavolux SNPP Gateway Ready"});
        client.socket.write(c.sent);
        const QList<QByteArray> replies = client.lines(int(c.replies.size()) + 1).mid(1);
        ASSERT_EQ(replies.size(), c.replies.size()) << replies.join('|').toStdString();
        for (int i = 0; i < replies.size(); ++i)
            EXPECT_TRUE(replies[i].startsWith(c.replies[i])) << replies[i].toStdString();
        EXPECT_TRUE(client.closedByServer());
        EXPECT_GE(clock.elapsed(), c.atLeastMs);
    }
    EXPECT_TRUE(pagesReceived().isEmpty());
    EXPECT_TRUE(QTest::qWaitFor([this] { return server_->clientCount() == 0; }, 5000));

    // And the console still pages for a client that keeps the rules.
    server_->setLoopbackTrusted(true);
    RawClient polite(server_->port());
    polite.socket.write("PAGE 12\r\nMESS Table 4\r\nSEND\r\n");
    EXPECT_EQ(polite.lines(4).value(3), QByteArray("250 Message Sent Successfully"));
    EXPECT_EQ(pagesReceived(), QStringList{QStringLiteral("12\x1eTable 4\x1e")});
}

TEST_F(SnppServerTest, AnswersWhyWhenTheUnitFailsInTheMiddleOfASend)
{
    struct Case {
        const char* what;
        QStringList unitOptions; // none: the console is not connected
        const char* reply;
    };
    const QList<Case> cases = {
        {"offline", {},
         "554 Error, failed: the console is not connected to the unit (local ID 12)"},
        {"silent", {QStringLiteral("--silent-after"), QStringLiteral("3")},
         "554 Error, failed: the unit did not answer (local ID 12)"},
        {"hung up", {QStringLiteral("--hangup-after"), QStringLiteral("3")},
         "554 Error, failed: the line to the unit was lost (local ID 12)"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        if (!c.unitOptions.isEmpty())
            startOnline(c.unitOptions + QStringList{QStringLiteral("--fault-type"),
                                                    QStringLiteral("4")});
        RawClient client(server_->port());
        client.socket.write("PAGE 12\r\nPAGE 40\r\nMESS Table 4\r\nSEND\r\n");
        const QList<QByteArray> replies = client.lines(5, 20000);
        ASSERT_EQ(replies.size(), 5) << replies.join('|').toStdString();
        EXPECT_EQ(replies[4], QByteArray(c.reply));
        // The client may go on: the connection stays.
        client.socket.write("QUIT\r\n");
        EXPECT_EQ(client.lines(6).value(5), QByteArray("221 OK, Goodbye"));
        session_.portSlot().reset();
    }
}

TEST_F(SnppServerTest, TwoHundredConnectionsAtOnceMeetTheLimits)
{
    // From one address, then from forty (all of 127/8 is this machine).
    struct Case {
        const char* what;
        int addresses;
        int greeted;
    };
    const QList<Case> cases = {
        {"one peer", 1, SnppServer::MaxConnectionsPerPeer},
        {"forty peers", 40, SnppServer::MaxConnections},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        std::vector<std::unique_ptr<RawClient>> clients;
        const quint32 firstAddress = QHostAddress(QStringLiteral("127.0.1.1")).toIPv4Address();
        for (int i = 0; i < 200; ++i) {
            clients.push_back(std::make_unique<RawClient>(
                server_->port(), QHostAddress(firstAddress + quint32(i % c.addresses))));
            // One after another, so that none is lost in the kernel's queue of connections not
            // yet taken; all of them stay open at once.
            ASSERT_TRUE(QTest::qWaitFor(
                [&] { return clients.back()->socket.state() == QAbstractSocket::ConnectedState; },
                5000));
        }
        int greeted = 0;
        int refused = 0;
        for (const auto& client : clients) {
            const QByteArray first = client->lines(1).value(0);
            greeted += first.startsWith("220 ");
            refused += first == "421 Too Many Connections, Goodbye";
        }
        EXPECT_EQ(greeted, c.greeted);
        EXPECT_EQ(refused, 200 - c.greeted);
        EXPECT_EQ(server_->clientCount(), c.greeted);
        clients.clear();
        EXPECT_TRUE(QTest::qWaitFor([this] { return server_->clientCount() == 0; }, 5000));
    }
    RawClient after(server_->port());
    EXPECT_TRUE(after.lines(1).value(0).startsWith("220 "));
}

TEST_F(SnppServerTest, APortInUseIsSaidAndCloseDropsEveryClient)
{
    SnppServer second(desk_, GatewaySettings{});
    const std::optional<QString> problem =
        second.listen({QHostAddress(QHostAddress::LocalHost), server_->port()});
    ASSERT_TRUE(problem);
    EXPECT_TRUE(problem->contains(QLatin1String("in use"))) << problem->toStdString();
    EXPECT_EQ(second.port(), 0);

    RawClient client(server_->port());
    ASSERT_TRUE(client.lines(1).value(0).startsWith("220 "));
    const quint16 port = server_->port();
    server_->close();
    EXPECT_EQ(server_->port(), 0);
    EXPECT_EQ(server_->clientCount(), 0);
    EXPECT_TRUE(client.closedByServer());
    RawClient late(port);
    EXPECT_TRUE(late.closedByServer());
    EXPECT_TRUE(late.lines(1).isEmpty());
}

TEST_F(SnppServerTest, AClientThatReadsNothingIsDropped)
{
    RawClient client(server_->port());
    // Its socket takes no more than a byte off the line: the answers pile up at the console.
    client.socket.setReadBufferSize(1);
    client.socket.setSocketOption(QAbstractSocket::ReceiveBufferSizeSocketOption, 4096);
    ASSERT_TRUE(QTest::qWaitFor(
        [&] { return client.socket.state() == QAbstractSocket::ConnectedState; }, 5000));
    ASSERT_TRUE(QTest::qWaitFor([this] { return server_->clientCount() == 1; }, 5000));
    QByteArray helps;
    for (int i = 0; i < SnppSession::MaxCommands - 1; ++i)
        helps += "HELP\r\n";
    client.socket.write(helps);
    EXPECT_TRUE(QTest::qWaitFor([this] { return server_->clientCount() == 0; }, 10000));
}

} // namespace
