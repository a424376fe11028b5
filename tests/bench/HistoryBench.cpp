// The page history at a busy venue's year: 1 000 000 pages. Prints the cost of recording a page
// (what the page path pays, and what the writing thread pays per row on disk), the file's size
// per million pages, tavolux-cli history for one recipient over a year (the whole command, and
// the query alone), searches for texts and names, and how long the daily clean-up holds the file from another writer.
#include "FilledHistory.h"
#include "PageHistory.h"
#include "PageHistoryReader.h"

#include <QCoreApplication>
#include <QDir>
#include <QElapsedTimer>
#include <QFileInfo>
#include <QProcess>
#include <QSqlDatabase>
#include <QSqlQuery>
#include <QTemporaryDir>
#include <QThread>

#include <algorithm>
#include <cstdio>
#include <vector>

namespace {

constexpr qint64 Pages = 1000000;
constexpr qint64 DayMs = 24LL * 3600 * 1000;

double msSince(const QElapsedTimer& timer)
{
    return static_cast<double>(timer.nsecsElapsed()) / 1e6;
}

void line(const char* what, double value, const char* unit, const char* target = "")
{
    std::printf("%-58s %10.3f %-3s %s\n", what, value, unit, target);
}

double median(std::vector<double> values)
{
    std::sort(values.begin(), values.end());
    return values.empty() ? 0 : values[values.size() / 2];
}

PageHistoryEntry page(int i)
{
    PageHistoryEntry entry;
    entry.queuedMs = QDateTime::currentMSecsSinceEpoch();
    entry.endedMs = entry.queuedMs + 250;
    entry.origin.source = PageOrigin::Source::MessageBox;
    entry.recipient = static_cast<uint32_t>(i % 1000);
    entry.name = QStringLiteral("Pager %1").arg(i % 1000);
    entry.text = QStringLiteral("Table %1 is ready").arg(i);
    return entry;
}

// Records pages one at a time as a console does, each after the previous one is on disk, and
// then a burst; prints what the caller paid and what the writing thread took per row.
void recording(const QString& path)
{
    PageHistory history(path);
    // The first write opens the file.
    history.record(page(0));
    history.flush(10000);
    constexpr int Single = 200;
    std::vector<double> callerUs;
    QElapsedTimer total;
    total.start();
    for (int i = 0; i < Single; ++i) {
        QElapsedTimer call;
        call.start();
        history.record(page(i));
        callerUs.push_back(static_cast<double>(call.nsecsElapsed()) / 1e3);
        history.flush(10000);
    }
    const double perPageMs = msSince(total) / Single;
    constexpr int Burst = 5000;
    QElapsedTimer burst;
    burst.start();
    for (int i = 0; i < Burst; ++i)
        history.record(page(i));
    const double burstCallerMs = msSince(burst);
    history.flush(60000);
    const double burstMs = msSince(burst);
    line("record(): the page path's cost, median", median(callerUs), "us", "(target < 1 ms)");
    line("one page written and on disk, one at a time", perPageMs, "ms", "(on the writing thread)");
    line("5000 pages recorded at once: the callers' whole cost", burstCallerMs, "ms");
    line("5000 pages recorded at once: on disk after", burstMs, "ms");
}

// tavolux-cli history --to ID --since 365d on the filled file, as a script runs it; and the
// reader's query alone.
void commandLineQuery(const QString& dataFolder, const QString& path)
{
    std::vector<double> whole;
    qint64 lines = 0;
    for (int run = 0; run < 5; ++run) {
        QProcess cli;
        QProcessEnvironment environment = QProcessEnvironment::systemEnvironment();
        environment.insert(QStringLiteral("XDG_DATA_HOME"), dataFolder);
        cli.setProcessEnvironment(environment);
        QElapsedTimer timer;
        timer.start();
        cli.start(QStringLiteral(TAVOLUX_CLI),
                  {QStringLiteral("history"), QStringLiteral("--to"), QStringLiteral("417"),
                   QStringLiteral("--since"), QStringLiteral("365d")});
        if (!cli.waitForFinished(120000) || cli.exitCode() != 0) {
            std::fprintf(stderr, "tavolux-cli history failed: %s\n",
                         cli.readAllStandardError().constData());
            std::exit(2);
        }
        whole.push_back(msSince(timer));
        lines = cli.readAllStandardOutput().count('\n') - 1;
    }
    std::printf("%-58s %10lld rows\n", "tavolux-cli history --to 417 --since 365d", lines);
    line("  the whole command, median of 5", median(whole), "ms");

    PageHistoryReader reader;
    reader.open(path);
    HistoryFilter filter;
    filter.recipient = 417;
    filter.sinceMs = QDateTime::currentMSecsSinceEpoch() - 365 * DayMs;
    std::vector<double> query;
    for (int run = 0; run < 5; ++run) {
        QElapsedTimer timer;
        timer.start();
        qint64 rows = 0;
        reader.forEach(filter, {HistoryColumn::Queued, true}, [&rows](const PageHistoryEntry&) {
            ++rows;
            return true;
        });
        query.push_back(msSince(timer));
    }
    line("  the reader's query alone, median of 5", median(query), "ms", "(target < 100 ms)");
}

// What a search box does with each kind of text: the count of rows it keeps, up to ten thousand
// (a list says "more" beyond), and the first 200 of them, newest first.
void searches(const QString& path)
{
    PageHistoryReader reader;
    reader.open(path);
    struct Search {
        const char* what;
        const char* text;
    };
    const Search searches[] = {
        {"a word in one page of ten", "kitchen"},
        {"a text in one page of thousands", "Kitchen 17 Bar"},
        {"a name (one page of a thousand)", "Pager 417"},
        {"no page", "zebra"},
        {"two characters (no index)", "17"},
    };
    for (const Search& search : searches) {
        HistoryFilter filter;
        filter.search = QString::fromUtf8(search.text);
        std::vector<double> times;
        qint64 rows = 0;
        for (int run = 0; run < 5; ++run) {
            QElapsedTimer timer;
            timer.start();
            reader.countUpTo(filter, 10000);
            reader.rows(filter, {}, 0, 200);
            times.push_back(msSince(timer));
        }
        rows = reader.count(filter);
        std::printf("%-58s %10lld rows\n",
                    qPrintable(QStringLiteral("search \"%1\": %2")
                                   .arg(QString::fromUtf8(search.text),
                                        QString::fromUtf8(search.what))),
                    static_cast<long long>(rows));
        line("  count up to 10 000 and the first 200 rows, median of 5", median(times), "ms",
             "(target < 100 ms)");
    }
}

// The clean-up removing the oldest 65 days of pages (about 178 000 rows) while another program
// writes a page every few milliseconds: how long that writer waited at most.
void cleanUp(const QString& path)
{
    const QString connection = QStringLiteral("other-writer");
    QSqlDatabase other = QSqlDatabase::addDatabase(QStringLiteral("QSQLITE"), connection);
    other.setDatabaseName(path);
    other.setConnectOptions(QStringLiteral("QSQLITE_BUSY_TIMEOUT=30000"));
    other.open();
    const qint64 cutoff = QDateTime::currentMSecsSinceEpoch() - 300 * DayMs;
    auto oldRows = [&] {
        QSqlQuery count(other);
        count.prepare(QStringLiteral("SELECT count(*) FROM pages WHERE queued_at < ?"));
        count.addBindValue(cutoff);
        count.exec();
        count.next();
        return count.value(0).toLongLong();
    };
    const qint64 before = oldRows();
    std::vector<double> waits;
    QElapsedTimer total;
    {
        PageHistory history(path);
        total.start();
        history.setRetentionDays(300);
        QSqlQuery write(other);
        while (total.elapsed() < 300000) {
            QElapsedTimer wait;
            wait.start();
            write.exec(QStringLiteral("BEGIN IMMEDIATE"));
            write.exec(QStringLiteral(
                "INSERT INTO pages (queued_at, ended_at, source, peer, login, recipient, name, "
                "text, outcome, reason) VALUES (strftime('%s','now')*1000, "
                "strftime('%s','now')*1000, 'cli', '', '', 1, 'Pager 1', 'Probe', 0, '')"));
            write.exec(QStringLiteral("COMMIT"));
            waits.push_back(msSince(wait));
            if (oldRows() == 0)
                break;
            QThread::msleep(5);
        }
    }
    const double totalMs = msSince(total);
    std::printf("%-58s %10lld rows\n", "clean-up of pages older than 300 days", before);
    line("  until every old row was gone", totalMs, "ms", "(in the background)");
    line("  another writer's longest wait", *std::max_element(waits.begin(), waits.end()), "ms");
    line("  another writer's median wait", median(waits), "ms");
    other.close();
    other = QSqlDatabase();
    QSqlDatabase::removeDatabase(connection);
}

} // namespace

int main(int argc, char* argv[])
{
    QCoreApplication app(argc, argv);
    QTemporaryDir dataFolder;
    const QString folder = dataFolder.filePath(QStringLiteral("Brindleco Signals/tavolux"));
    QDir().mkpath(folder);
    const QString path = folder + QStringLiteral("/pages.sqlite");
    std::printf("Page history, %lld pages over a year\n", static_cast<long long>(Pages));

    QElapsedTimer fill;
    fill.start();
    FilledHistory::fill(path, Pages, QDateTime::currentMSecsSinceEpoch());
    line("filling it (one transaction)", msSince(fill), "ms");
    line("file size per million pages",
         static_cast<double>(QFileInfo(path).size()) / (1024.0 * 1024.0) * 1e6 /
             static_cast<double>(Pages),
         "MiB");

    commandLineQuery(dataFolder.path(), path);
    searches(path);
    recording(path);
    cleanUp(path);
    return 0;
}
