#include "../support/FileBytes.h"
#include "../support/UnprivilegedUser.h"
#include "HistoryFixture.h"
#include "HistorySql.h"
#include "ServeEventsUntil.h"

#include <QDateTime>
#include <QSqlDatabase>
#include <QSqlError>
#include <QSqlQuery>
#include <QThread>

#include <sched.h>
#include <sys/mount.h>
#include <sys/stat.h>

namespace {

constexpr qint64 Day = 24LL * 60 * 60 * 1000;
const qint64 Now = QDateTime::currentMSecsSinceEpoch();

QList<uint32_t> recipients(const QList<PageHistoryEntry>& entries)
{
    QList<uint32_t> ids;
    for (const PageHistoryEntry& e : entries)
        ids << e.recipient;
    return ids;
}

// Runs statements on the file directly, as another program (or an older release) would.
void runSql(const QString& path, const QStringList& statements)
{
    const QString name = QStringLiteral("test-sql");
    {
        QSqlDatabase db = QSqlDatabase::addDatabase(QStringLiteral("QSQLITE"), name);
        db.setDatabaseName(path);
        ASSERT_TRUE(db.open());
        QSqlQuery query(db);
        for (const QString& statement : statements)
            ASSERT_TRUE(query.exec(statement))
                << statement.toStdString() << ": " << query.lastError().text().toStdString();
    }
    QSqlDatabase::removeDatabase(name);
}

} // namespace

using PageHistoryTest = HistoryFixture;

TEST_F(PageHistoryTest, KeepsEveryFieldOfARow)
{
    PageHistoryEntry sent = entry(12, QStringLiteral("Table 4\nis ready: 100%"), Now - 5000);
    sent.origin = {PageOrigin::Source::Snpp, QStringLiteral("10.0.0.7"), QStringLiteral("desk")};
    sent.name = QStringLiteral("Señora García");
    sent.outcome = HistoryOutcome::Failed;
    sent.reason = QString::fromLatin1(HistoryReason::NoResponse);
    sent.endedMs = Now - 3800;
    writeRows({sent});

    const QList<PageHistoryEntry> rows = readAll();
    ASSERT_EQ(rows.size(), 1);
    sent.id = rows[0].id;
    EXPECT_EQ(rows[0], sent);
    EXPECT_EQ(rows[0].answerMs(), 1200);
}

TEST_F(PageHistoryTest, FiltersAndOrders)
{
    writeRows({
        entry(12, QStringLiteral("Table 4 is ready"), Now - 3 * Day),
        entry(40, QStringLiteral("Doctor to ward B"), Now - 2 * Day, HistoryOutcome::Failed),
        entry(12, QStringLiteral("50% off at the bar"), Now - Day, HistoryOutcome::Refused),
        entry(7, QStringLiteral("table 9 IS READY"), Now - 1000, HistoryOutcome::Dropped),
        entry(90, QStringLiteral("Señor Núñez, say \"hi\" 🍽🍷"), Now - 500),
    });
    struct Case {
        const char* what;
        HistoryFilter filter;
        QList<uint32_t> expected; // oldest first
    };
    const QList<Case> cases = {
        {"everything", {}, {12, 40, 12, 7, 90}},
        {"text, any case", {.search = QStringLiteral("is ready")}, {12, 7}},
        {"two letters, any case", {.search = QStringLiteral("IS")}, {12, 7}},
        // Only ASCII letters match without regard to case, whether the index is used or not.
        {"other letters as they are", {.search = QStringLiteral("ñez")}, {90}},
        {"other letters in another case", {.search = QStringLiteral("ÑEZ")}, {}},
        {"quotes", {.search = QStringLiteral("\"hi\"")}, {90}},
        {"two characters beyond sixteen bits", {.search = QStringLiteral("🍽🍷")}, {90}},
        {"name", {.search = QStringLiteral("pager 40")}, {40}},
        {"a percent sign is a letter", {.search = QStringLiteral("50%")}, {12}},
        {"an underscore is a letter", {.search = QStringLiteral("_")}, {}},
        {"recipient", {.recipient = 12}, {12, 12}},
        {"since", {.sinceMs = Now - 2 * Day}, {40, 12, 7, 90}},
        {"until (not included)", {.untilMs = Now - 2 * Day}, {12}},
        {"range", {.sinceMs = Now - 2 * Day - 1, .untilMs = Now - Day + 1}, {40, 12}},
        {"outcomes", {.outcomes = {HistoryOutcome::Failed, HistoryOutcome::Dropped}}, {40, 7}},
        {"all together",
         {.sinceMs = Now - 4 * Day,
          .recipient = 12,
          .search = QStringLiteral("ready"),
          .outcomes = {HistoryOutcome::Confirmed}},
         {12}},
    };
    PageHistoryReader reader;
    ASSERT_FALSE(reader.open(path()));
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        EXPECT_EQ(recipients(reader.rows(c.filter, {HistoryColumn::Queued, true}, 0, 100)),
                  c.expected);
        EXPECT_EQ(reader.count(c.filter), c.expected.size());
    }

    // Newest first unless asked otherwise; a page of rows starts where it is told.
    EXPECT_EQ(recipients(reader.rows({}, {}, 2, 2)), (QList<uint32_t>{12, 40}));
    EXPECT_EQ(recipients(reader.rows({}, {HistoryColumn::Recipient, true}, 0, 10)),
              (QList<uint32_t>{7, 12, 12, 40, 90}));
    EXPECT_EQ(recipients(reader.rows({}, {HistoryColumn::Outcome, false}, 0, 10)),
              (QList<uint32_t>{7, 12, 40, 90, 12}));
    QList<uint32_t> visited;
    EXPECT_TRUE(reader.forEach({}, {}, [&visited](const PageHistoryEntry& e) {
        visited << e.recipient;
        return visited.size() < 3;
    }));
    EXPECT_EQ(visited, (QList<uint32_t>{90, 7, 12}));
}

