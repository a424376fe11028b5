// tavolux-cli serve, the gateway without a window, as a back-office machine runs it: against the
// simulated unit, with tavolux-cli page handing it pages on the same machine.
#include "../support/CliRunner.h"
#include "../support/GatewayClients.h"
#include "../support/SimulatedUnit.h"
#include "../support/SiteBuilder.h"

#include "Database.h"

#include <QDir>
#include <QSettings>
#include <QTemporaryDir>
#include <QTest>

#include <gtest/gtest.h>

#include <csignal>
#include <sys/stat.h>

namespace {

using namespace Cli;

class ServeTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        Database site;
        ASSERT_TRUE(site.writeDatabaseFile(sitePath()));
        ASSERT_TRUE(unit_->started());
        saveSettings(QStringLiteral("Settings/ComPort"), unit_->path());
    }

    void saveSettings(const QString& key, const QString& value)
    {
        QSettings settings(config() + QStringLiteral("/Brindleco Signals/tavolux.conf"),
                           QSettings::IniFormat);
        settings.setValue(key, value);
    }

    CliSetting setting() const
    {
        return {.configFolder = config(), .runtimeFolder = runtime_.path()};
    }

    std::unique_ptr<ChildProcess> startServe(const QStringList& arguments = {})
    {
        return startCli(QStringList{QStringLiteral("serve")} + arguments + QStringList{sitePath()},
                        setting());
    }

    // Waits until the service has said text count times in all.
    static bool waitForSaid(ChildProcess& serve, const char* text, int count = 1)
    {
        return QTest::qWaitFor([&] { return serve.standardErrorSoFar().count(text) >= count; },
                               20000);
    }

    CliRun page(const QString& text)
    {
        return runCli({QStringLiteral("page"), QStringLiteral("--to"), QStringLiteral("12"), text},
                      setting());
    }

    QString config() const { return dir_.filePath(QStringLiteral("config")); }
    QString sitePath() const { return dir_.filePath(QStringLiteral("site.dat")); }

    QTemporaryDir dir_;
    QTemporaryDir runtime_;
    std::unique_ptr<SimulatedUnit> unit_ = std::make_unique<SimulatedUnit>();
};

} // namespace

TEST_F(ServeTest, TakesPagesReconnectsWhenTheUnitComesBackAndEndsOnSigterm)
{
    const std::unique_ptr<ChildProcess> serve = startServe();
    ASSERT_TRUE(waitForSaid(*serve, "connected to the unit"))
        << serve->standardErrorSoFar().constData();

    const CliRun first = page(QStringLiteral("Table 4"));
    EXPECT_EQ(first.exitCode, Success) << first.err.constData();
    EXPECT_EQ(unit_->events(QStringLiteral("page")).size(), 1);

    // The unit dies and another comes up where it was, as a unit switched off and on again.
    const QString link = unit_->path();
    unit_->kill();
    ASSERT_TRUE(waitForSaid(*serve, "lost the unit")) << serve->standardErrorSoFar().constData();
    EXPECT_TRUE(serve->standardErrorSoFar().contains("retrying in 1 s"));
    const CliRun meanwhile = page(QStringLiteral("nobody hears"));
    EXPECT_EQ(meanwhile.exitCode, NotConnected) << meanwhile.err.constData();
    SimulatedUnit again({}, link);
    ASSERT_TRUE(again.started());
    ASSERT_TRUE(waitForSaid(*serve, "connected to the unit", 2))
        << serve->standardErrorSoFar().constData();

    const CliRun second = page(QStringLiteral("Table 5"));
    EXPECT_EQ(second.exitCode, Success) << second.err.constData();
    const QList<QJsonObject> pages = again.events(QStringLiteral("page"));
    ASSERT_EQ(pages.size(), 1);
    EXPECT_EQ(pages[0].value(QStringLiteral("text")).toString(),
              QStringLiteral("12\x1eTable 5\x1e"));

    serve->signal(SIGTERM);
    EXPECT_EQ(serve->wait(20000), Success) << serve->standardError().constData();
    EXPECT_TRUE(serve->standardError().contains("ended")) << serve->standardError().constData();
    EXPECT_TRUE(again.waitForEvents(QStringLiteral("disconnect"), 1));
}

