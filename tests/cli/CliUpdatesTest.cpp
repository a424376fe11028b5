#include "../support/CliRunner.h"
#include "../support/SimulatedUnit.h"
#include "../support/UpdateFiles.h"

#include "Database.h"

#include <QDir>
#include <QElapsedTimer>
#include <QFileInfo>
#include <QJsonArray>
#include <QTemporaryDir>

#include <gtest/gtest.h>

#include <csignal>
#include <sys/stat.h>

using namespace updatefiles;

namespace {

using namespace Cli;

class CliUpdates : public ::testing::Test {
protected:
    CliRun cli(const QStringList& arguments, const std::function<void()>& meanwhile = {})
    {
        return runCli(arguments, {.configFolder = dir_.filePath(QStringLiteral("config")),
                                  .meanwhile = meanwhile,
                                  .timeoutMs = 30000});
    }
    QString file(const char* name) const { return dir_.filePath(QString::fromLatin1(name)); }

    QTemporaryDir dir_;
};

// The records the loader took, by line number, in the order they came.
QList<std::pair<int, QByteArray>> linesReceived(const SimulatedUnit& unit)
{
    QList<std::pair<int, QByteArray>> lines;
    for (const QJsonObject& event : unit.events(QStringLiteral("firmware-line")))
        lines.append({event.value(QStringLiteral("number")).toInt(),
                      event.value(QStringLiteral("text")).toString().toLatin1()});
    return lines;
}

QList<int> numbers(const QList<std::pair<int, QByteArray>>& lines)
{
    QList<int> found;
    for (const auto& line : lines)
        found << line.first;
    return found;
}

} // namespace

TEST_F(CliUpdates, FirmwareDialogueEndsAsTheBootLoaderSays)
{
    struct Case {
        const char* name;
        QStringList unitOptions;
        QByteArray hex;
        int exitCode;
        const char* said; // on stderr
        QList<int> lines; // the line numbers the loader took, in order
    };
    const QByteArray threeRecords = hexFile(3);
    const Case cases[] = {
        {"complete",
         {},
         threeRecords,
         Success,
         "Firmware load complete.  4 lines sent",
         {1, 2, 3, 4}},
        {"no end record",
         {},
         hexFile(3, false),
         Success,
         "Warning: No end of record in Intel Hex file",
         {1, 2, 3, 4}},
        {"three checksum errors",
         {QStringLiteral("--loader-nak"), QStringLiteral("2:3")},
         threeRecords,
         Success,
         "Firmware load complete.  4 lines sent",
         {1, 2, 2, 2, 2, 3, 4}},
        {"four checksum errors",
         {QStringLiteral("--loader-nak"), QStringLiteral("2:4")},
         threeRecords,
         TransferFailed,
         "Checksum error reported for line 2.  Aborting",
         {1, 2, 2, 2, 2}},
        {"invalid page",
         {QStringLiteral("--flash-range"), QStringLiteral("0-1F")},
         threeRecords,
         TransferFailed,
         "Invalid page error reported for line 3.  Aborting",
         {1, 2, 3}},
        {"unrecognised output mid-file",
         {QStringLiteral("--loader-garbage"), QStringLiteral("2")},
         threeRecords,
         Success,
         "Unrecognised output, please;",
         {1, 2, 1, 2, 3, 4}},
        {"unrecognised output after the end record",
         {QStringLiteral("--loader-garbage"), QStringLiteral("4")},
         threeRecords,
         Success,
         "Firmware load complete.  4 lines sent",
         {1, 2, 3, 4, 1, 2, 3, 4}},
        {"XON and XOFF between answers",
         {QStringLiteral("--loader-xon-xoff")},
         threeRecords,
         Success,
         "Firmware load complete.  4 lines sent",
         {1, 2, 3, 4}},
        // The end record has gone out: a '~' after it asks for nothing more.
        {"'~' after the end record",
         {QStringLiteral("--loader-accept-end")},
         threeRecords,
         Success,
         "Firmware load complete.  4 lines sent",
         {1, 2, 3, 4}},
        {"CRLF line ends", {}, hexFile(3, true, "\r\n"), Success, "4 lines sent", {1, 2, 3, 4}},
        // Blank lines would send nothing and leave the loader waiting: they are passed over.
        {"blank lines between records",
         {},
         threeRecords.left(threeRecords.indexOf('\n') + 1) + "\n  \r\n" +
             threeRecords.mid(threeRecords.indexOf('\n') + 1) + "\n",
         Success,
         "4 lines sent",
         {1, 2, 3, 4}},
        // A file that would give the loader nothing it could answer is refused before the
        // line is touched.
        {"empty", {}, "", FileProblem, "fw.hex cannot be sent: it holds no records", {}},
        {"blank lines only", {}, "\n  \r\n\t\n", FileProblem, "holds no records", {}},
        {"a NUL byte in a line",
         {},
         threeRecords.left(20) + '\0' + threeRecords.mid(20),
         FileProblem,
         "fw.hex cannot be sent: it is not a text file",
         {}},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        SimulatedUnit unit(QStringList{QStringLiteral("--boot-loader"),
                                       QStringLiteral("--power-on-after"), QStringLiteral("300")} +
                           c.unitOptions);
        ASSERT_TRUE(unit.started());
        ASSERT_TRUE(write(file("fw.hex"), c.hex));
        const CliRun run = cli({QStringLiteral("--port"), unit.path(), QStringLiteral("--timeout"),
                                QStringLiteral("5"), QStringLiteral("firmware"), file("fw.hex")});
        EXPECT_EQ(run.exitCode, c.exitCode) << run.err.constData();
        EXPECT_TRUE(run.err.contains(c.said)) << run.err.constData();
        const QList<std::pair<int, QByteArray>> lines = linesReceived(unit);
        EXPECT_EQ(numbers(lines), c.lines);
        // Each record goes out exactly as the file has it, without its line end.
        QList<QByteArray> fileLines = c.hex.trimmed().split('\n');
        fileLines.removeIf([](const QByteArray& line) { return line.trimmed().isEmpty(); });
        for (const auto& [number, text] : lines) {
            const QByteArray expected = number <= fileLines.size() ? fileLines[number - 1].trimmed()
                                                                   : QByteArray(":00000001FF");
            EXPECT_EQ(text, expected) << number;
        }
        EXPECT_EQ(run.err.contains("Unrecognised"), c.unitOptions.contains(u"--loader-garbage"));
        EXPECT_EQ(run.err.contains("Warning"),
                  !c.hex.contains(":00000001FF") && c.exitCode != FileProblem);
        if (c.exitCode == FileProblem) {
            EXPECT_EQ(unit.events(QStringLiteral("firmware-call")).size(), 0);
        }
    }
}