TEST_F(PageHistoryTest, ReadingChangesNothingOnDisk)
{
    PageHistoryReader missing;
    EXPECT_FALSE(missing.open(path())) << "a history not begun reads as empty";
    EXPECT_EQ(missing.count({}), 0);
    EXPECT_TRUE(folderState().isEmpty());

    writeRows({entry(12, QStringLiteral("one"), Now)});
    const QStringList before = folderState();
    ASSERT_EQ(before.size(), 1) << "the writer leaves no journal once it is gone";
    QThread::msleep(20); // a file touched now would show another modification time
    PageHistoryReader reader;
    ASSERT_FALSE(reader.open(path()));
    EXPECT_EQ(reader.rows({.search = QStringLiteral("one")}, {}, 0, 10).size(), 1);
    EXPECT_EQ(reader.count({}), 1);
    EXPECT_EQ(folderState(), before);
}

TEST_F(PageHistoryTest, TwoWritersAtOnceLoseNothing)
{
    constexpr int PerWriter = 3000;
    QStringList problems;
    {
        PageHistory first(path());
        PageHistory second(path());
        for (PageHistory* history : {&first, &second})
            QObject::connect(history, &PageHistory::problem,
                             [&problems](const QString& message) { problems << message; });
        for (int i = 0; i < PerWriter; ++i) {
            first.record(entry(1, QStringLiteral("first %1").arg(i), Now + i));
            second.record(entry(2, QStringLiteral("second %1").arg(i), Now + i));
            if (i % 500 == 0)
                QThread::msleep(5); // several transactions each, interleaved
        }
        EXPECT_TRUE(first.flush(20000));
        EXPECT_TRUE(second.flush(20000));
    }
    QCoreApplication::processEvents();
    EXPECT_TRUE(problems.isEmpty()) << problems.join(u'\n').toStdString();
    PageHistoryReader reader;
    ASSERT_FALSE(reader.open(path()));
    EXPECT_EQ(reader.count({.recipient = 1}), PerWriter);
    EXPECT_EQ(reader.count({.recipient = 2}), PerWriter);
}

TEST_F(PageHistoryTest, ADamagedFileIsMovedAsideAndANewOneBegun)
{
    struct Case {
        const char* what;
        std::function<void(const QString&)> damage;
    };
    const QList<Case> cases = {
        {"not a database at all",
         [](const QString& file) {
             filebytes::writeAll(file, QByteArray(9000, 'x'));
         }},
        {"cut short",
         [this](const QString& file) {
             QList<PageHistoryEntry> many;
             for (int i = 0; i < 3000; ++i)
                 many << entry(5, QStringLiteral("row %1 of a long history").arg(i), Now + i);
             writeRows(many);
             QFile f(file);
             ASSERT_TRUE(f.resize(f.size() / 2));
         }},
        {"another program's database",
         [](const QString& file) {
             runSql(file, {QStringLiteral("CREATE TABLE orders (id INTEGER PRIMARY KEY)")});
         }},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        for (const QFileInfo& file : QDir(folder_.path()).entryInfoList(QDir::Files))
            QFile::remove(file.filePath());
        c.damage(path());
        const QByteArray damaged = filebytes::readAll(path());

        QStringList problems;
        {
            PageHistory history(path());
            QObject::connect(&history, &PageHistory::problem,
                             [&problems](const QString& message) { problems << message; });
            history.record(entry(12, QStringLiteral("after the damage"), Now));
            ASSERT_TRUE(history.flush(10000));
        }
        QCoreApplication::processEvents();
        ASSERT_EQ(problems.size(), 1);
        EXPECT_TRUE(problems[0].contains(QStringLiteral("damaged"))) << problems[0].toStdString();
        const QStringList aside =
            QDir(folder_.path()).entryList({QStringLiteral("pages.sqlite.damaged-*")}, QDir::Files);
        ASSERT_EQ(aside.size(), 1) << aside.join(u' ').toStdString();
        EXPECT_TRUE(problems[0].contains(aside[0]));
        EXPECT_EQ(filebytes::readAll(folder_.filePath(aside[0])), damaged) << "kept as it was";
        EXPECT_EQ(recipients(readAll()), (QList<uint32_t>{12}));
    }
}

