// The command-line front end as a site's script runs it, against the simulated unit.
#include "../support/CliRunner.h"
#include "../support/FileBytes.h"
#include "../support/SimulatedUnit.h"
#include "../support/SiteBuilder.h"
#include "../support/UnprivilegedUser.h"

#include "Database.h"

#include <QDir>
#include <QDirIterator>
#include <QFile>
#include <QFileInfo>
#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <QTemporaryDir>

#include <QElapsedTimer>
#include <QThread>

#include <gtest/gtest.h>

#include <functional>
#include <sys/stat.h>
#include <sys/sysmacros.h>

namespace {

using filebytes::readAll;
using filebytes::writeAll;
using namespace Cli;

class CliTest : public ::testing::Test {
protected:
    // savedSettings: lines of the [Settings] section of the console's settings file.
    CliRun cli(const QStringList& arguments, const QByteArray& savedSettings = {},
               const std::function<void()>& meanwhile = {})
    {
        if (!savedSettings.isEmpty()) {
            const QString folder = dir_.filePath(QStringLiteral("config/Brindleco Signals"));
            QDir().mkpath(folder);
            QFile conf(folder + QStringLiteral("/tavolux.conf"));
            conf.open(QIODevice::WriteOnly);
            conf.write("[Settings]\n" + savedSettings + "\n");
        }
        // A settings folder of its own, so that the saved port settings are the defaults.
        return runCli(arguments, {.configFolder = dir_.filePath(QStringLiteral("config")),
                                  .meanwhile = meanwhile});
    }
    QString file(const char* name) const { return dir_.filePath(QString::fromLatin1(name)); }

    QTemporaryDir dir_;
};

// Everything a person could notice about a folder's files: names, kinds, sizes, times, bytes.
QStringList folderState(const QString& folder)
{
    QStringList state;
    QDirIterator it(folder, QDir::AllEntries | QDir::Hidden | QDir::System | QDir::NoDotAndDotDot);
    while (it.hasNext()) {
        const QString path = it.next();
        struct stat st {};
        ::lstat(QFile::encodeName(path).constData(), &st);
        QFile f(path);
        const QByteArray bytes = f.open(QIODevice::ReadOnly) ? f.readAll() : QByteArray();
        state << QStringLiteral("%1 mode %2 size %3 mtime %4.%5 bytes %6")
                     .arg(it.fileName())
                     .arg(st.st_mode, 0, 8)
                     .arg(st.st_size)
                     .arg(st.st_mtim.tv_sec)
                     .arg(st.st_mtim.tv_nsec)
                     .arg(QString::fromLatin1(bytes.toHex()));
    }
    state.sort();
    return state;
}

// Runs a check that returns what went wrong, as an ordinary user when asked (see
// runAsUnprivilegedUser); the problems end up on stderr and in the result.
QString problemsOf(bool unprivileged, const std::function<QString()>& check)
{
    if (!unprivileged)
        return check();
    const int code = runAsUnprivilegedUser([&] {
        const QString problems = check();
        if (!problems.isEmpty())
            std::fprintf(stderr, "%s\n", qPrintable(problems));
        return problems.isEmpty() ? 0 : 1;
    });
    return code == 0 ? QString() : QStringLiteral("the unprivileged part failed (%1)").arg(code);
}

uint16_t storedChecksum(const QByteArray& image)
{
    return static_cast<uint16_t>(static_cast<uint8_t>(image[7736]) |
                                 static_cast<uint8_t>(image[7737]) << 8);
}

uint16_t byteSum(const QByteArray& image)
{
    uint32_t sum = 0;
    for (int i = 0; i < 7736; ++i)
        sum += static_cast<uint8_t>(image[i]);
    return static_cast<uint16_t>(sum);
}

} // namespace

TEST_F(CliTest, PagesAndWaitsForTheUnit)
{
    SimulatedUnit unit;
    ASSERT_TRUE(unit.started());
    const CliRun run =
        cli({QStringLiteral("--port"), unit.path(), QStringLiteral("page"), QStringLiteral("--to"),
             QStringLiteral("12"), QStringLiteral("Table"), QStringLiteral("4")});
    EXPECT_EQ(run.exitCode, Success) << run.err.constData();
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
        {"no command", {}, {}, UsageError, "no command"},
        {"page without a recipient",
         {},
         {QStringLiteral("page"), QStringLiteral("hi")},
         UsageError,
         "--to"},
        {"port missing", {}, page, PortProblem, "cannot open"},
        {"unit silent",
         {QStringLiteral("--ignore-connect")},
         page,
         NotConnected,
         "No response from unit."},
        {"page refused",
         {QStringLiteral("--nak-checksum"), QStringLiteral("always")},
         page,
         TransferFailed,
         "Error: Bad Checksum!"},
        {"no database",
         {},
         {QStringLiteral("dump"), QStringLiteral("/nonexistent/x.dat")},
         FileProblem,
         "/nonexistent/x.dat does not exist."},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        std::unique_ptr<SimulatedUnit> unit;
        QStringList arguments{QStringLiteral("--port"), file("no-unit")};
        if (!c.unit.isEmpty() || c.exitCode == TransferFailed) {
            unit = std::make_unique<SimulatedUnit>(c.unit);
            ASSERT_TRUE(unit->started());
            arguments = {QStringLiteral("--port"), unit->path()};
        }
        const CliRun run = cli(c.arguments.isEmpty() ? QStringList() : arguments + c.arguments);
        EXPECT_EQ(run.exitCode, c.exitCode);
        EXPECT_TRUE(run.err.contains(c.said)) << run.err.constData();
    }
}

