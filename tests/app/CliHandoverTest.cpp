// tavolux-cli page while a console runs for the same user: the console, which holds the port,
// sends the page, and the command line ends as if it had sent it itself.
#include "Database.h"
#include "PageHistoryReader.h"
#include "UnitSession.h"

#include "../support/CliRunner.h"
#include "../support/FileBytes.h"
#include "../support/GatewayClients.h"
#include "../support/SimulatedUnit.h"
#include "../support/SiteBuilder.h"

#include <QDir>
#include <QFileInfo>
#include <QSettings>
#include <QTemporaryDir>
#include <QTest>

#include <gtest/gtest.h>

#include <csignal>

namespace {

using namespace Cli;

class CliHandoverTest : public ::testing::Test {
protected:
    // A console on the unit's line, connected when asked; true once it runs as asked.
    bool startConsole(const SimulatedUnit& unit, bool connect)
    {
        const QString ready = launchConsole(unit, connect);
        if (!QTest::qWaitFor([&] { return QFileInfo(ready).size() > 0; }, 20000))
            return false;
        QFile readyFile(ready);
        return readyFile.open(QIODevice::ReadOnly) &&
               readyFile.readAll().endsWith(connect ? " online" : " offline");
    }

    // Starts the console; returns the file it writes once it runs.
    QString launchConsole(const SimulatedUnit& unit, bool connect)
    {
        {
            QSettings settings(config() + QStringLiteral("/Brindleco Signals/tavolux.conf"),
                               QSettings::IniFormat);
            settings.setValue(QStringLiteral("Settings/SaveFile"),
                              dir_.filePath(QStringLiteral("site.dat")));
            settings.setValue(QStringLiteral("Settings/ComPort"), unit.path());
        }
        const QString ready = dir_.filePath(QStringLiteral("ready"));
        QFile::remove(ready);
        QStringList environment{QStringLiteral("QT_QPA_PLATFORM=offscreen"),
                                QStringLiteral("XDG_CONFIG_HOME=") + config(),
                                QStringLiteral("XDG_RUNTIME_DIR=") + runtime_.path(),
                                QStringLiteral("XDG_DATA_HOME=") + dataHome_,
                                QStringLiteral("TAVOLUX_TEST_READY=") + ready};
        if (connect)
            environment << QStringLiteral("TAVOLUX_TEST_CONNECT=1");
        console_ = std::make_unique<ChildProcess>(QStringLiteral(TAVOLUX_CONNECTED_CONSOLE),
                                                  QStringList(), environment);
        return ready;
    }

    CliRun page(const QString& text)
    {
        return runCli({QStringLiteral("page"), QStringLiteral("--to"), QStringLiteral("12"), text},
                      {.configFolder = config(), .runtimeFolder = runtime_.path()});
    }

    QString config() const { return dir_.filePath(QStringLiteral("config")); }

    // The console's page history once it holds count rows (it is written just after the page
    // is answered), oldest first; what it holds after a few seconds otherwise.
    QList<PageHistoryEntry> keptRows(qint64 count)
    {
        const QString file = dataHome_ + QStringLiteral("/Brindleco Signals/tavolux/pages.sqlite");
        PageHistoryReader reader;
        static_cast<void>(
            QTest::qWaitFor([&] { return !reader.open(file) && reader.count({}) >= count; }, 5000));
        return reader.rows({}, {HistoryColumn::Queued, true}, 0, 100);
    }

    QTemporaryDir dir_;
    QString dataHome_ = dir_.filePath(QStringLiteral("data"));
    QTemporaryDir runtime_;
    std::unique_ptr<ChildProcess> console_;
};

} // namespace

