#include "../support/CliRunner.h"
#include "HistoryFixture.h"

#include <QDateTime>
#include <QDirIterator>
#include <QFile>
#include <QJsonDocument>
#include <QJsonObject>

#include <sys/stat.h>

namespace {

constexpr qint64 Hour = 3600LL * 1000;
constexpr qint64 Day = 24 * Hour;
const qint64 Now = QDateTime::currentMSecsSinceEpoch();

QString localDate(qint64 ms, const char* format = "yyyy-MM-dd")
{
    return QDateTime::fromMSecsSinceEpoch(ms).toString(QString::fromLatin1(format));
}

// The lines of an output without the header, as texts of one column.
QStringList column(const QByteArray& tsv, int index)
{
    QStringList cells;
    const QList<QByteArray> lines = tsv.split('\n');
    for (qsizetype i = 1; i < lines.size(); ++i) {
        QByteArray line = lines[i];
        if (line.endsWith('\r'))
            line.chop(1);
        if (!line.isEmpty())
            cells << QString::fromUtf8(line.split('\t').value(index));
    }
    return cells;
}

} // namespace

// tavolux-cli history reading the history that the console and the other commands keep, in the
// data folder they all use.
class HistoryCommandTest : public HistoryFixture {
protected:
    HistoryCommandTest()
    {
        fileName_ = QStringLiteral("Brindleco Signals/tavolux/pages.sqlite");
    }

    CliRun history(const QStringList& options, const QString& shellStage = {})
    {
        return runCli(QStringList{QStringLiteral("history")} + options,
                      {.shellStage = shellStage, .dataFolder = folder_.path()});
    }

    // Every file and folder below the data folder, with sizes and times.
    QStringList everything() const
    {
        QStringList found;
        QDirIterator it(folder_.path(), QDir::AllEntries | QDir::Hidden | QDir::NoDotAndDotDot,
                        QDirIterator::Subdirectories);
        while (it.hasNext()) {
            const QFileInfo file(it.next());
            found << QStringLiteral("%1 %2 %3")
                         .arg(file.filePath())
                         .arg(file.size())
                         .arg(file.lastModified().toMSecsSinceEpoch());
        }
        found.sort();
        return found;
    }

    // Six pages over the last three days, and one a month ago.
    void writeSite()
    {
        writeRows({
            entry(7, QStringLiteral("Month old"), Now - 30 * Day),
            entry(12, QStringLiteral("Table 4 ready"), Now - 3 * Day),
            entry(7, QStringLiteral("Kitchen call"), Now - 2 * Day, HistoryOutcome::Failed),
            entry(12, QStringLiteral("Order up"), Now - 30 * Hour, HistoryOutcome::Refused,
                  PageOrigin::Source::Snpp),
            entry(300, QStringLiteral("table 9"), Now - 5 * Hour, HistoryOutcome::Dropped),
            entry(12, QStringLiteral("Bar"), Now - 1 * Hour),
        });
    }
};

TEST_F(HistoryCommandTest, FiltersKeepTheirRowsOldestFirst)
{
    writeSite();
    struct Case {
        QStringList options;
        QStringList texts;
    };
    const QString twoDaysAgo = localDate(Now - 2 * Day + Hour, "yyyy-MM-ddTHH:mm");
    const Case cases[] = {
        {{},
         {"Month old", "Table 4 ready", "Kitchen call", "Order up", "table 9", "Bar"}},
        {{"--to", "12"}, {"Table 4 ready", "Order up", "Bar"}},
        {{"--to", "0012"}, {"Table 4 ready", "Order up", "Bar"}},
        {{"--to", "9999"}, {}},
        // The text or the name, without regard to case.
        {{"--grep", "TABLE"}, {"Table 4 ready", "table 9"}},
        {{"--grep", "pager 300"}, {"table 9"}},
        {{"--grep", "%"}, {}},
        {{"--outcome", "failed"}, {"Kitchen call"}},
        {{"--outcome", "refused,dropped"}, {"Order up", "table 9"}},
        {{"--outcome", "confirmed", "--to", "7"}, {"Month old"}},
        {{"--since", "1w"}, {"Table 4 ready", "Kitchen call", "Order up", "table 9", "Bar"}},
        {{"--since", "36h"}, {"Order up", "table 9", "Bar"}},
        {{"--since", "90m"}, {"Bar"}},
        {{"--since", twoDaysAgo}, {"Order up", "table 9", "Bar"}},
        {{"--since", localDate(Now - 40 * Day), "--until", localDate(Now - 20 * Day)},
         {"Month old"}},
        {{"--until", QDateTime::fromMSecsSinceEpoch(Now - 2 * Day + Hour)
                         .toUTC()
                         .toString(QStringLiteral("yyyy-MM-ddTHH:mm:ssZ"))},
         {"Month old", "Table 4 ready", "Kitchen call"}},
        {{"--since", "1w", "--grep", "a", "--outcome", "confirmed,failed", "--to", "12"},
         {"Table 4 ready", "Bar"}},
    };
    for (const Case& c : cases) {
        const CliRun run = history(c.options);
        SCOPED_TRACE(c.options.join(u' ').toStdString());
        ASSERT_EQ(run.exitCode, Cli::Success) << run.err.toStdString();
        EXPECT_EQ(column(run.out, 7), c.texts);
    }
}

