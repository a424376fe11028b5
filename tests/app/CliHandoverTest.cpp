// tavolux-cli page while a console runs for the same user: the console, which holds the port,
// sends the page, and the command line ends as if it had sent it itself.
#include "UnitSession.h"

#include "../support/CliRunner.h"
#include "../support/SimulatedUnit.h"

#include <QDir>
#include <QFileInfo>
#include <QSettings>
#include <QTemporaryDir>
#include <QTest>

#include <gtest/gtest.h>

namespace {

using namespace Cli;

class CliHandoverTest : public ::testing::Test {
protected:
    // A console on the unit's line, connected when asked; true once it runs as asked.
    bool startConsole(const SimulatedUnit& unit, bool connect)
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
                                QStringLiteral("TAVOLUX_TEST_READY=") + ready};
        if (connect)
            environment << QStringLiteral("TAVOLUX_TEST_CONNECT=1");
        console_ = std::make_unique<ChildProcess>(QStringLiteral(TAVOLUX_CONNECTED_CONSOLE),
                                                  QStringList(), environment);
        if (!QTest::qWaitFor([&] { return QFileInfo(ready).size() > 0; }, 20000))
            return false;
        QFile readyFile(ready);
        return readyFile.open(QIODevice::ReadOnly) &&
               readyFile.readAll().endsWith(connect ? " online" : " offline");
    }

    CliRun page(const QString& text)
    {
        return runCli({QStringLiteral("page"), QStringLiteral("--to"), QStringLiteral("12"), text},
                      {.configFolder = config(), .runtimeFolder = runtime_.path()});
    }

    QString config() const { return dir_.filePath(QStringLiteral("config")); }

    QTemporaryDir dir_;
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
        int pages; // the page records the unit received, acknowledged or not
    };
    const QString twoLines = QStringLiteral("Table 4\nready caf\u00e9");
    const Case cases[] = {
        {"confirmed", {}, true, twoLines, Success, "", 1},
        {"a text the unit cannot show, refused before it goes", {}, true,
         QStringLiteral("a\x1b[2J"), UsageError, "U+001B", 0},
        {"a text too long", {}, true, QString(201, u'x'), UsageError, "201 characters", 0},
        {"the console offline", {}, false, twoLines, NotConnected, "not connected", 0},
        {"refused by the unit",
         {QStringLiteral("--nak-checksum"), QStringLiteral("always"),
          QStringLiteral("--fault-type"), QStringLiteral("4")},
         true,
         twoLines,
         TransferFailed,
         "Error: Bad Checksum!",
         1},
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
        // How the console leaves is not this test's matter (a refused page's message is up).
        console_->kill();
        console_->wait();
    }
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
