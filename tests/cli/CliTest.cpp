// The command-line front end as a site's script runs it, against the simulated unit.
#include "../unit/ChildProcess.h"
#include "../unit/SimulatedUnit.h"

#include "Database.h"

#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <QTemporaryDir>

#include <QElapsedTimer>
#include <QThread>

#include <gtest/gtest.h>

#include <functional>

namespace {

struct CliRun {
    int exitCode;
    QByteArray out;
    QByteArray err;
};

class CliTest : public ::testing::Test {
protected:
    CliRun cli(const QStringList& arguments, const std::function<void()>& meanwhile = {})
    {
        // A settings folder of its own, so that the saved port settings are the defaults.
        ChildProcess process(
            QStringLiteral(TAVOLUX_CLI), arguments,
            {QStringLiteral("XDG_CONFIG_HOME=") + dir_.filePath(QStringLiteral("config"))});
        if (meanwhile)
            meanwhile();
        const int code = process.wait();
        return {code, process.standardOutput(), process.standardError()};
    }
    QString file(const char* name) const { return dir_.filePath(QString::fromLatin1(name)); }

    QTemporaryDir dir_;
};

} // namespace

TEST_F(CliTest, PagesAndWaitsForTheUnit)
{
    SimulatedUnit unit;
    ASSERT_TRUE(unit.started());
    const CliRun run =
        cli({QStringLiteral("--port"), unit.path(), QStringLiteral("page"), QStringLiteral("--to"),
             QStringLiteral("12"), QStringLiteral("Table"), QStringLiteral("4")});
    EXPECT_EQ(run.exitCode, 0) << run.err.constData();
    const QList<QJsonObject> pages = unit.events(QStringLiteral("page"));
    ASSERT_EQ(pages.size(), 1);
    EXPECT_EQ(pages[0].value(QStringLiteral("bytes")).toString().toLatin1(),
              QByteArray("12\x1eTable 4\x1e").toHex());
    EXPECT_EQ(unit.events(QStringLiteral("disconnect")).size(), 1);
}