TEST_F(HistoryCommandTest, TsvAndJsonCarryEveryField)
{
    PageHistoryEntry page = entry(41, QStringLiteral("Line one\nline\ttwo"), Now - Hour,
                                  HistoryOutcome::Failed, PageOrigin::Source::Snpp);
    page.origin.peer = QStringLiteral("192.0.2.7");
    page.origin.login = QStringLiteral("pos");
    page.name = QStringLiteral("Señora Núñez");
    page.reason = QString::fromLatin1(HistoryReason::NoResponse);
    writeRows({page});

    const CliRun tsv = history({});
    ASSERT_EQ(tsv.exitCode, Cli::Success) << tsv.err.toStdString();
    const QString queued = QDateTime::fromMSecsSinceEpoch(page.queuedMs).toString(Qt::ISODateWithMs);
    const QString ended = QDateTime::fromMSecsSinceEpoch(page.endedMs).toString(Qt::ISODateWithMs);
    EXPECT_EQ(QString::fromUtf8(tsv.out),
              QStringLiteral("queued\tended\tsource\tpeer\tlogin\tto\tname\ttext\toutcome\treason\t"
                             "answer_ms\r\n") +
                  QStringLiteral("%1\t%2\tsnpp\t192.0.2.7\tpos\t41\tSeñora Núñez\tLine one line "
                                 "two\tfailed\tno response\t250\r\n")
                      .arg(queued, ended));

    const CliRun json = history({QStringLiteral("--json")});
    ASSERT_EQ(json.exitCode, Cli::Success) << json.err.toStdString();
    ASSERT_TRUE(json.out.endsWith('\n'));
    ASSERT_EQ(json.out.count('\n'), 1);
    const QJsonObject row = QJsonDocument::fromJson(json.out).object();
    EXPECT_EQ(row.value(QStringLiteral("queued")).toString(), queued);
    EXPECT_EQ(row.value(QStringLiteral("ended")).toString(), ended);
    EXPECT_EQ(row.value(QStringLiteral("source")).toString(), QStringLiteral("snpp"));
    EXPECT_EQ(row.value(QStringLiteral("peer")).toString(), QStringLiteral("192.0.2.7"));
    EXPECT_EQ(row.value(QStringLiteral("login")).toString(), QStringLiteral("pos"));
    EXPECT_EQ(row.value(QStringLiteral("to")).toInteger(), 41);
    EXPECT_EQ(row.value(QStringLiteral("name")).toString(), page.name);
    EXPECT_EQ(row.value(QStringLiteral("text")).toString(), page.text);
    EXPECT_EQ(row.value(QStringLiteral("outcome")).toString(), QStringLiteral("failed"));
    EXPECT_EQ(row.value(QStringLiteral("reason")).toString(), page.reason);
    EXPECT_EQ(row.value(QStringLiteral("answer_ms")).toInteger(), 250);
}

TEST_F(HistoryCommandTest, ManyRowsArriveWhole)
{
    // More than one piece of output, in both forms.
    QList<PageHistoryEntry> pages;
    for (int i = 0; i < 3000; ++i)
        pages << entry(static_cast<uint32_t>(i % 1000), QStringLiteral("Page %1").arg(i),
                       Now - Day + i);
    writeRows(pages);
    const CliRun tsv = history({});
    ASSERT_EQ(tsv.exitCode, Cli::Success) << tsv.err.toStdString();
    const QStringList texts = column(tsv.out, 7);
    ASSERT_EQ(texts.size(), 3000);
    EXPECT_EQ(texts.first(), QStringLiteral("Page 0"));
    EXPECT_EQ(texts.last(), QStringLiteral("Page 2999"));
    const CliRun json = history({QStringLiteral("--json")});
    ASSERT_EQ(json.exitCode, Cli::Success) << json.err.toStdString();
    EXPECT_EQ(json.out.count('\n'), 3000);
}