// A command that fails once the unit has answered the connect still tells it goodbye, at the
// speed it listens at, so that the next command finds it at its own speed and connects at the
// first try.
TEST_F(CliTest, AfterAFailureTheUnitIsToldGoodbye)
{
    Database fixture;
    ASSERT_TRUE(fixture.writeDatabaseFile(file("site.dat")));
    struct Case {
        const char* what;
        QStringList unit;
        QStringList command;
    };
    const Case cases[] = {
        {"a refused page",
         {QStringLiteral("--nak-checksum"), QStringLiteral("always"),
          QStringLiteral("--fault-type"), QStringLiteral("4")},
         {QStringLiteral("page"), QStringLiteral("--to"), QStringLiteral("5"),
          QStringLiteral("hi")}},
        {"a refused download",
         {QStringLiteral("--refuse-length"), QStringLiteral("f9"), QStringLiteral("--fault-type"),
          QStringLiteral("2")},
         {QStringLiteral("download"), file("site.dat")}},
        {"an upload of the wrong length",
         {QStringLiteral("--upload-length"), QStringLiteral("100"), QStringLiteral("--fault-type"),
          QStringLiteral("3")},
         {QStringLiteral("upload"), file("uploaded.dat")}},
        {"a status with a bad checksum",
         {QStringLiteral("--corrupt-checksum"), QStringLiteral("--fault-type"),
          QStringLiteral("8")},
         {QStringLiteral("status")}},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        SimulatedUnit unit(c.unit + QStringList{QStringLiteral("--reset-speed-on-disconnect")});
        ASSERT_TRUE(unit.started());
        const QStringList port{QStringLiteral("--port"), unit.path()};
        const CliRun failed = cli(port + c.command);
        EXPECT_EQ(failed.exitCode, TransferFailed) << failed.err.constData();
        ASSERT_TRUE(unit.waitForEvents(QStringLiteral("disconnect"), 1, 2000));

        // A command the unit's fault leaves alone.
        const QStringList nextCommand =
            c.command.first() == u"page"
                ? QStringList{QStringLiteral("status")}
                : QStringList{QStringLiteral("page"), QStringLiteral("--to"), QStringLiteral("6"),
                              QStringLiteral("again")};
        const CliRun next = cli(port + nextCommand);
        EXPECT_EQ(next.exitCode, Success) << next.err.constData();
        EXPECT_EQ(unit.events(QStringLiteral("connect")).size(), 2);
        EXPECT_TRUE(unit.events(QStringLiteral("garbled")).isEmpty())
            << "a connect went out at a speed the unit was not listening at";
    }
}

// Saved settings a pseudo-terminal cannot run (it keeps 8 data bits, no parity) leave the
// port usable, command after command, and each command says once what the line runs with.
TEST_F(CliTest, SavedSettingsThePortRefusesAreSaidAndTheLineStillWorks)
{
    SimulatedUnit unit({QStringLiteral("--speed"), QStringLiteral("1200"),
                        QStringLiteral("--reset-speed-on-disconnect")});
    ASSERT_TRUE(unit.started());
    for (int run = 1; run <= 3; ++run) {
        SCOPED_TRACE(run);
        const CliRun status = cli({QStringLiteral("--port"), unit.path(), QStringLiteral("status")},
                                  "BaudRate=1200\nDataBits=7\nParity=2\nStopBits=2");
        EXPECT_EQ(status.exitCode, Success) << status.err.constData();
        EXPECT_EQ(status.err.count("The port does not take 7 data bits, even parity; it runs "
                                   "with 8 data bits, no parity."),
                  1)
            << status.err.constData();
    }
    EXPECT_EQ(unit.events(QStringLiteral("status")).size(), 3);
}