TEST_F(PageHistoryTest, ASearchFindsTheSameRowsWhetherFewOrManyPagesHoldIt)
{
    // More pages hold "ready" than the index is asked for; two hold "kitchen".
    QList<PageHistoryEntry> pages;
    const int many = PageHistoryReader::IndexedSearchMost + 3;
    for (int i = 0; i < many; ++i)
        pages << entry(static_cast<uint32_t>(i % 900), QStringLiteral("Table %1 is ready").arg(i),
                       Now - Day + i);
    pages << entry(901, QStringLiteral("Kitchen"), Now - 2 * Day)
          << entry(902, QStringLiteral("kitchen ready"), Now);
    writeRows(pages);
    PageHistoryReader reader;
    ASSERT_FALSE(reader.open(path()));
    const HistoryFilter ready{.search = QStringLiteral("READY")};
    const HistoryFilter kitchen{.search = QStringLiteral("KITCHEN")};
    EXPECT_EQ(reader.count(ready), many + 1);
    EXPECT_EQ(reader.countUpTo(ready, 100), 100);
    const auto recipientOf = [](int i) { return static_cast<uint32_t>(i % 900); };
    EXPECT_EQ(recipients(reader.rows(ready, {}, 0, 3)),
              (QList<uint32_t>{902, recipientOf(many - 1), recipientOf(many - 2)}));
    EXPECT_EQ(reader.count(kitchen), 2);
    EXPECT_EQ(reader.countUpTo(kitchen, 100), 2);
    EXPECT_EQ(recipients(reader.rows(kitchen, {}, 0, 3)), (QList<uint32_t>{902, 901}));
    const HistoryFilter readyFor7{.recipient = 7, .search = QStringLiteral("is ready")};
    EXPECT_EQ(reader.count(readyFor7), (many - 1 - 7) / 900 + 1);
}

TEST_F(PageHistoryTest, AFileOfTheFirstSchemaIsMigratedInPlace)
{
    QStringList first = HistorySql::firstSchema();
    first << QStringLiteral("INSERT INTO pages (queued_at, ended_at, source, recipient, name, "
                            "text, outcome, reason) VALUES (%1, %2, 'message-box', 12, "
                            "'Bar', 'from the first release', 0, '')")
                 .arg(Now - Day)
                 .arg(Now - Day + 400);
    runSql(path(), first);

    // Read as it stands, before any writer has touched it.
    QList<PageHistoryEntry> rows = readAll();
    ASSERT_EQ(rows.size(), 1);
    EXPECT_EQ(rows[0].text, QStringLiteral("from the first release"));
    EXPECT_TRUE(rows[0].origin.peer.isEmpty());
    EXPECT_EQ(readAll({.search = QStringLiteral("FIRST")}).size(), 1);

    PageHistoryEntry outside = entry(40, QStringLiteral("from outside"), Now,
                                     HistoryOutcome::Confirmed, PageOrigin::Source::Http);
    outside.origin.peer = QStringLiteral("::1");
    outside.origin.login = QStringLiteral("till");
    writeRows({outside});

    rows = readAll();
    ASSERT_EQ(rows.size(), 2);
    EXPECT_EQ(rows[0].text, QStringLiteral("from the first release"));
    EXPECT_EQ(rows[0].answerMs(), 400);
    EXPECT_EQ(rows[1].origin.login, QStringLiteral("till"));
    EXPECT_EQ(rows[1].origin.peer, QStringLiteral("::1"));
    // The rows of the first release are found through the index the migration built.
    EXPECT_EQ(readAll({.search = QStringLiteral("FIRST")}).size(), 1);
    EXPECT_EQ(readAll({.search = QStringLiteral("outside")}).size(), 1);
    {
        QSqlDatabase db = QSqlDatabase::addDatabase(QStringLiteral("QSQLITE"), "check");
        db.setDatabaseName(path());
        ASSERT_TRUE(db.open());
        QSqlQuery query(db);
        ASSERT_TRUE(query.exec(QStringLiteral("PRAGMA user_version")) && query.next());
        EXPECT_EQ(query.value(0).toInt(), HistorySql::CurrentVersion);
    }
    QSqlDatabase::removeDatabase(QStringLiteral("check"));
}