TEST_F(CliHandoverTest, TheRunningConsoleSendsThePageAndTheCommandEndsAsItsOwnPageWould)
{
    struct Case {
        const char* what;
        QStringList unitOptions;
        bool connected;
        QString text;
        int exitCode;
        const char* said;
        int pages;    // the page records the unit received, acknowledged or not
        QString kept; // the outcome the console's history keeps; empty: no row
    };
    const QString twoLines = QStringLiteral("Table 4\nready caf\u00e9");
    const Case cases[] = {
        {"confirmed", {}, true, twoLines, Success, "", 1, QStringLiteral("confirmed")},
        {"a text the unit cannot show, refused before it goes",
         {},
         true,
         QStringLiteral("a\x1b[2J"),
         UsageError,
         "U+001B",
         0,
         {}},
        {"a text too long", {}, true, QString(201, u'x'), UsageError, "201 characters", 0, {}},
        {"the console offline",
         {},
         false,
         twoLines,
         NotConnected,
         "not connected",
         0,
         QStringLiteral("refused")},
        {"refused by the unit",
         {QStringLiteral("--nak-checksum"), QStringLiteral("always"),
          QStringLiteral("--fault-type"), QStringLiteral("4")},
         true,
         twoLines,
         TransferFailed,
         "Error: Bad Checksum!",
         1,
         QStringLiteral("failed")},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        SimulatedUnit unit(c.unitOptions);
        ASSERT_TRUE(unit.started());
        ASSERT_TRUE(startConsole(unit, c.connected)) << console_->standardError().constData();
        const CliRun run = page(c.text);
        EXPECT_EQ(run.exitCode, c.exitCode) << run.err.constData();
        EXPECT_TRUE(run.err.contains(c.said)) << run.err.constData();
        const QList<QJsonObject> pages = unit.events(QStringLiteral("page"));
        ASSERT_EQ(pages.size(), c.pages);
        for (const QJsonObject& received : pages) {
            EXPECT_EQ(received.value(QStringLiteral("bytes")).toString().toLatin1(),
                      UnitSession::pageRecord(12, c.text).toHex());
            EXPECT_EQ(received.value(QStringLiteral("acknowledged")).toBool(),
                      c.exitCode == Success);
        }
        // Only the console connected: the command line never touched the port.
        EXPECT_EQ(unit.events(QStringLiteral("connect")).size(), c.connected ? 1 : 0);
        // The console keeps the page it was handed, as the command line's.
        const QList<PageHistoryEntry> kept = keptRows(c.kept.isEmpty() ? 0 : 1);
        ASSERT_EQ(kept.size(), c.kept.isEmpty() ? 0 : 1);
        if (!kept.isEmpty()) {
            EXPECT_EQ(historyOutcomeKey(kept[0].outcome), c.kept);
            EXPECT_EQ(kept[0].origin.source, PageOrigin::Source::CommandLine);
            EXPECT_EQ(kept[0].text, c.text);
            EXPECT_EQ(kept[0].recipient, 12u);
        }
        QDir(dataHome_).removeRecursively();
        // How the console leaves is another test's matter.
        console_->kill();
        console_->wait();
    }
}

// A history that cannot be written is said once, on stderr (and in the status bar), and the
// pages go on as before.
TEST_F(CliHandoverTest, AHistoryThatCannotBeWrittenIsSaidOnceAndPagingGoesOn)
{
    filebytes::writeAll(dir_.filePath(QStringLiteral("not a folder")), "x");
    dataHome_ = dir_.filePath(QStringLiteral("not a folder"));
    SimulatedUnit unit;
    ASSERT_TRUE(unit.started());
    ASSERT_TRUE(startConsole(unit, true)) << console_->standardError().constData();
    for (const QString& text : {QStringLiteral("one"), QStringLiteral("two")}) {
        const CliRun run = page(text);
        EXPECT_EQ(run.exitCode, Success) << run.err.constData();
    }
    ASSERT_TRUE(unit.waitForEvents(QStringLiteral("page"), 2));
    console_->signal(SIGTERM);
    ASSERT_EQ(console_->wait(20000), 0);
    const QByteArray said = console_->standardError();
    EXPECT_EQ(said.count("cannot be written"), 1) << said.constData();
}

// A console that crashed leaves its socket behind; the command line then pages itself.
TEST_F(CliHandoverTest, ASocketLeftByACrashedConsoleIsPassedBy)
{
    SimulatedUnit unit;
    ASSERT_TRUE(unit.started());
    ASSERT_TRUE(startConsole(unit, false));
    console_->kill();
    console_->wait();
    const CliRun run = page(QStringLiteral("hi"));
    EXPECT_EQ(run.exitCode, Success) << run.err.constData();
    EXPECT_EQ(unit.events(QStringLiteral("page")).size(), 1);
}