TEST_F(CliTest, ArgumentsAndSavedSettingsAreCheckedBeforeTheLineIsTouched)
{
    struct Case {
        const char* what;
        QStringList arguments; // after --port UNIT
        QByteArray savedSettings;
        int exitCode;
        QByteArray said;
    };
    auto page = [](const QString& text) {
        return QStringList{QStringLiteral("page"), QStringLiteral("--to"), QStringLiteral("12"),
                           text};
    };
    auto pageTo = [](const char* localId) {
        return QStringList{QStringLiteral("page"), QStringLiteral("--to"),
                           QString::fromUtf8(localId), QStringLiteral("hi")};
    };
    const QStringList status{QStringLiteral("status")};
    const Case cases[] = {
        {"local ID with a sign", pageTo("+12"), {}, UsageError, "--to"},
        {"local ID with blanks", pageTo(" 12 "), {}, UsageError, "--to"},
        {"local ID beyond the last", pageTo("10000"), {}, UsageError, "--to"},
        {"local ID in hex", pageTo("0x12"), {}, UsageError, "--to"},
        {"two recipients",
         {QStringLiteral("page"), QStringLiteral("--to"), QStringLiteral("12"),
          QStringLiteral("--to"), QStringLiteral("13"), QStringLiteral("hi")},
         {},
         UsageError,
         "--to"},
        {"recipient without a page",
         {QStringLiteral("--to"), QStringLiteral("12"), QStringLiteral("status")},
         {},
         UsageError,
         "--to"},
        {"201 characters", page(QString(201, u'x')), {}, UsageError, "201 characters"},
        {"1019 characters", page(QString(1019, u'x')), {}, UsageError, "1019 characters"},
        {"200 characters and a line break, which counts two",
         page(QString(199, u'x') + QStringLiteral("\ny")),
         {},
         UsageError,
         "202 characters"},
        {"Greek", page(QStringLiteral("Mesa \u03b1")), {}, UsageError, "U+03B1"},
        {"emoji", page(QStringLiteral("Ready \U0001F37D")), {}, UsageError, "U+1F37D"},
        {"record separator",
         page(QStringLiteral("a\x1e"
                             "b")),
         {},
         UsageError,
         "U+001E"},
        {"escape sequence", page(QStringLiteral("a\x1b[2J")), {}, UsageError, "U+001B"},
        {"C1 control",
         page(QStringLiteral("a\u009b"
                             "2J")),
         {},
         UsageError,
         "U+009B"},
        {"carriage return", page(QStringLiteral("a\r\nb")), {}, UsageError, "U+000D"},
        {"time-out not a number",
         {QStringLiteral("--timeout"), QStringLiteral("soon"), QStringLiteral("status")},
         {},
         UsageError,
         "--timeout"},
        {"time-out of nothing",
         {QStringLiteral("--timeout"), QStringLiteral("0"), QStringLiteral("status")},
         {},
         UsageError,
         "--timeout"},
        {"time-out past an hour",
         {QStringLiteral("--timeout"), QStringLiteral("3601"), QStringLiteral("status")},
         {},
         UsageError,
         "--timeout"},
        {"time-out with a sign",
         {QStringLiteral("--timeout"), QStringLiteral("+2"), QStringLiteral("status")},
         {},
         UsageError,
         "--timeout"},
        {"time-out with blanks",
         {QStringLiteral("--timeout"), QStringLiteral(" 2"), QStringLiteral("status")},
         {},
         UsageError,
         "--timeout"},
        {"time-out in powers of ten",
         {QStringLiteral("--timeout"), QStringLiteral("1e2"), QStringLiteral("status")},
         {},
         UsageError,
         "--timeout"},
        {"empty database name", {QStringLiteral("upload"), QString()}, {}, UsageError, "DBFILE"},
        {"upload into a folder that is not there",
         {QStringLiteral("upload"), QStringLiteral("/nonexistent-folder/site.dat")},
         {},
         FileProblem,
         "No such file"},
        {"two time-outs",
         {QStringLiteral("--timeout"), QStringLiteral("1"), QStringLiteral("--timeout"),
          QStringLiteral("2"), QStringLiteral("status")},
         {},
         UsageError,
         "--timeout"},
        {"unknown option",
         {QStringLiteral("--bogus"), QStringLiteral("status")},
         {},
         UsageError,
         "tavolux-cli: Unknown option 'bogus'"},
        {"baud rate off the list", status, "BaudRate=12345", PortProblem, "BaudRate 12345"},
        {"negative baud rate", status, "BaudRate=-9600", PortProblem, "BaudRate -9600"},
        {"baud rate not a number", status, "BaudRate=fast", PortProblem, "BaudRate fast"},
        {"data bits", status, "DataBits=99", PortProblem, "DataBits 99"},
        {"parity", status, "Parity=9", PortProblem, "Parity 9"},
        {"stop bits", status, "StopBits=3", PortProblem, "StopBits 3"},
        {"saved settings before a page", page(QStringLiteral("hi")), "Parity=9", PortProblem,
         "Parity 9"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        SimulatedUnit unit;
        ASSERT_TRUE(unit.started());
        const CliRun run =
            cli(QStringList{QStringLiteral("--port"), unit.path()} + c.arguments, c.savedSettings);
        EXPECT_EQ(run.exitCode, c.exitCode) << run.err.constData();
        EXPECT_TRUE(run.err.contains(c.said)) << run.err.constData();
        EXPECT_FALSE(run.err.contains("tavolux:")) << run.err.constData();
        // The unit logs its own start and then only what came down the line.
        EXPECT_EQ(unit.events().size(), 1) << run.err.constData();
    }
}

TEST_F(CliTest, PageTextsTheUnitCanShowGoOutAsTheConsoleSendsThem)
{
    struct Case {
        const char* what;
        QString text;
        QByteArray record;
    };
    const Case cases[] = {
        {"200 characters", QString(200, u'x'), "12\x1e" + QByteArray(200, 'x') + "\x1e"},
        {"Latin-1 letters", QStringLiteral("Caf\u00e9 \u00f1 \u00bf"),
         QByteArray("12\x1e"
                    "Caf\xe9 \xf1 \xbf\x1e")},
        {"line break as CR LF, as the console sends it", QStringLiteral("Table 4\nready"),
         QByteArray("12\x1eTable 4\r\nready\x1e")},
        {"200 characters with line breaks counted two", QString(196, u'x') + QStringLiteral("\n\n"),
         "12\x1e" + QByteArray(196, 'x') + "\r\n\r\n\x1e"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        SimulatedUnit unit;
        ASSERT_TRUE(unit.started());
        const CliRun run = cli({QStringLiteral("--port"), unit.path(), QStringLiteral("page"),
                                QStringLiteral("--to"), QStringLiteral("12"), c.text});
        EXPECT_EQ(run.exitCode, Success) << run.err.constData();
        const QList<QJsonObject> pages = unit.events(QStringLiteral("page"));
        ASSERT_EQ(pages.size(), 1);
        EXPECT_EQ(pages[0].value(QStringLiteral("bytes")).toString().toLatin1(), c.record.toHex());
    }
}

TEST_F(CliTest, APortPathIsTakenFromTheWorkingFolder)
{
    SimulatedUnit unit;
    ASSERT_TRUE(unit.started());
    // From the folder above the unit's, as "build/demo/unit" is given from a checkout.
    const QFileInfo folder(QFileInfo(unit.path()).path());
    const QString relative = folder.fileName() + QStringLiteral("/unit");
    const QString before = QDir::currentPath();
    ASSERT_TRUE(QDir::setCurrent(folder.path()));
    const CliRun run = cli({QStringLiteral("--port"), relative, QStringLiteral("status")});
    QDir::setCurrent(before);
    EXPECT_EQ(run.exitCode, Success) << run.err.constData();
    EXPECT_EQ(unit.events(QStringLiteral("status")).size(), 1);
}

TEST_F(CliTest, StatusTextReachesTheTerminalWithControlCharactersVisible)
{
    SimulatedUnit unit(
        {QStringLiteral("--status-text"), QStringLiteral("Pages: 3\r\n\x1b]0;owned\x07\x1b[2J\u009b"
                                                         "31m\r\nCaf\u00e9")});
    ASSERT_TRUE(unit.started());
    const CliRun run = cli({QStringLiteral("--port"), unit.path(), QStringLiteral("status")});
    ASSERT_EQ(run.exitCode, Success) << run.err.constData();
    EXPECT_EQ(run.out, QByteArray("Pages: 3\n^[]0;owned^G^[[2J\\x9b31m\nCaf\xc3\xa9\n"));
}

TEST_F(CliTest, UploadDumpAndDownload)
{
    // The unit starts with an image that has pager 42 in it.
    Database fixture;
    SiteBuilder(fixture).pager(42, 4242);
    fixture.image().commonMessage(3).setText(QStringLiteral("Kitchen to the bar"));
    ASSERT_TRUE(fixture.writeDatabaseFile(file("fixture.dat")));
    SimulatedUnit unit({QStringLiteral("--image"), file("fixture.dat")});
    ASSERT_TRUE(unit.started());

    CliRun run =
        cli({QStringLiteral("--port"), unit.path(), QStringLiteral("upload"), file("site.dat")});
    ASSERT_EQ(run.exitCode, Success) << run.err.constData();
    Database uploaded;
    ASSERT_EQ(uploaded.readDatabaseFile(file("site.dat")).status, DatabaseReadResult::Read);
    EXPECT_EQ(uploaded.image().bytes(), fixture.image().bytes());

    run = cli({QStringLiteral("dump"), file("site.dat")});
    ASSERT_EQ(run.exitCode, Success) << run.err.constData();
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
    ASSERT_EQ(run.exitCode, Success) << run.err.constData();
    const QList<QJsonObject> images = unit.events(QStringLiteral("image"));
    ASSERT_EQ(images.size(), 1);
    EXPECT_EQ(QByteArray::fromHex(images[0].value(QStringLiteral("bytes")).toString().toLatin1()),
              QByteArray(reinterpret_cast<const char*>(fixture.image().bytes().data()),
                         ConfigurationImage::Size));
}

TEST_F(CliTest, ReadingCommandsCreateAndChangeNoFile)
{
    Database good;
    SiteBuilder(good).pager(42, 4242, "Kitchen");
    ASSERT_TRUE(good.writeDatabaseFile(file("good.dat")));
    ASSERT_TRUE(good.writeNamesFile(file("good.dat")));
    QFile goodFile(file("good.dat"));
    ASSERT_TRUE(goodFile.open(QIODevice::ReadOnly));
    const QByteArray goodBytes = goodFile.readAll();

    QByteArray wrongChecksum = goodBytes;
    wrongChecksum[1 + 200] = static_cast<char>(wrongChecksum[1 + 200] ^ 0x04);
    // A value out of range under a checksum that matches the file's bytes.
    QByteArray needsRepair = goodBytes;
    needsRepair[1 + UnitSettings::encodingMethod.offset] = 3;
    const uint16_t repairSum = byteSum(needsRepair.mid(1));
    needsRepair[1 + 7736] = static_cast<char>(repairSum & 0xFF);
    needsRepair[1 + 7737] = static_cast<char>(repairSum >> 8);

    struct Kind {
        const char* what;
        QByteArray database;
        bool withNames;
        bool readOnly;
        int exitCode;
    };
    const Kind kinds[] = {
        {"good", goodBytes, true, false, Success},
        {"no names file", goodBytes, false, false, Success},
        {"wrong checksum", wrongChecksum, true, false, DamagedDatabase},
        {"needs repair", needsRepair, true, false, Success},
        {"read-only", goodBytes, true, true, Success},
    };
    const QStringList commands{QStringLiteral("dump"), QStringLiteral("download")};

    QFile::setPermissions(dir_.path(), QFile::Permissions(0x7777));
    int n = 0;
    for (const Kind& kind : kinds) {
        for (const QString& command : commands) {
            SCOPED_TRACE(std::string(kind.what) + " / " + command.toStdString());
            const QString folder = dir_.filePath(QStringLiteral("case%1").arg(++n));
            ASSERT_TRUE(QDir().mkdir(folder));
            QFile::setPermissions(folder, QFile::Permissions(0x7777));
            const QString database = folder + QStringLiteral("/site.dat");
            writeAll(database, kind.database);
            if (kind.withNames) {
                ASSERT_TRUE(QFile::copy(file("good.dat.nam"), database + QStringLiteral(".nam")));
            }
            const QFile::Permissions readOnly =
                QFile::ReadOwner | QFile::ReadUser | QFile::ReadGroup | QFile::ReadOther;
            if (kind.readOnly) {
                QFile::setPermissions(database, readOnly);
                QFile::setPermissions(database + QStringLiteral(".nam"), readOnly);
            }
            const QStringList before = folderState(folder);

            const QString problems = problemsOf(kind.readOnly, [&]() -> QString {
                QString found;
                const auto expect = [&found](bool ok, const QString& what) {
                    if (!ok)
                        found += what + u'\n';
                };
                std::unique_ptr<SimulatedUnit> unit;
                QStringList arguments{command, database};
                if (command == u"download") {
                    unit = std::make_unique<SimulatedUnit>();
                    expect(unit->started(), QStringLiteral("the unit did not start"));
                    arguments = QStringList{QStringLiteral("--port"), unit->path()} + arguments;
                }
                const CliRun run =
                    runCli(arguments, {.configFolder = dir_.filePath(QStringLiteral("config"))});
                expect(run.exitCode == kind.exitCode, QStringLiteral("exit code %1: %2")
                                                          .arg(run.exitCode)
                                                          .arg(QString::fromLocal8Bit(run.err)));
                if (kind.exitCode == DamagedDatabase) {
                    expect(run.err.contains("checksum"), QStringLiteral("no word of the checksum"));
                    expect(run.out.isEmpty(), QStringLiteral("default contents printed"));
                }
                if (command == u"dump" && kind.exitCode == Success) {
                    const QJsonObject dump = QJsonDocument::fromJson(run.out).object();
                    expect(dump.value(QStringLiteral("checksum")).toInt() ==
                               storedChecksum(kind.database.mid(1)),
                           QStringLiteral("not the stored checksum"));
                    expect(dump.value(QStringLiteral("checksumOk")).toBool(),
                           QStringLiteral("a matching checksum reported wrong"));
                    expect(dump.value(QStringLiteral("pagers")).toArray().size() == 1,
                           QStringLiteral("pager 42 missing"));
                }
                if (unit && kind.exitCode == Success) {
                    const QList<QJsonObject> images = unit->events(QStringLiteral("image"));
                    expect(images.size() == 1, QStringLiteral("no image sent"));
                    if (images.size() == 1) {
                        const QByteArray sent = QByteArray::fromHex(
                            images[0].value(QStringLiteral("bytes")).toString().toLatin1());
                        expect(storedChecksum(sent) == byteSum(sent),
                               QStringLiteral("the image's checksum does not match its bytes"));
                        expect(static_cast<uint8_t>(sent[UnitSettings::encodingMethod.offset]) != 3,
                               QStringLiteral("sent unrepaired"));
                    }
                }
                if (unit && kind.exitCode != Success) {
                    expect(unit->events(QStringLiteral("connect")).isEmpty(),
                           QStringLiteral("connected for a damaged database"));
                }
                return found;
            });
            EXPECT_TRUE(problems.isEmpty()) << problems.toStdString();
            EXPECT_EQ(folderState(folder), before);
        }
    }
}

TEST_F(CliTest, UploadRefusesATargetThatIsNotARegularFile)
{
    SimulatedUnit unit;
    ASSERT_TRUE(unit.started());
    struct Case {
        const char* what;
        std::function<bool(const QByteArray&)> make;
    };
    const Case cases[] = {
        {"FIFO",
         [](const QByteArray& at) {
             return ::mkfifo(at.constData(), 0666) == 0;
         }},
        {"device node",
         [](const QByteArray& at) {
             return ::mknod(at.constData(), S_IFCHR | 0666, makedev(1, 3)) == 0;
         }},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        const QString target = file(c.what);
        if (!c.make(QFile::encodeName(target))) {
            ASSERT_NE(::geteuid(), 0u) << "could not build the case";
            continue; // device nodes need root
        }
        struct stat before {};
        ASSERT_EQ(::lstat(QFile::encodeName(target).constData(), &before), 0);
        const QStringList listing = QDir(dir_.path()).entryList(QDir::AllEntries | QDir::Hidden);

        const CliRun run =
            cli({QStringLiteral("--port"), unit.path(), QStringLiteral("upload"), target});

        EXPECT_EQ(run.exitCode, FileProblem);
        EXPECT_TRUE(run.err.contains("not a regular file")) << run.err.constData();
        struct stat after {};
        ASSERT_EQ(::lstat(QFile::encodeName(target).constData(), &after), 0);
        EXPECT_EQ(after.st_mode, before.st_mode);
        EXPECT_EQ(after.st_rdev, before.st_rdev);
        EXPECT_EQ(QDir(dir_.path()).entryList(QDir::AllEntries | QDir::Hidden), listing);
        // Refused before the line was touched: the unit logged its own start and nothing else.
        EXPECT_EQ(unit.events().size(), 1) << run.err.constData();
    }
}

TEST_F(CliTest, AnUploadedImageIsRepairedBeforeItIsUsed)
{
    // An erased unit: every setting 0xFF.
    Database erased;
    ConfigurationImage::Bytes bytes = erased.image().bytes();
    std::fill(bytes.begin() + UnitSettings::answerRings.offset, bytes.begin() + 7736, 0xFF);
    QFile raw(file("erased.img"));
    ASSERT_TRUE(raw.open(QIODevice::WriteOnly));
    raw.write(reinterpret_cast<const char*>(bytes.data()), ConfigurationImage::Size);
    raw.close();
    SimulatedUnit unit({QStringLiteral("--image"), file("erased.img")});
    ASSERT_TRUE(unit.started());

    const CliRun run =
        cli({QStringLiteral("--port"), unit.path(), QStringLiteral("upload"), file("site.dat")});
    ASSERT_EQ(run.exitCode, Success) << run.err.constData();

    QFile saved(file("site.dat"));
    ASSERT_TRUE(saved.open(QIODevice::ReadOnly));
    const QByteArray image = saved.readAll().mid(1);
    ASSERT_EQ(image.size(), ConfigurationImage::Size);
    EXPECT_EQ(static_cast<uint8_t>(image[UnitSettings::localIdLength.offset]), 4);
    EXPECT_EQ(static_cast<uint8_t>(image[UnitSettings::encodingMethod.offset]), 4);
    EXPECT_EQ(static_cast<uint8_t>(image[UnitSettings::answerRings.offset]), 2);
    EXPECT_EQ(storedChecksum(image), byteSum(image));
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
                    {}, [&] {
                        if (fault.killAfterMs < 0)
                            return;
                        ASSERT_TRUE(unit.waitForEvents(QStringLiteral("connect"), 1));
                        QThread::msleep(static_cast<unsigned long>(fault.killAfterMs));
                        unit.kill();
                    });
            EXPECT_EQ(run.exitCode, NotConnected);
            EXPECT_TRUE(run.err.contains(fault.said)) << run.err.constData();
            // The time-out, then at most one more for the goodbye to a unit that heard the
            // connect.
            EXPECT_LT(clock.elapsed(),
                      2 * TimeoutSeconds * 1000 + 1000 + std::max(fault.killAfterMs, 0) + 500);
            EXPECT_FALSE(QFile::exists(file("uploaded.dat")));
        }
    }
}