TEST_F(HistoryCommandTest, WrongOptionsAreRefusedBeforeTheHistoryIsRead)
{
    writeSite();
    const QStringList before = everything();
    struct Case {
        QStringList options;
        const char* said;
    };
    const Case cases[] = {
        {{"--since", "yesterday"}, "--since takes a date"},
        {{"--since", "2026-02-30"}, "--since takes a date"},
        {{"--since", "2026-12-01T25:00"}, "--since takes a date"},
        {{"--since", "1234567d"}, "--since takes a date"},
        {{"--since", "-2h"}, "--since takes a date"},
        {{"--since", "2h "}, "--since takes a date"},
        {{"--until", "2h"}, "--until takes a date"},
        {{"--until", ""}, "--until takes a date"},
        {{"--since", "2026-12-02", "--until", "2026-12-01"}, "--since must be before --until"},
        {{"--to", "10000"}, "--to takes a local ID (0 to 9999"},
        {{"--to", "-1"}, "--to takes a local ID"},
        {{"--to", "7a"}, "--to takes a local ID"},
        {{"--grep", ""}, "--grep needs a text"},
        {{"--grep", QString(1001, u'x')}, "--grep takes up to 1000 characters"},
        {{"--outcome", "lost"}, "--outcome takes confirmed, failed, refused or dropped"},
        {{"--outcome", "failed,"}, "--outcome takes"},
        {{"--to", "1", "--to", "2"}, "--to is given more than once"},
        {{"--timeout", "5"}, "--timeout is not an option of history"},
        {{"extra"}, "history takes no arguments"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.options.join(u' ').toStdString());
        const CliRun run = history(c.options);
        EXPECT_EQ(run.exitCode, Cli::UsageError);
        EXPECT_TRUE(run.err.contains(c.said)) << run.err.toStdString();
        EXPECT_TRUE(run.out.isEmpty());
    }
    EXPECT_EQ(everything(), before);
}

TEST_F(HistoryCommandTest, ReadingCreatesAndChangesNoFile)
{
    // No history yet: an empty list, and no folder made for one.
    CliRun run = history({});
    EXPECT_EQ(run.exitCode, Cli::Success) << run.err.toStdString();
    EXPECT_EQ(column(run.out, 0), QStringList());
    EXPECT_TRUE(run.out.startsWith("queued\t"));
    EXPECT_EQ(everything(), QStringList());

    writeSite();
    const QStringList before = everything();
    run = history({QStringLiteral("--json")});
    EXPECT_EQ(run.exitCode, Cli::Success) << run.err.toStdString();
    EXPECT_EQ(run.out.count('\n'), 6);
    EXPECT_EQ(everything(), before);

    // While a writer holds the file open (its journal beside it), and from a read-only copy.
    {
        PageHistory writer(path());
        writer.record(entry(5, QStringLiteral("While writing"), Now));
        ASSERT_TRUE(writer.flush(10000));
        run = history({QStringLiteral("--to"), QStringLiteral("5")});
        EXPECT_EQ(run.exitCode, Cli::Success) << run.err.toStdString();
        EXPECT_EQ(column(run.out, 7), QStringList{QStringLiteral("While writing")});
    }
    ASSERT_EQ(::chmod(QFile::encodeName(path()).constData(), 0444), 0);
    const QStringList readOnly = everything();
    run = history({QStringLiteral("--to"), QStringLiteral("5")});
    EXPECT_EQ(run.exitCode, Cli::Success) << run.err.toStdString();
    EXPECT_EQ(column(run.out, 7), QStringList{QStringLiteral("While writing")});
    EXPECT_EQ(everything(), readOnly);
}

TEST_F(HistoryCommandTest, AHistoryThatCannotBeReadIsSaid)
{
    struct Case {
        const char* name;
        std::function<void(const QString& path)> make;
        const char* said;
    };
    const Case cases[] = {
        {"damaged",
         [](const QString& path) {
             QFile file(path);
             ASSERT_TRUE(file.open(QIODevice::ReadWrite));
             file.seek(0);
             file.write(QByteArray(100, 'x'));
         },
         "cannot be read"},
        {"a FIFO",
         [](const QString& path) {
             QFile::remove(path);
             ASSERT_EQ(::mkfifo(QFile::encodeName(path).constData(), 0600), 0);
         },
         "it is not a regular file"},
        {"a folder",
         [](const QString& path) {
             QFile::remove(path);
             ASSERT_TRUE(QDir().mkpath(path));
         },
         "it is not a regular file"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        QDir(QFileInfo(path()).path()).removeRecursively();
        writeSite();
        c.make(path());
        const QStringList before = everything();
        const CliRun run = history({});
        EXPECT_EQ(run.exitCode, Cli::FileProblem);
        EXPECT_TRUE(run.err.contains(c.said)) << run.err.toStdString();
        EXPECT_TRUE(run.out.isEmpty());
        EXPECT_EQ(everything(), before);
    }
}

TEST_F(HistoryCommandTest, OutputThatDoesNotArriveIsAFailure)
{
    writeSite();
    for (const char* stage : {"exec \"$0\" \"$@\" > /dev/full", "exec \"$0\" \"$@\" >&-"}) {
        SCOPED_TRACE(stage);
        const CliRun run = history({}, QString::fromLatin1(stage));
        EXPECT_EQ(run.exitCode, Cli::FileProblem);
        EXPECT_FALSE(run.err.isEmpty());
    }
}