// A file of one endless line (here 8 MiB without a line end) is read a record's length at a
// time: the loader refuses what it gets and the command ends, instead of the whole file being
// held in memory and sent as one line.
TEST_F(CliUpdates, FirmwareReadsAnEndlessLineInRecordSizedPieces)
{
    SimulatedUnit unit(
        {QStringLiteral("--boot-loader"), QStringLiteral("--power-on-after"), QStringLiteral("0")});
    ASSERT_TRUE(unit.started());
    ASSERT_TRUE(write(file("endless.hex"), QByteArray(8 << 20, ':')));
    const CliRun run = cli(
        {QStringLiteral("--port"), unit.path(), QStringLiteral("firmware"), file("endless.hex")});
    EXPECT_EQ(run.exitCode, TransferFailed) << run.err.constData();
    EXPECT_TRUE(run.err.contains("Checksum error reported for line 1.  Aborting"))
        << run.err.constData();
    // The first piece and its three repeats, not the whole file.
    qsizetype received = 0;
    for (const auto& line : linesReceived(unit))
        received += line.second.size();
    EXPECT_LE(received, 4 * 1024);
}

TEST_F(CliUpdates, FirmwareWaitsForTheUnitToBeSwitchedOn)
{
    SimulatedUnit unit({QStringLiteral("--boot-loader")});
    ASSERT_TRUE(unit.started());
    ASSERT_TRUE(write(file("fw.hex"), hexFile(2)));
    const CliRun run = cli(
        {QStringLiteral("--port"), unit.path(), QStringLiteral("firmware"), file("fw.hex")}, [&] {
            // The program is calling by now; the user switches the unit on.
            QTest::qWait(700);
            unit.powerOn();
        });
    EXPECT_EQ(run.exitCode, Success) << run.err.constData();
    EXPECT_TRUE(run.err.contains("Switch the unit off and on")) << run.err.constData();
    EXPECT_EQ(unit.events(QStringLiteral("firmware-call")).size(), 1);
}