// The headless service holds the unit as a console would: a console started meanwhile says so
// instead of ending quietly, and serve takes the pages.
TEST_F(CliHandoverTest, AConsoleStartedWhileServeRunsSaysSoAndServeTakesThePages)
{
    SimulatedUnit unit;
    ASSERT_TRUE(unit.started());
    Database site;
    const QString sitePath = dir_.filePath(QStringLiteral("serve.dat"));
    ASSERT_TRUE(site.writeDatabaseFile(sitePath));
    const std::unique_ptr<ChildProcess> serve = startCli(
        {QStringLiteral("serve"), QStringLiteral("--port"), unit.path(), sitePath},
        {.configFolder = config(), .runtimeFolder = runtime_.path(), .dataFolder = dataHome_});
    ASSERT_TRUE(QTest::qWaitFor(
        [&] { return serve->standardErrorSoFar().contains("connected to the unit"); }, 20000))
        << serve->standardErrorSoFar().constData();

    const QString ready = launchConsole(unit, true);
    EXPECT_EQ(console_->wait(20000), 1);
    EXPECT_FALSE(QFileInfo::exists(ready)) << "the console's window ran";
    EXPECT_TRUE(console_->standardError().contains("box: The paging gateway (tavolux-cli serve)"))
        << console_->standardError().constData();

    const CliRun run = page(QStringLiteral("hi"));
    EXPECT_EQ(run.exitCode, Success) << run.err.constData();
    EXPECT_EQ(unit.events(QStringLiteral("page")).size(), 1);
    // serve keeps the page in the history as the console would.
    const QList<PageHistoryEntry> kept = keptRows(1);
    ASSERT_EQ(kept.size(), 1);
    EXPECT_EQ(kept[0].text, QStringLiteral("hi"));
    EXPECT_EQ(kept[0].origin.source, PageOrigin::Source::CommandLine);
    EXPECT_EQ(kept[0].outcome, HistoryOutcome::Confirmed);
    serve->signal(SIGTERM);
    EXPECT_EQ(serve->wait(20000), Success) << serve->standardError().constData();
}

// The console as a gateway: told to connect at start-up and to listen, it takes pages from
// Perl's Net::SNPP and from curl with nobody at the window, and names the last one.
TEST_F(CliHandoverTest, AConsoleThatConnectsAtStartUpTakesSnppAndHttpPages)
{
    SimulatedUnit unit;
    ASSERT_TRUE(unit.started());
    Database site;
    SiteBuilder(site.image()).pager(12, 1012).group(7, "Bar", {12});
    ASSERT_TRUE(site.writeDatabaseFile(dir_.filePath(QStringLiteral("site.dat"))));
    const quint16 snppPort = GatewayClients::freePort();
    const quint16 httpPort = GatewayClients::freePort();
    {
        QSettings settings(config() + QStringLiteral("/Brindleco Signals/tavolux.conf"),
                           QSettings::IniFormat);
        settings.setValue(QStringLiteral("Gateway/SnppOn"), 1);
        settings.setValue(QStringLiteral("Gateway/SnppListen"),
                          QStringLiteral("127.0.0.1:%1").arg(snppPort));
        settings.setValue(QStringLiteral("Gateway/HttpOn"), 1);
        settings.setValue(QStringLiteral("Gateway/HttpListen"),
                          QStringLiteral("127.0.0.1:%1").arg(httpPort));
        settings.setValue(QStringLiteral("Gateway/ConnectAtStart"), 1);
    }
    launchConsole(unit, false);
    ASSERT_TRUE(unit.waitForEvents(QStringLiteral("connect"), 1, 20000))
        << "the console did not connect at start-up";

    const GatewayClients::Run snpp = GatewayClients::snppPage(
        snppPort, {QStringLiteral("12"), QStringLiteral("7")}, QStringLiteral("Table 4"));
    EXPECT_EQ(snpp.exitCode, 0) << snpp.err.constData();
    const GatewayClients::Run http = GatewayClients::curl(
        httpPort, QStringLiteral("/pages"),
        QJsonObject{{QStringLiteral("to"), 12}, {QStringLiteral("text"), QStringLiteral("Bar")}});
    EXPECT_TRUE(http.out.endsWith("\n200")) << http.out.constData();

    QStringList received;
    for (const QJsonObject& page : unit.events(QStringLiteral("page")))
        received << page.value(QStringLiteral("text")).toString();
    EXPECT_EQ(received,
              (QStringList{QStringLiteral("12\x1eTable 4\x1e"), QStringLiteral("7\x1eTable 4\x1e"),
                           QStringLiteral("12\x1e"
                                          "Bar\x1e")}));
    console_->kill();
    console_->wait();
}
