#include "../support/UpdateFiles.h"
#include "../unit/ChildProcess.h"
#include "../unit/SimulatedUnit.h"

#include <QElapsedTimer>
#include <QJsonArray>
#include <QTemporaryDir>

#include <gtest/gtest.h>
#include <sys/stat.h>

using namespace updatefiles;

namespace {

const int Success = 0;
const int NotConnected = 3;
const int TransferFailed = 4;
const int FileProblem = 5;

struct CliOutcome {
    int exitCode;
    QByteArray err;
    qint64 elapsedMs;
};

class CliUpdates : public ::testing::Test {
protected:
    CliOutcome cli(const QStringList& arguments, const std::function<void()>& meanwhile = {})
    {
        QElapsedTimer clock;
        clock.start();
        ChildProcess process(
            QStringLiteral(TAVOLUX_CLI), arguments,
            {QStringLiteral("XDG_CONFIG_HOME=") + dir_.filePath(QStringLiteral("config"))});
        if (meanwhile)
            meanwhile();
        const int code = process.wait(30000);
        return {code, process.standardError(), clock.elapsed()};
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
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        SimulatedUnit unit(QStringList{QStringLiteral("--boot-loader"),
                                       QStringLiteral("--power-on-after"), QStringLiteral("300")} +
                           c.unitOptions);
        ASSERT_TRUE(unit.started());
        ASSERT_TRUE(write(file("fw.hex"), c.hex));
        const CliOutcome run =
            cli({QStringLiteral("--port"), unit.path(), QStringLiteral("--timeout"),
                 QStringLiteral("5"), QStringLiteral("firmware"), file("fw.hex")});
        EXPECT_EQ(run.exitCode, c.exitCode) << run.err.constData();
        EXPECT_TRUE(run.err.contains(c.said)) << run.err.constData();
        const QList<std::pair<int, QByteArray>> lines = linesReceived(unit);
        EXPECT_EQ(numbers(lines), c.lines);
        // Each record goes out exactly as the file has it, without its line end.
        const QList<QByteArray> fileLines = c.hex.trimmed().split('\n');
        for (const auto& [number, text] : lines) {
            const QByteArray expected = number <= fileLines.size() ? fileLines[number - 1].trimmed()
                                                                   : QByteArray(":00000001FF");
            EXPECT_EQ(text, expected) << number;
        }
        EXPECT_EQ(run.err.contains("Unrecognised"), c.unitOptions.contains(u"--loader-garbage"));
        EXPECT_EQ(run.err.contains("Warning"), !c.hex.contains(":00000001FF"));
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
    const CliOutcome run = cli({QStringLiteral("--port"), unit.path(), QStringLiteral("firmware"),
                                file("endless.hex")});
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
    const CliOutcome run = cli(
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
        const CliOutcome run =
            cli({QStringLiteral("--port"), unit.path(), QStringLiteral("--timeout"),
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
    EXPECT_EQ(cli(port + QStringList{QStringLiteral("firmware")}).exitCode, 1);
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
        const CliOutcome run = cli(port + QStringList{QStringLiteral("firmware"), file(special)});
        EXPECT_EQ(run.exitCode, FileProblem);
        EXPECT_TRUE(run.err.contains("is not a regular file")) << run.err.constData();
        EXPECT_LT(run.elapsedMs, 10000);
    }
    EXPECT_EQ(unit.events(QStringLiteral("firmware-call")).size(), 0);
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
    const CliOutcome run = cli({QStringLiteral("--port"), unit.path(), QStringLiteral("voice"),
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
        ASSERT_TRUE(
            write(QStringLiteral("%1/spanish%2.wav").arg(folder).arg(i), wav("samples")));
    ASSERT_EQ(::mkfifo(QFile::encodeName(folder + QStringLiteral("/spanish1.wav")).constData(),
                       0600),
              0);
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
         1,
         "--language",
         false},
        {"files missing",
         {},
         {QStringLiteral("voice"), QStringLiteral("--language"), QStringLiteral("4"),
          QStringLiteral("--dir"), folder},
         FileProblem,
         "Error: File not found!",
         false},
        {"a prompt that is a FIFO",
         {},
         {QStringLiteral("voice"), QStringLiteral("--language"), QStringLiteral("Spanish"),
          QStringLiteral("--dir"), folder},
         FileProblem,
         "Error: File not found!",
         false},
        {"language on another command",
         {},
         {QStringLiteral("status"), QStringLiteral("--language"), QStringLiteral("1")},
         1,
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
        const CliOutcome run =
            cli(QStringList{QStringLiteral("--port"), unit.path()} + c.arguments);
        EXPECT_EQ(run.exitCode, c.exitCode) << run.err.constData();
        EXPECT_TRUE(run.err.contains(c.said)) << run.err.constData();
        EXPECT_EQ(!unit.events(QStringLiteral("connect")).isEmpty(), c.lineTouched);
    }
}