TEST_F(PageHistoryTest, AHistoryOfANewerVersionIsLeftAlone)
{
    writeRows({entry(12, QStringLiteral("kept"), Now)});
    runSql(path(),
           {QStringLiteral("PRAGMA user_version = %1").arg(HistorySql::CurrentVersion + 1)});
    const QByteArray before = filebytes::readAll(path());

    QStringList problems;
    {
        PageHistory history(path());
        QObject::connect(&history, &PageHistory::problem,
                         [&problems](const QString& message) { problems << message; });
        history.record(entry(40, QStringLiteral("not kept"), Now));
        history.record(entry(41, QStringLiteral("not kept"), Now));
        ASSERT_TRUE(history.flush(10000));
    }
    QCoreApplication::processEvents();
    ASSERT_EQ(problems.size(), 1) << "said once";
    EXPECT_TRUE(problems[0].contains(QStringLiteral("newer version")));
    EXPECT_EQ(filebytes::readAll(path()), before);
    PageHistoryReader reader;
    EXPECT_TRUE(reader.open(path()).value_or(QString()).contains(QStringLiteral("newer")));
}

TEST_F(PageHistoryTest, AFolderThatCannotBeWrittenIsSaidOnceAndRecordingGoesOn)
{
    ASSERT_TRUE(
        QFile::setPermissions(folder_.path(), QFileDevice::ReadOwner | QFileDevice::ExeOwner |
                                                  QFileDevice::ReadOther | QFileDevice::ExeOther));
    const int outcome = runAsUnprivilegedUser([this] {
        QStringList problems;
        {
            PageHistory history(path());
            QObject::connect(&history, &PageHistory::problem,
                             [&problems](const QString& message) { problems << message; });
            for (int i = 0; i < 3; ++i) {
                history.record(entry(12, QStringLiteral("page %1").arg(i), Now));
                if (!history.flush(10000))
                    return 2;
            }
        }
        QCoreApplication::processEvents();
        if (problems.size() != 1 || !problems[0].contains(QStringLiteral("cannot be written"))) {
            std::fprintf(stderr, "problems: %s\n", qPrintable(problems.join(u'|')));
            return 3;
        }
        return QFileInfo::exists(path()) ? 4 : 0;
    });
    QFile::setPermissions(folder_.path(),
                          QFileDevice::ReadOwner | QFileDevice::WriteOwner | QFileDevice::ExeOwner);
    EXPECT_EQ(outcome, 0);
}

TEST_F(PageHistoryTest, AFullDiskIsSaidOnceAndTheRowsFollowOnceThereIsRoom)
{
    // Pages recorded while someone else has filled the disk under the history, then once there
    // is room again: 0 when all went as it should.
    auto fillTheDisk = [](const QString& folder) -> int {
        const QString file = folder + QStringLiteral("/pages.sqlite");
        const QString filler = folder + QStringLiteral("/filler");
        QStringList problems;
        PageHistory history(file);
        QObject::connect(&history, &PageHistory::problem,
                         [&problems](const QString& message) { problems << message; });
        history.record(entry(1, QStringLiteral("before"), Now));
        history.flush(10000);
        {
            // Someone else takes the rest of the disk.
            QFile f(filler);
            f.open(QIODevice::WriteOnly);
            const QByteArray block(4096, 'f');
            while (f.write(block) == block.size()) {
            }
        }
        for (int i = 0; i < 50; ++i)
            history.record(entry(2, QString(150, u'x'), Now + i));
        if (!history.flush(10000))
            return 2;
        QCoreApplication::processEvents();
        if (problems.size() != 1 || !problems[0].contains(QStringLiteral("cannot be written")))
            return 3;
        QFile::remove(filler);
        // The rows kept back go in with the next page.
        history.record(entry(3, QStringLiteral("after"), Now + 100));
        if (!history.flush(10000))
            return 4;
        PageHistoryReader reader;
        if (reader.open(file) || reader.count({.recipient = 2}) != 50 ||
            reader.count({.recipient = 3}) != 1)
            return 5;
        return 0;
    };
    // A small file system of its own, in a mount namespace of a child process.
    const int outcome = runInForkedChild(
        [&fillTheDisk] {
            if (::unshare(CLONE_NEWNS) != 0 && ::unshare(CLONE_NEWUSER | CLONE_NEWNS) != 0)
                return 77;
            ::mount(nullptr, "/", nullptr, MS_REC | MS_PRIVATE, nullptr);
            QTemporaryDir mountPoint;
            if (::mount("tmpfs", mountPoint.path().toLocal8Bit().constData(), "tmpfs", 0,
                        "size=256k") != 0)
                return 77;
            const int result = fillTheDisk(mountPoint.path());
            ::umount2(mountPoint.path().toLocal8Bit().constData(), MNT_DETACH);
            return result;
        },
        60, false);
    if (outcome == 77)
        GTEST_SKIP() << "no mount namespace here for a small file system";
    EXPECT_EQ(outcome, 0);
}