TEST_F(CliTest, NoResponseNamesThePortTried)
{
    SimulatedUnit unit({QStringLiteral("--ignore-connect")});
    ASSERT_TRUE(unit.started());
    // What starting the command line costs on this machine now (a sanitizer build under load
    // takes a second or more), measured with a port that cannot be opened.
    QElapsedTimer clock;
    clock.start();
    const CliRun refused =
        cli({QStringLiteral("--port"), file("no-such-port"), QStringLiteral("--timeout"),
             QStringLiteral("0.5"), QStringLiteral("status")});
    EXPECT_EQ(refused.exitCode, PortProblem);
    const qint64 startMs = clock.restart();
    const CliRun run = cli({QStringLiteral("--port"), unit.path(), QStringLiteral("--timeout"),
                            QStringLiteral("0.5"), QStringLiteral("status")});
    EXPECT_EQ(run.exitCode, NotConnected);
    EXPECT_TRUE(run.err.contains("No response from unit. (" + unit.path().toLocal8Bit() + ")"))
        << run.err.constData();
    // Two tries, at the saved speed and at the online speed, each no longer than the time-out.
    EXPECT_LT(clock.elapsed(), startMs + 500 + 1000 + 500);
}

namespace {

// A site whose reports and dump run to many kilobytes, beyond the small file-size limits below.
void writeLargeSite(const QString& path)
{
    Database site;
    SiteBuilder(site).pagers(400, 100, 1000, [](int index) {
        return QStringLiteral("A pager with a long enough name %1").arg(index);
    });
    ASSERT_TRUE(site.writeDatabaseFile(path));
    ASSERT_TRUE(site.writeNamesFile(path));
}

} // namespace