TEST_F(CliUpdates, FirmwareEndsWhenTheLoaderStaysQuiet)
{
    struct Case {
        const char* name;
        QStringList unitOptions;
        const char* said;
    };
    const Case cases[] = {
        {"never switched on", {}, "The boot loader did not answer."},
        // XOFF, then the answer that makes the program write a line that can never go out.
        {"dead after XOFF",
         {QStringLiteral("--power-on-after"), QStringLiteral("100"),
          QStringLiteral("--loader-dead-after"), QStringLiteral("1")},
         "The boot loader stopped answering."},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        SimulatedUnit unit(QStringList{QStringLiteral("--boot-loader")} + c.unitOptions);
        ASSERT_TRUE(unit.started());
        ASSERT_TRUE(write(file("fw.hex"), hexFile(200)));
        const CliRun run = cli({QStringLiteral("--port"), unit.path(), QStringLiteral("--timeout"),
                                QStringLiteral("1"), QStringLiteral("firmware"), file("fw.hex")});
        EXPECT_EQ(run.exitCode, NotConnected) << run.err.constData();
        EXPECT_TRUE(run.err.contains(c.said)) << run.err.constData();
        // The quiet second, then at most one read and one write time-out.
        EXPECT_LT(run.elapsedMs, 6000);
    }
}

TEST_F(CliUpdates, FirmwareFileAndArgumentsAreCheckedBeforeTheLine)
{
    SimulatedUnit unit(
        {QStringLiteral("--boot-loader"), QStringLiteral("--power-on-after"), QStringLiteral("0")});
    ASSERT_TRUE(unit.started());
    const QStringList port{QStringLiteral("--port"), unit.path()};
    EXPECT_EQ(cli(port + QStringList{QStringLiteral("firmware"), file("missing.hex")}).exitCode,
              FileProblem);
    EXPECT_EQ(cli(port + QStringList{QStringLiteral("firmware")}).exitCode, UsageError);
    EXPECT_EQ(cli(port +
                  QStringList{QStringLiteral("firmware"), QStringLiteral("a"), QStringLiteral("b")})
                  .exitCode,
              1);
    // Only a regular file is read: a FIFO would hold the command until some program wrote to
    // it, a folder has no lines.
    ASSERT_EQ(::mkfifo(QFile::encodeName(file("fifo.hex")).constData(), 0600), 0);
    QDir().mkpath(file("folder.hex"));
    for (const char* special : {"fifo.hex", "folder.hex"}) {
        SCOPED_TRACE(special);
        const CliRun run = cli(port + QStringList{QStringLiteral("firmware"), file(special)});
        EXPECT_EQ(run.exitCode, FileProblem);
        EXPECT_TRUE(run.err.contains("is not a regular file")) << run.err.constData();
        EXPECT_LT(run.elapsedMs, 10000);
    }
    EXPECT_EQ(unit.events(QStringLiteral("firmware-call")).size(), 0);
}

// The unit's line breaks part-way through an update: the command ends at once, as every other
// command does, instead of waiting out the loader's minute and blaming the loader.
TEST_F(CliUpdates, FirmwareEndsAtOnceWhenTheLineBreaks)
{
    SimulatedUnit unit(
        {QStringLiteral("--boot-loader"), QStringLiteral("--power-on-after"), QStringLiteral("0")});
    ASSERT_TRUE(unit.started());
    ASSERT_TRUE(write(file("fw.hex"), hexFile(5000)));
    QElapsedTimer sinceBreak;
    const CliRun run = cli(
        {QStringLiteral("--port"), unit.path(), QStringLiteral("firmware"), file("fw.hex")}, [&] {
            ASSERT_TRUE(unit.waitForEvents(QStringLiteral("firmware-line"), 5, 10000));
            unit.kill();
            sinceBreak.start();
        });
    EXPECT_EQ(run.exitCode, NotConnected) << run.err.constData();
    EXPECT_TRUE(run.err.contains("The connection to the unit was lost.")) << run.err.constData();
    EXPECT_FALSE(run.err.contains("The boot loader")) << run.err.constData();
    EXPECT_LT(sinceBreak.elapsed(), 3000);
}

