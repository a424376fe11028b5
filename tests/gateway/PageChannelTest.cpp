// The running console's local socket as tavolux-cli and anything else on the machine reach it:
// a page request is checked, queued through the real session to the simulated unit and answered
// once it ended; whatever is not a request of ours is dropped, never waited for.
#include "../support/SimulatedUnit.h"
#include "../unit/TestHost.h"
#include "PageDesk.h"
#include "SingleInstance.h"

#include <QElapsedTimer>
#include <QLocalSocket>
#include <QTimer>

#include <gtest/gtest.h>

#include <unistd.h>

namespace {

class PageChannelTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        host_.session = &session_;
        QObject::connect(&pump_, &QTimer::timeout, &session_, &UnitSession::PumpPages);
        pump_.start(50);
        ASSERT_TRUE(unit_.started());
        host_.saved.port = unit_.path();
        session_.openPort(host_.saved);
        session_.setAnswerTimeout(300);
        session_.ConnectCommand();
        ASSERT_TRUE(session_.isOnline());
        ASSERT_TRUE(console_.tryBecomePrimary());
        console_.setPageDesk(&desk_);
    }

    struct Reply {
        QByteArray line; // without its end; empty when none came
        bool dropped;    // the console closed the connection
    };
    // Sends bytes on a connection of its own and waits for the console's line or its close.
    Reply exchange(const QByteArray& bytes, int waitMs = 10000)
    {
        QLocalSocket socket;
        socket.connectToServer(console_.serverName());
        EXPECT_TRUE(socket.waitForConnected(1000));
        socket.write(bytes);
        static_cast<void>(QTest::qWaitFor(
            [&] {
                return socket.canReadLine() || socket.state() == QLocalSocket::UnconnectedState;
            },
            waitMs));
        const QByteArray line = socket.canReadLine() ? socket.readLine().chopped(1) : QByteArray();
        static_cast<void>(QTest::qWaitFor(
            [&] { return socket.state() == QLocalSocket::UnconnectedState; }, 1000));
        return {line, socket.state() == QLocalSocket::UnconnectedState};
    }

    static QByteArray request(const QByteArray& localId, const QByteArray& text)
    {
        return "PAGE " + localId + ' ' + text.toBase64() + '\n';
    }

    TestHost host_;
    UnitSession session_{host_};
    PageDesk desk_{session_, host_.image};
    QTimer pump_;
    SimulatedUnit unit_;
    SingleInstance console_{QStringLiteral("TAVOLUX-PAGE-CHANNEL-TEST-%1").arg(::getpid())};
};

} // namespace

TEST_F(PageChannelTest, AnswersAPageOnceTheUnitHasIt)
{
    // A local ID the database does not hold goes, as it does from the command line itself.
    const Reply reply = exchange(request("12", "Table 4\ncaf\xc3\xa9"));
    EXPECT_EQ(reply.line, "PAGED confirmed " + QByteArray().toBase64());
    EXPECT_TRUE(reply.dropped);
    const QList<QJsonObject> pages = unit_.events(QStringLiteral("page"));
    ASSERT_EQ(pages.size(), 1);
    EXPECT_EQ(pages[0].value(QStringLiteral("bytes")).toString().toLatin1(),
              UnitSession::pageRecord(12, QStringLiteral("Table 4\ncaf\u00e9")).toHex());
}

TEST_F(PageChannelTest, RefusesOrDropsWhatIsNoGoodRequestAndQueuesNothing)
{
    struct Case {
        const char* what;
        QByteArray bytes;
        const char* refusal; // part of the refusal; nullptr: dropped without an answer
    };
    const QByteArray ffff("\xff\xff");
    const Case cases[] = {
        {"a local ID with a sign", request("+12", "x"), "local ID"},
        {"a local ID beyond the last", request("10000", "x"), "local ID"},
        {"no text at all", "PAGE 12\n", "local ID"},
        {"a text that is no Base64", "PAGE 12 ***\n", "did not arrive whole"},
        {"a text that is no UTF-8", request("12", ffff), "did not arrive whole"},
        {"a text the unit cannot show", request("12", "a\x1b[2J"), "U+001B"},
        {"a text too long", request("12", QByteArray(201, 'x')), "201 characters"},
        {"a line longer than any request", QByteArray(SingleInstance::MaxLineBytes + 10, 'P'),
         nullptr},
        {"a long line ended", QByteArray(SingleInstance::MaxLineBytes + 10, 'P') + '\n', nullptr},
        {"something else", "HELLO\n", nullptr},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        const Reply reply = exchange(c.bytes);
        EXPECT_TRUE(reply.dropped);
        if (!c.refusal) {
            EXPECT_TRUE(reply.line.isEmpty()) << reply.line.constData();
            continue;
        }
        const QList<QByteArray> parts = reply.line.split(' ');
        ASSERT_EQ(parts.size(), 2) << reply.line.constData();
        EXPECT_EQ(parts[0], "REFUSED");
        EXPECT_TRUE(QByteArray::fromBase64(parts[1]).contains(c.refusal))
            << QByteArray::fromBase64(parts[1]).constData();
    }
    QTest::qWait(400);
    EXPECT_TRUE(unit_.events(QStringLiteral("page")).isEmpty());
}

TEST_F(PageChannelTest, OneRequestAConnectionAndALineNeverEndedIsDropped)
{
    const Reply two = exchange(request("12", "first") + request("13", "second"));
    EXPECT_TRUE(two.line.startsWith("PAGED confirmed"));
    QTest::qWait(400);
    EXPECT_EQ(unit_.events(QStringLiteral("page")).size(), 1);

    QElapsedTimer clock;
    clock.start();
    const Reply unended = exchange("PAGE 12 ", SingleInstance::RequestTimeoutMs + 3000);
    EXPECT_TRUE(unended.dropped);
    EXPECT_TRUE(unended.line.isEmpty());
    EXPECT_LT(clock.elapsed(), SingleInstance::RequestTimeoutMs + 2000);
}

TEST_F(PageChannelTest, WithoutADeskOrOfflineThePageIsAnsweredOffline)
{
    console_.setPageDesk(nullptr);
    EXPECT_EQ(exchange(request("12", "x")).line, "PAGED offline ");
    console_.setPageDesk(&desk_);
    session_.DisconnectCommand();
    EXPECT_EQ(exchange(request("12", "x")).line, "PAGED offline ");
    EXPECT_TRUE(unit_.events(QStringLiteral("page")).isEmpty());
}