// An output is written whole or not at all: never over one of the command's own inputs, however
// it is named, and an output that cannot be written is the command's failure with the exit code
// its help gives for it (5 for a file, 7 for a PDF), whatever stands in the way.
TEST_F(CliTest, AnOutputIsRefusedWhenItIsAnInputAndFailsWhenItCannotBeWritten)
{
    SimulatedUnit unit;
    ASSERT_TRUE(unit.started());
    const QString site = file("site.dat");
    writeLargeSite(site);
    ASSERT_TRUE(QFile::link(site, file("link.dat")));
    ASSERT_TRUE(QFile::link(site + QStringLiteral(".nam"), file("names-link")));
    // Apart, so that looking at the folder's files opens no FIFO.
    const QString fifo = file("special/fifo");
    ASSERT_TRUE(QDir().mkdir(file("special")));
    ASSERT_EQ(::mkfifo(QFile::encodeName(fifo).constData(), 0666), 0);
    writeAll(file("old.tsv"), "last week's export\r\n");
    writeAll(file("old.pdf"), "%PDF-1.4 last week's print");
    writeAll(file("old.dat"), "last week's upload");
    const QString respelled = dir_.path() + QStringLiteral("/./") + QStringLiteral("site.dat");
    // Nothing can be created in it, not even by root.
    const QString noFolder = QStringLiteral("/proc/self");
    // The limit's signal is left at its default: the command must not die of it in silence.
    const QString withLimit = QStringLiteral("ulimit -f 4; exec \"$0\" \"$@\"");
    const QString plain = QStringLiteral("exec \"$0\" \"$@\"");
    const QString port = unit.path();

    struct Case {
        QString stage;
        QStringList arguments;
        int exitCode;
        const char* says;
    };
    const QList<Case> cases{
        {plain, {"report", "pagers", site, "-o", site}, UsageError, "which this command reads"},
        {plain,
         {"report", "pagers", site, "-o", site + ".nam"},
         UsageError,
         "which this command reads"},
        {plain,
         {"report", "pagers", site, "-o", file("link.dat")},
         UsageError,
         "which this command reads"},
        {plain,
         {"report", "groups", site, "-o", respelled},
         UsageError,
         "which this command reads"},
        {plain,
         {"report", "alarms", file("link.dat"), "-o", site},
         UsageError,
         "which this command reads"},
        {plain, {"print", "pagers", site, "--pdf", site}, UsageError, "which this command reads"},
        {plain,
         {"print", "pagers", site, "--pdf", file("names-link")},
         UsageError,
         "this command reads"},
        {plain, {"report", "pagers", site, "-o", fifo}, FileProblem, "not a regular file"},
        {plain, {"print", "pagers", site, "--pdf", fifo}, PrintFailed, "not a regular file"},
        {plain, {"--port", port, "upload", fifo}, FileProblem, "not a regular file"},
        {plain,
         {"report", "pagers", site, "-o", noFolder + "/out.tsv"},
         FileProblem,
         "could not be written"},
        {plain,
         {"print", "pagers", site, "--pdf", noFolder + "/out.pdf"},
         PrintFailed,
         "could not be written"},
        {plain,
         {"--port", port, "upload", noFolder + "/out.dat"},
         FileProblem,
         "could not be saved"},
        {withLimit,
         {"report", "pagers", site, "-o", file("old.tsv")},
         FileProblem,
         "could not be written"},
        {withLimit,
         {"print", "pagers", site, "--pdf", file("old.pdf")},
         PrintFailed,
         "could not be written"},
        {withLimit, {"--port", port, "upload", file("old.dat")}, FileProblem, "could not be saved"},
    };
    const QStringList before = folderState(dir_.path());
    for (const Case& c : cases) {
        SCOPED_TRACE((c.stage + u' ' + c.arguments.join(u' ')).toStdString());
        const CliRun run =
            runCli(c.arguments, {.configFolder = dir_.filePath(QStringLiteral("config")),
                                 .shellStage = c.stage});
        EXPECT_EQ(run.exitCode, c.exitCode) << run.err.constData();
        EXPECT_TRUE(run.err.contains(c.says)) << run.err.constData();
        EXPECT_TRUE(run.out.isEmpty());
        // The inputs, the earlier outputs and the folder are as they were: no half-written file
        // took a place, none was left beside it.
        EXPECT_EQ(folderState(dir_.path()), before);
    }
}