TEST_F(CliTest, FailuresEndWithTheirExitCodeAndTheConsolesText)
{
    struct Case {
        const char* what;
        QStringList unit; // empty: no unit at all
        QStringList arguments;
        int exitCode;
        QByteArray said;
    };
    const QStringList page{QStringLiteral("page"), QStringLiteral("--to"), QStringLiteral("5"),
                           QStringLiteral("hi")};
    const Case cases[] = {
        {"no command", {}, {}, 1, "no command"},
        {"page without a recipient", {}, {QStringLiteral("page"), QStringLiteral("hi")}, 1, "--to"},
        {"port missing", {}, page, 2, "cannot open"},
        {"unit silent", {QStringLiteral("--ignore-connect")}, page, 3, "No response from unit."},
        {"page refused",
         {QStringLiteral("--nak-checksum"), QStringLiteral("always")},
         page,
         4,
         "Error: Bad Checksum!"},
        {"time-out not a number",
         {},
         QStringList{QStringLiteral("--timeout"), QStringLiteral("soon")} + page,
         1,
         "--timeout"},
        {"time-out of nothing",
         {},
         QStringList{QStringLiteral("--timeout"), QStringLiteral("0")} + page,
         1,
         "--timeout"},
        {"not a database",
         {},
         {QStringLiteral("dump"), QStringLiteral("/nonexistent/x.dat")},
         5,
         "could not be opened"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        std::unique_ptr<SimulatedUnit> unit;
        QStringList arguments{QStringLiteral("--port"), file("no-unit")};
        if (!c.unit.isEmpty() || c.exitCode == 4) {
            unit = std::make_unique<SimulatedUnit>(c.unit);
            ASSERT_TRUE(unit->started());
            arguments = {QStringLiteral("--port"), unit->path()};
        }
        const CliRun run = cli(c.arguments.isEmpty() ? QStringList() : arguments + c.arguments);
        EXPECT_EQ(run.exitCode, c.exitCode);
        EXPECT_TRUE(run.err.contains(c.said)) << run.err.constData();
    }
}

TEST_F(CliTest, UploadDumpAndDownload)
{
    // The unit starts with an image that has pager 42 in it.
    Database fixture;
    fixture.image().pager(0).setLocalId(42);
    fixture.image().pager(0).setCapcode(4242);
    fixture.image().commonMessage(3).setText(QStringLiteral("Kitchen to the bar"));
    ASSERT_TRUE(fixture.writeDatabaseFile(file("fixture.dat")));
    SimulatedUnit unit({QStringLiteral("--image"), file("fixture.dat")});
    ASSERT_TRUE(unit.started());

    CliRun run =
        cli({QStringLiteral("--port"), unit.path(), QStringLiteral("upload"), file("site.dat")});
    ASSERT_EQ(run.exitCode, 0) << run.err.constData();
    Database uploaded;
    ASSERT_EQ(uploaded.readDatabaseFile(file("site.dat")).status, DatabaseReadResult::Read);
    EXPECT_EQ(uploaded.image().bytes(), fixture.image().bytes());

    run = cli({QStringLiteral("dump"), file("site.dat")});
    ASSERT_EQ(run.exitCode, 0) << run.err.constData();
    const QJsonObject dump = QJsonDocument::fromJson(run.out).object();
    const QJsonArray pagers = dump.value(QStringLiteral("pagers")).toArray();
    ASSERT_EQ(pagers.size(), 1);
    EXPECT_EQ(pagers[0].toObject().value(QStringLiteral("localId")).toInt(), 42);
    EXPECT_EQ(pagers[0].toObject().value(QStringLiteral("capcode")).toInt(), 4242);
    EXPECT_EQ(dump.value(QStringLiteral("commonMessages"))
                  .toArray()[3]
                  .toObject()
                  .value(QStringLiteral("text"))
                  .toString(),
              QStringLiteral("Kitchen to the bar"));
    EXPECT_EQ(dump.value(QStringLiteral("settings")).toObject().size(), 38);
    EXPECT_EQ(dump.value(QStringLiteral("settings"))
                  .toObject()
                  .value(QStringLiteral("maintenancePassword"))
                  .toString(),
              QStringLiteral("482915"));

    run =
        cli({QStringLiteral("--port"), unit.path(), QStringLiteral("download"), file("site.dat")});
    ASSERT_EQ(run.exitCode, 0) << run.err.constData();
    const QList<QJsonObject> images = unit.events(QStringLiteral("image"));
    ASSERT_EQ(images.size(), 1);
    EXPECT_EQ(QByteArray::fromHex(images[0].value(QStringLiteral("bytes")).toString().toLatin1()),
              QByteArray(reinterpret_cast<const char*>(fixture.image().bytes().data()),
                         ConfigurationImage::Size));
}

TEST_F(CliTest, EveryCommandEndsSoonAfterTheUnitGoesQuietOrTheLineBreaks)
{
    constexpr int TimeoutSeconds = 1;
    Database fixture;
    ASSERT_TRUE(fixture.writeDatabaseFile(file("site.dat")));
    const QStringList commands[] = {
        {QStringLiteral("page"), QStringLiteral("--to"), QStringLiteral("5"),
         QStringLiteral("Table 4 is ready")},
        {QStringLiteral("download"), file("site.dat")},
        {QStringLiteral("upload"), file("uploaded.dat")},
        {QStringLiteral("status")},
    };
    struct Case {
        const char* what;
        QStringList unit;
        int killAfterMs; // after the unit heard the connect; -1: the unit stays
        QByteArray said;
    };
    const Case faults[] = {
        {"silent",
         {QStringLiteral("--silent-after"), QStringLiteral("5")},
         -1,
         "No response from unit."},
        {"hang-up",
         {QStringLiteral("--hangup-after"), QStringLiteral("5")},
         -1,
         "The connection to the unit was lost."},
        {"killed", {QStringLiteral("--wire-time")}, 300, "The connection to the unit was lost."},
    };
    for (const Case& fault : faults) {
        for (const QStringList& command : commands) {
            if (fault.killAfterMs >= 0 && command.first() != u"download")
                continue;
            SCOPED_TRACE(testing::Message()
                         << fault.what << " during " << command.first().toStdString());
            SimulatedUnit unit(fault.unit);
            ASSERT_TRUE(unit.started());
            QElapsedTimer clock;
            clock.start();
            const CliRun run =
                cli(QStringList{QStringLiteral("--port"), unit.path(), QStringLiteral("--timeout"),
                                QString::number(TimeoutSeconds)} +
                        command,
                    [&] {
                        if (fault.killAfterMs < 0)
                            return;
                        ASSERT_TRUE(unit.waitForEvents(QStringLiteral("connect"), 1));
                        QThread::msleep(static_cast<unsigned long>(fault.killAfterMs));
                        unit.kill();
                    });
            EXPECT_EQ(run.exitCode, 3);
            EXPECT_TRUE(run.err.contains(fault.said)) << run.err.constData();
            EXPECT_LT(clock.elapsed(),
                      TimeoutSeconds * 1000 + 1000 + std::max(fault.killAfterMs, 0) + 500);
            EXPECT_FALSE(QFile::exists(file("uploaded.dat")));
        }
    }
}

TEST_F(CliTest, NoResponseNamesThePortTried)
{
    SimulatedUnit unit({QStringLiteral("--ignore-connect")});
    ASSERT_TRUE(unit.started());
    QElapsedTimer clock;
    clock.start();
    const CliRun run = cli({QStringLiteral("--port"), unit.path(), QStringLiteral("--timeout"),
                            QStringLiteral("0.5"), QStringLiteral("status")});
    EXPECT_EQ(run.exitCode, 3);
    EXPECT_TRUE(run.err.contains("No response from unit. (" + unit.path().toLocal8Bit() + ")"))
        << run.err.constData();
    // Two tries, at the saved speed and at the online speed, each no longer than the time-out.
    EXPECT_LT(clock.elapsed(), 500 + 1000 + 500);
}