TEST_F(CliUpdates, VoiceSendsTheLanguagesPromptsInOneBlock)
{
    SimulatedUnit unit;
    ASSERT_TRUE(unit.started());
    const QString folder = file("prompts");
    QDir().mkpath(folder);
    const QList<QByteArray> samples{QByteArray(1000, 'a'), QByteArray(2000, 'b'),
                                    QByteArray(10, 'c'),   QByteArray(20, 'd'),
                                    QByteArray(30, 'e'),   QByteArray(40, 'f')};
    for (int i = 0; i < 6; ++i)
        ASSERT_TRUE(write(QStringLiteral("%1/spanish%2.wav").arg(folder).arg(i + 1),
                          wav(samples[i], chunk("LIST", "INFO"))));
    const CliRun run = cli({QStringLiteral("--port"), unit.path(), QStringLiteral("voice"),
                            QStringLiteral("--language"), QStringLiteral("Spanish"),
                            QStringLiteral("--dir"), folder});
    EXPECT_EQ(run.exitCode, Success) << run.err.constData();
    const QList<QJsonObject> voice = unit.events(QStringLiteral("voice"));
    ASSERT_EQ(voice.size(), 1);
    EXPECT_EQ(voice[0].value(QStringLiteral("length")).toInt(), 3148);
    EXPECT_TRUE(voice[0].value(QStringLiteral("acknowledged")).toBool());
    const QJsonArray expected{QJsonArray{48, 1000}, QJsonArray{1048, 2000}, QJsonArray{3048, 10},
                              QJsonArray{3058, 20}, QJsonArray{3078, 30},   QJsonArray{3108, 40}};
    EXPECT_EQ(voice[0].value(QStringLiteral("prompts")).toArray(), expected);
    EXPECT_EQ(unit.events(QStringLiteral("connect")).size(), 1);
    EXPECT_EQ(unit.events(QStringLiteral("disconnect")).size(), 1);
}

TEST_F(CliUpdates, VoiceRefusalsAndFailures)
{
    const QString folder = file("prompts");
    QDir().mkpath(folder);
    for (int i = 1; i <= 6; ++i)
        ASSERT_TRUE(write(QStringLiteral("%1/english (australia)%2.wav").arg(folder).arg(i),
                          wav("samples")));
    // Spanish: the first prompt is a FIFO nobody writes to.
    for (int i = 2; i <= 6; ++i)
        ASSERT_TRUE(write(QStringLiteral("%1/spanish%2.wav").arg(folder).arg(i), wav("samples")));
    ASSERT_EQ(
        ::mkfifo(QFile::encodeName(folder + QStringLiteral("/spanish1.wav")).constData(), 0600), 0);
    struct Case {
        const char* name;
        QStringList unitOptions;
        QStringList arguments;
        int exitCode;
        const char* said;
        bool lineTouched;
    };
    const QStringList language0{QStringLiteral("voice"), QStringLiteral("--language"),
                                QStringLiteral("0"), QStringLiteral("--dir"), folder};
    const Case cases[] = {
        {"unknown language",
         {},
         {QStringLiteral("voice"), QStringLiteral("--language"), QStringLiteral("Klingon")},
         UsageError,
         "--language",
         false},
        {"files missing",
         {},
         {QStringLiteral("voice"), QStringLiteral("--language"), QStringLiteral("4"),
          QStringLiteral("--dir"), folder},
         FileProblem,
         "french1.wav cannot be used: No such file or directory",
         false},
        {"a prompt that is a FIFO",
         {},
         {QStringLiteral("voice"), QStringLiteral("--language"), QStringLiteral("Spanish"),
          QStringLiteral("--dir"), folder},
         FileProblem,
         "spanish1.wav cannot be used: it is not a regular file",
         false},
        {"language on another command",
         {},
         {QStringLiteral("status"), QStringLiteral("--language"), QStringLiteral("1")},
         UsageError,
         "voice only",
         false},
        {"unit refuses the length",
         {QStringLiteral("--refuse-length"), QStringLiteral("f8")},
         language0,
         TransferFailed,
         "",
         true},
        {"unit falls silent",
         {QStringLiteral("--silent-after"), QStringLiteral("10"), QStringLiteral("--fault-type"),
          QStringLiteral("5")},
         language0 + QStringList{QStringLiteral("--timeout"), QStringLiteral("1")},
         NotConnected,
         "No response from unit.",
         true},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        SimulatedUnit unit(c.unitOptions);
        ASSERT_TRUE(unit.started());
        const CliRun run = cli(QStringList{QStringLiteral("--port"), unit.path()} + c.arguments);
        EXPECT_EQ(run.exitCode, c.exitCode) << run.err.constData();
        EXPECT_TRUE(run.err.contains(c.said)) << run.err.constData();
        EXPECT_EQ(!unit.events(QStringLiteral("connect")).isEmpty(), c.lineTouched);
    }
}