// What a command prints is its result: when stdout cannot take it all (a full disk, a closed
// stdout, a file-size limit, one of the command's own inputs), the command says so and fails.
TEST_F(CliTest, AResultThatDoesNotReachStdoutIsAFailure)
{
    SimulatedUnit unit;
    ASSERT_TRUE(unit.started());
    const QString site = file("site.dat");
    writeLargeSite(site);
    const QString port = unit.path();
    const QString out = file("out.txt");
    const auto stage = [](const QString& redirection, const QString& limit = {}) {
        return QStringLiteral("%1 exec \"$0\" \"$@\" %2").arg(limit, redirection);
    };
    const QString limited = QStringLiteral("ulimit -f 1;");

    struct Case {
        QString stage;
        QStringList arguments;
        int exitCode;
        const char* says;
        bool connects;
    };
    const QList<Case> cases{
        {stage("> /dev/full"), {"dump", site}, FileProblem, "could not be written", false},
        {stage("> /dev/full"),
         {"report", "pagers", site},
         FileProblem,
         "could not be written",
         false},
        {stage("> /dev/full"),
         {"--port", port, "status"},
         FileProblem,
         "could not be written",
         true},
        {stage(">&-"), {"dump", site}, FileProblem, "stdout is closed", false},
        {stage(">&-"), {"report", "groups", site}, FileProblem, "stdout is closed", false},
        {stage(">&-"), {"--port", port, "status"}, FileProblem, "stdout is closed", false},
        {stage("> " + out, limited), {"dump", site}, FileProblem, "could not be written", false},
        {stage("> " + out, limited),
         {"report", "pagers", site},
         FileProblem,
         "could not be written",
         false},
        {stage(">> " + site), {"dump", site}, UsageError, "which this command reads", false},
        {stage(">> " + site + ".nam"),
         {"report", "pagers", site},
         UsageError,
         "this command reads",
         false},
    };
    const QByteArray siteBytes = readAll(site);
    const QByteArray namesBytes = readAll(site + QStringLiteral(".nam"));
    for (const Case& c : cases) {
        SCOPED_TRACE((c.stage + u' ' + c.arguments.join(u' ')).toStdString());
        const qsizetype connectsBefore = unit.events(QStringLiteral("connect")).size();
        const CliRun run =
            runCli(c.arguments, {.configFolder = dir_.filePath(QStringLiteral("config")),
                                 .shellStage = c.stage});
        EXPECT_EQ(run.exitCode, c.exitCode) << run.err.constData();
        EXPECT_TRUE(run.err.contains(c.says)) << run.err.constData();
        EXPECT_EQ(unit.events(QStringLiteral("connect")).size() - connectsBefore,
                  c.connects ? 1 : 0);
        EXPECT_EQ(readAll(site), siteBytes);
        EXPECT_EQ(readAll(site + QStringLiteral(".nam")), namesBytes);
    }
    // The same commands with a stdout that takes everything succeed.
    for (const QStringList& arguments :
         {QStringList{"dump", site}, QStringList{"report", "pagers", site},
          QStringList{"--port", port, "status"}}) {
        SCOPED_TRACE(arguments.join(u' ').toStdString());
        const CliRun run =
            runCli(arguments, {.configFolder = dir_.filePath(QStringLiteral("config")),
                               .shellStage = stage("> " + out)});
        EXPECT_EQ(run.exitCode, Success) << run.err.constData();
        EXPECT_GT(QFileInfo(out).size(), 0);
    }
}