TEST_F(ServeTest, ASecondServeIsRefusedAndSigintEndsTheFirst)
{
    const std::unique_ptr<ChildProcess> serve = startServe();
    ASSERT_TRUE(waitForSaid(*serve, "connected to the unit"))
        << serve->standardErrorSoFar().constData();

    const CliRun second = runCli({QStringLiteral("serve"), sitePath()}, setting());
    EXPECT_EQ(second.exitCode, PortProblem);
    EXPECT_TRUE(second.err.contains("already running")) << second.err.constData();
    EXPECT_EQ(unit_->events(QStringLiteral("connect")).size(), 1);

    serve->signal(SIGINT);
    EXPECT_EQ(serve->wait(20000), Success) << serve->standardError().constData();
}

TEST_F(ServeTest, BadArgumentsAreRefusedBeforeTheLineOrADiskIsTouched)
{
    const QString fifo = dir_.filePath(QStringLiteral("fifo.dat"));
    ASSERT_EQ(::mkfifo(QFile::encodeName(fifo).constData(), 0600), 0);
    struct Case {
        const char* what;
        QStringList arguments;
        int exitCode;
        const char* says;
    };
    const QString site = sitePath();
    const Case cases[] = {
        {"--listen nonsense",
         {"serve", "--listen", "nonsense", site},
         UsageError,
         "--listen takes"},
        {"--listen on port 0",
         {"serve", "--listen", "127.0.0.1:0", site},
         UsageError,
         "--listen takes"},
        {"--http on a port beyond the last",
         {"serve", "--http", "127.0.0.1:65536", site},
         UsageError,
         "--http takes"},
        {"two databases", {"serve", site, site}, UsageError, "one DBFILE at most"},
        {"page's option", {"serve", "--to", "12", site}, UsageError, "--to is not an option of serve"},
        {"serve's option elsewhere",
         {"status", "--listen", "4444"},
         UsageError,
         "--listen and --http are for serve only"},
        {"no DBFILE and none saved", {"serve"}, UsageError, "serve needs a DBFILE"},
        {"a missing DBFILE",
         {"serve", dir_.filePath(QStringLiteral("missing.dat"))},
         FileProblem,
         "does not exist"},
        {"a folder as DBFILE",
         {"serve", dir_.path()},
         FileProblem,
         "could not be opened as a Tavolux database"},
        {"a FIFO as DBFILE",
         {"serve", fifo},
         FileProblem,
         "could not be opened as a Tavolux database"},
        {"a port of nothing", {"serve", "--port", "", site}, UsageError, "--port needs"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        const CliRun run = runCli(c.arguments, setting());
        EXPECT_EQ(run.exitCode, c.exitCode) << run.err.constData();
        EXPECT_TRUE(run.err.contains(c.says)) << run.err.constData();
    }
    // The unit says it started and opened its line; anything more means the line was touched.
    QStringList heard;
    for (const QJsonObject& event : unit_->events()) {
        const QString name = event.value(QStringLiteral("event")).toString();
        if (name != u"start" && name != u"line")
            heard << name;
    }
    EXPECT_TRUE(heard.isEmpty()) << heard.join(u' ').toStdString();
}

// A signal while a page is on the line: the page ends first and its sender hears how, then the
// service ends.
TEST_F(ServeTest, ASignalLetsThePageOnTheLineEndFirst)
{
    // This unit goes quiet in the middle of the page, which then ends after the answer time-out.
    unit_ = std::make_unique<SimulatedUnit>(
        QStringList{QStringLiteral("--silent-after"), QStringLiteral("0"),
                    QStringLiteral("--fault-type"), QStringLiteral("4")});
    ASSERT_TRUE(unit_->started());
    saveSettings(QStringLiteral("Settings/ComPort"), unit_->path());
    const std::unique_ptr<ChildProcess> serve =
        startServe({QStringLiteral("--timeout"), QStringLiteral("2")});
    ASSERT_TRUE(waitForSaid(*serve, "connected to the unit"))
        << serve->standardErrorSoFar().constData();

    const std::unique_ptr<ChildProcess> page =
        startCli({QStringLiteral("page"), QStringLiteral("--to"), QStringLiteral("12"),
                  QStringLiteral("Table 4")},
                 setting());
    ASSERT_TRUE(unit_->waitForEvents(QStringLiteral("silent"), 1, 20000));
    serve->signal(SIGTERM);
    EXPECT_EQ(page->wait(20000), NotConnected);
    EXPECT_TRUE(page->standardError().contains("No response from unit."))
        << page->standardError().constData();
    EXPECT_EQ(serve->wait(20000), Success) << serve->standardError().constData();
    EXPECT_TRUE(serve->standardError().contains("ended")) << serve->standardError().constData();
    EXPECT_FALSE(serve->standardError().contains("lost the unit"))
        << serve->standardError().constData();
}

// A site's systems page through serve with clients others wrote: Perl's Net::SNPP and curl. The
// unit receives each page once; what the gateway refuses never reaches it.
TEST_F(ServeTest, SnppAndHttpClientsPageThroughIt)
{
    Database site;
    SiteBuilder(site.image()).pager(12, 1012).pager(40, 1040).group(7, "Bar", {12, 40});
    ASSERT_TRUE(site.writeDatabaseFile(sitePath()));
    const quint16 snppPort = GatewayClients::freePort();
    const quint16 httpPort = GatewayClients::freePort();
    const std::unique_ptr<ChildProcess> serve =
        startServe({QStringLiteral("--listen"), QStringLiteral("127.0.0.1:%1").arg(snppPort),
                    QStringLiteral("--http"), QStringLiteral("127.0.0.1:%1").arg(httpPort)});
    ASSERT_TRUE(waitForSaid(*serve, "connected to the unit"))
        << serve->standardErrorSoFar().constData();

    const GatewayClients::Run snpp =
        GatewayClients::snppPage(snppPort, {QStringLiteral("12"), QStringLiteral("7")},
                                 QStringLiteral("Table 4 is ready"));
    EXPECT_EQ(snpp.exitCode, 0) << snpp.err.constData();
    const GatewayClients::Run http = GatewayClients::curl(
        httpPort, QStringLiteral("/pages"),
        QJsonObject{{QStringLiteral("to"), 40}, {QStringLiteral("text"), QStringLiteral("Kitchen")}});
    EXPECT_TRUE(http.out.endsWith("\n200")) << http.out.constData();
    EXPECT_TRUE(http.out.contains("confirmed")) << http.out.constData();
    const GatewayClients::Run status = GatewayClients::curl(httpPort, QStringLiteral("/status"));
    EXPECT_TRUE(status.out.contains("\"connected\":true")) << status.out.constData();
    // Refused before anything is queued.
    const GatewayClients::Run unknown = GatewayClients::snppPage(
        snppPort, {QStringLiteral("13")}, QStringLiteral("nobody"));
    EXPECT_NE(unknown.exitCode, 0);
    EXPECT_TRUE(unknown.err.contains("550")) << unknown.err.constData();
    const GatewayClients::Run tooLong = GatewayClients::curl(
        httpPort, QStringLiteral("/pages"),
        QJsonObject{{QStringLiteral("to"), 12}, {QStringLiteral("text"), QString(201, u'x')}});
    EXPECT_TRUE(tooLong.out.endsWith("\n422")) << tooLong.out.constData();

    QStringList received;
    for (const QJsonObject& page : unit_->events(QStringLiteral("page")))
        received << page.value(QStringLiteral("text")).toString();
    EXPECT_EQ(received, (QStringList{QStringLiteral("12\x1eTable 4 is ready\x1e"),
                                     QStringLiteral("7\x1eTable 4 is ready\x1e"),
                                     QStringLiteral("40\x1eKitchen\x1e")}));
    serve->signal(SIGTERM);
    EXPECT_EQ(serve->wait(20000), Success) << serve->standardError().constData();
}

TEST_F(ServeTest, AListenerThatCannotListenEndsItBeforeThePortIsTaken)
{
    QTcpServer taken;
    ASSERT_TRUE(taken.listen(QHostAddress::LocalHost, 0));
    const CliRun run = runCli({QStringLiteral("serve"), QStringLiteral("--listen"),
                               QStringLiteral("127.0.0.1:%1").arg(taken.serverPort()), sitePath()},
                              setting());
    EXPECT_EQ(run.exitCode, PortProblem) << run.err.constData();
    EXPECT_TRUE(run.err.contains("cannot listen: SNPP on 127.0.0.1:")) << run.err.constData();
    EXPECT_TRUE(unit_->events(QStringLiteral("connect")).isEmpty());
}