// SIGINT or SIGTERM while a command changes the unit ends it with the signal's conventional
// code, saying what the unit may be left with.
TEST_F(CliUpdates, ASignalSaysWhatTheUnitMayBeLeftWith)
{
    const QString folder = file("prompts");
    QDir().mkpath(folder);
    for (int i = 1; i <= 6; ++i)
        ASSERT_TRUE(write(QStringLiteral("%1/english (australia)%2.wav").arg(folder).arg(i),
                          wav("samples")));
    ASSERT_TRUE(write(file("fw.hex"), hexFile(5000)));
    Database site;
    ASSERT_TRUE(site.writeDatabaseFile(file("site.dat")));
    // The unit holds every command at its start (silent in every block, a boot loader that
    // stops answering), so that the signal always comes while the command runs: a command that
    // had already ended would exit 0, or write its file, before the signal came.
    const QStringList quiet{QStringLiteral("--silent-after"), QStringLiteral("10")};
    struct Case {
        const char* name;
        QStringList unitOptions;
        QStringList arguments;
        const char* startedWhen; // the unit's event after which the signal comes
        int signalNumber;
        std::string said;
    };
    const Case cases[] = {
        {"firmware",
         {QStringLiteral("--boot-loader"), QStringLiteral("--power-on-after"), QStringLiteral("0"),
          QStringLiteral("--loader-dead-after"), QStringLiteral("2")},
         {"firmware", file("fw.hex")},
         "firmware-line",
         SIGINT,
         "firmware may be partly written: run the update again"},
        {"voice",
         quiet,
         {"voice", "--language", "0", "--dir", folder},
         "connect",
         SIGTERM,
         "voice prompts may be incomplete: run voice again"},
        {"download",
         quiet,
         {"download", file("site.dat")},
         "connect",
         SIGTERM,
         "part of the configuration: run download again"},
        {"upload",
         quiet,
         {"upload", file("new.dat")},
         "connect",
         SIGINT,
         "the unit is unchanged, and " + file("new.dat").toStdString() + " is as it was"},
        // The file is written before the unit is disconnected: a signal then must not call it
        // untouched.
        {"upload written",
         {QStringLiteral("--ignore-disconnect")},
         {"upload", file("written.dat")},
         "disconnect",
         SIGTERM,
         "the unit is unchanged, and " + file("written.dat").toStdString() +
             " holds its configuration"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        SimulatedUnit unit(c.unitOptions);
        ASSERT_TRUE(unit.started());
        const std::unique_ptr<ChildProcess> process =
            startCli(QStringList{QStringLiteral("--port"), unit.path(), QStringLiteral("--timeout"),
                                 QStringLiteral("30")} +
                         c.arguments,
                     {.configFolder = dir_.filePath(QStringLiteral("config"))});
        ASSERT_TRUE(unit.waitForEvents(QString::fromLatin1(c.startedWhen), 1, 10000));
        QElapsedTimer sinceSignal;
        sinceSignal.start();
        process->signal(c.signalNumber);
        EXPECT_EQ(process->wait(10000), 128 + c.signalNumber)
            << process->standardError().constData();
        EXPECT_LT(sinceSignal.elapsed(), 3000);
        EXPECT_TRUE(process->standardError().contains(c.said.c_str()))
            << process->standardError().constData();
    }
    EXPECT_FALSE(QFileInfo::exists(file("new.dat")));
    EXPECT_EQ(
        Database().readDatabaseFile(file("written.dat"), Database::ReadPurpose::Inspect).status,
        DatabaseReadResult::Read);
}