// A refused command line says what is wrong with it, and each command has its own help.
TEST_F(CliTest, ArgumentMessagesNameTheRealProblem)
{
    Database site;
    ASSERT_TRUE(site.writeDatabaseFile(file("site.dat")));
    const QString db = file("site.dat");
    struct Case {
        QStringList arguments;
        int exitCode;
        const char* says;
    };
    const QList<Case> cases{
        {{"report", "pagers", db, "--sort", "name:DESC"}, Success, ""},
        {{"report", "pagers", db, "--sort", "Cap Code:Asc"}, Success, ""},
        {{"report", "pagers", db, "--limit", "2147483647"}, Success, ""},
        {{"report", "pagers", db, "--limit", "99999999999999999999999"}, Success, ""},
        {{"report", "pagers", db, "--sort", "name:up"}, UsageError, "no column \"name:up\""},
        {{"report", "pagers", db, "extra"}, UsageError, "unexpected argument \"extra\""},
        {{"print", "groups", db, "extra", "--pdf", file("x.pdf")},
         UsageError,
         "unexpected argument"},
        {{"report", "pagers", db, "--port", "ttyS0"},
         UsageError,
         "--port is for the commands that talk to the unit"},
        {{"print", "pagers", db, "--timeout", "3", "--pdf", file("x.pdf")},
         UsageError,
         "--timeout is for the commands that talk to the unit"},
        {{"report", "pagers", file("missing.dat")}, FileProblem, "missing.dat does not exist"},
        {{"dump", file("missing.dat")}, FileProblem, "missing.dat does not exist"},
        {{"report", "pagers", dir_.path()},
         FileProblem,
         "could not be opened as a Tavolux database"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.arguments.join(u' ').toStdString());
        const CliRun run = cli(c.arguments);
        EXPECT_EQ(run.exitCode, c.exitCode) << run.err.constData();
        EXPECT_TRUE(run.err.contains(c.says)) << run.err.constData();
    }

    for (const char* command :
         {"page", "download", "upload", "status", "dump", "firmware", "voice", "serve", "report",
          "print"}) {
        SCOPED_TRACE(command);
        const CliRun help = cli({QString::fromLatin1(command), QStringLiteral("--help")});
        EXPECT_EQ(help.exitCode, Success) << help.err.constData();
        EXPECT_TRUE(help.out.startsWith("Usage: tavolux-cli ")) << help.out.constData();
        EXPECT_TRUE(help.out.contains(QByteArray(" ") + command + ' ')) << help.out.constData();
        // Only that command's lines.
        EXPECT_LT(help.out.count('\n'), 14) << help.out.constData();
    }
}