TEST_F(PageHistoryTest, RetentionRemovesOnlyRowsOlderThanItsDays)
{
    QList<PageHistoryEntry> rows;
    for (int i = 0; i < 12000; ++i) // more than one clean-up batch
        rows << entry(1, QStringLiteral("old"), Now - 40 * Day + i);
    rows << entry(2, QStringLiteral("29 days"), Now - 29 * Day)
         << entry(3, QStringLiteral("today"), Now);
    writeRows(rows);

    PageHistory history(path());
    history.setRetentionDays(30);
    PageHistoryReader reader;
    ASSERT_TRUE(serveEventsUntil([&] { return !reader.open(path()) && reader.count({}) == 2; },
                                 QDeadlineTimer(20000)))
        << reader.count({}) << " rows left";
    EXPECT_EQ(recipients(readAll()), (QList<uint32_t>{2, 3}));
}

TEST_F(PageHistoryTest, AFifoOrAFolderInItsPlaceIsNeitherOpenedNorMovedAside)
{
    struct Case {
        const char* what;
        std::function<bool(const QString&)> make;
    };
    const QList<Case> cases = {
        {"FIFO",
         [](const QString& file) {
             return ::mkfifo(QFile::encodeName(file), 0600) == 0;
         }},
        {"folder",
         [](const QString& file) {
             return QDir().mkdir(file);
         }},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        const QString file = folder_.filePath(QString::fromLatin1(c.what));
        ASSERT_TRUE(c.make(file));
        QStringList problems;
        {
            PageHistory history(file);
            QObject::connect(&history, &PageHistory::problem,
                             [&problems](const QString& message) { problems << message; });
            history.record(entry(12, QStringLiteral("x"), Now));
            ASSERT_TRUE(history.flush(5000)) << "no wait on the special file";
        }
        QCoreApplication::processEvents();
        ASSERT_EQ(problems.size(), 1);
        EXPECT_TRUE(problems[0].contains(QStringLiteral("not a regular file")));
        EXPECT_TRUE(QFileInfo::exists(file));
        PageHistoryReader reader;
        EXPECT_TRUE(reader.open(file).value_or(QString()).contains(QStringLiteral("regular")));
    }
}

TEST_F(PageHistoryTest, AnotherProgramsLongWriteIsWaitedForWithoutAWord)
{
    writeRows({entry(1, QStringLiteral("first"), Now)});
    const QString name = QStringLiteral("other program");
    {
        QSqlDatabase other = QSqlDatabase::addDatabase(QStringLiteral("QSQLITE"), name);
        other.setDatabaseName(path());
        ASSERT_TRUE(other.open());
        QSqlQuery lock(other);
        ASSERT_TRUE(lock.exec(QStringLiteral("BEGIN EXCLUSIVE")));
        QStringList problems;
        PageHistory history(path());
        QObject::connect(&history, &PageHistory::problem,
                         [&problems](const QString& message) { problems << message; });
        history.record(entry(2, QStringLiteral("while locked"), Now));
        EXPECT_FALSE(history.flush(1500)) << "written through another program's lock";
        ASSERT_TRUE(lock.exec(QStringLiteral("COMMIT")));
        EXPECT_TRUE(history.flush(10000));
        QCoreApplication::processEvents();
        EXPECT_TRUE(problems.isEmpty()) << problems.join(u'\n').toStdString();
    }
    QSqlDatabase::removeDatabase(name);
    EXPECT_EQ(recipients(readAll()), (QList<uint32_t>{1, 2}));
}
