#include "Database.h"

#include "../support/FileBytes.h"
#include "../support/SiteBuilder.h"
#include "../support/UnprivilegedUser.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QTemporaryDir>

#include <gtest/gtest.h>

#include <csignal>
#include <functional>
#include <sys/resource.h>
#include <sys/stat.h>
#include <sys/sysmacros.h>
#include <unistd.h>

namespace {

using filebytes::readAll;
using filebytes::writeAll;

class DatabaseFileTest : public ::testing::Test {
protected:
    QString path(const char* name) const { return dir_.filePath(QString::fromLatin1(name)); }

    // The unprivileged part of a test works in the test's folder too.
    void openToEveryone() const { QFile::setPermissions(dir_.path(), QFile::Permissions(0x7777)); }

    // A valid database file whose image has a pager 42 and a changed start-up label.
    QByteArray validFile()
    {
        Database source;
        SiteBuilder(source).pager(42, 4242);
        source.image().setTextAt(ConfigurationImage::startupLabel1, QStringLiteral("Pool bar"));
        const QString file = path("source.dat");
        EXPECT_TRUE(source.writeDatabaseFile(file));
        return readAll(file);
    }

    QTemporaryDir dir_;
};

} // namespace

TEST_F(DatabaseFileTest, WritesVersionByteImageAndChecksum)
{
    Database db;
    db.markModified();
    db.image().settings().setValue(UnitSettings::answerRings, 5);
    ASSERT_TRUE(db.writeDatabaseFile(path("site.dat")));
    EXPECT_FALSE(db.isModified());

    const QByteArray file = readAll(path("site.dat"));
    ASSERT_EQ(file.size(), 7739);
    EXPECT_EQ(static_cast<uint8_t>(file[0]), 5);
    uint32_t sum = 0;
    for (int i = 1; i <= 7736; ++i)
        sum += static_cast<uint8_t>(file[i]);
    EXPECT_EQ(static_cast<uint8_t>(file[7737]), sum & 0xFF);
    EXPECT_EQ(static_cast<uint8_t>(file[7738]), (sum >> 8) & 0xFF);
    EXPECT_EQ(db.image().checksum(), sum & 0xFFFF);
    EXPECT_EQ(static_cast<uint8_t>(file[1 + 7689]), 5);
}

TEST_F(DatabaseFileTest, AcceptsAndRefusesFiles)
{
    const QByteArray good = validFile();
    QByteArray damaged = good;
    damaged[1 + 17] = 'X';
    QByteArray otherVersion = good;
    otherVersion[0] = 4;

    struct Case {
        const char* what;
        QByteArray content;
        DatabaseReadResult::Status expected;
        bool hasPager42;
    };
    const Case cases[] = {
        {"exact file", good, DatabaseReadResult::Read, true},
        {"longer file", good + QByteArray(500, 'z'), DatabaseReadResult::Read, true},
        {"one image byte changed", damaged, DatabaseReadResult::ChecksumMismatch, false},
        {"version byte 4", otherVersion, DatabaseReadResult::Refused, false},
        {"100 bytes", good.left(100), DatabaseReadResult::Refused, false},
        {"one byte short", good.left(7738), DatabaseReadResult::Refused, false},
        {"empty file", QByteArray(), DatabaseReadResult::Refused, false},
    };
    for (const Case& c : cases) {
        const QString file = path("case.dat");
        QFile::remove(file);
        QFile::remove(file + ".damaged");
        writeAll(file, c.content);

        Database db;
        db.image().functionKey(0).setTarget(777); // marks the image as it was before the read
        db.markModified();
        const DatabaseReadResult result = db.readDatabaseFile(file);
        EXPECT_EQ(result.status, c.expected) << c.what;
        EXPECT_EQ(db.image().findPager(42).has_value(), c.hasPager42) << c.what;
        if (c.expected == DatabaseReadResult::Refused) {
            EXPECT_EQ(db.image().functionKey(0).target(), 777) << c.what << ": image must stay";
            EXPECT_TRUE(db.isModified()) << c.what;
        } else {
            EXPECT_FALSE(db.isModified()) << c.what;
        }
        if (c.expected == DatabaseReadResult::ChecksumMismatch) {
            // Default contents, and the damaged file is kept byte for byte.
            EXPECT_EQ(db.image().textAt(ConfigurationImage::startupLabel1),
                      QStringLiteral("BrindlecoSignals"));
            EXPECT_EQ(db.image().functionKey(0).target(), 0xFFFF);
            EXPECT_EQ(result.damagedCopyPath, file + ".damaged");
            EXPECT_EQ(readAll(result.damagedCopyPath), c.content);
        } else {
            EXPECT_TRUE(result.damagedCopyPath.isEmpty()) << c.what;
        }
    }
}

TEST_F(DatabaseFileTest, KeepsEveryDamagedCopy)
{
    QByteArray damaged = validFile();
    damaged[100] = static_cast<char>(damaged[100] + 1);
    const QString file = path("site.dat");
    writeAll(file, damaged);
    writeAll(file + ".damaged", "an earlier copy");

    Database db;
    const DatabaseReadResult result = db.readDatabaseFile(file);
    EXPECT_EQ(result.status, DatabaseReadResult::ChecksumMismatch);
    EXPECT_EQ(result.damagedCopyPath, file + ".damaged.2");
    EXPECT_EQ(readAll(file + ".damaged"), QByteArray("an earlier copy"));
    EXPECT_EQ(readAll(file + ".damaged.2"), damaged);
}

TEST_F(DatabaseFileTest, MissingAndReadOnlyFilesAreRefused)
{
    Database db;
    EXPECT_EQ(db.readDatabaseFile(path("missing.dat")).status, DatabaseReadResult::Refused);
    EXPECT_FALSE(QFileInfo::exists(path("missing.dat")));

    // The console opens a database to change it, so one it may not write is refused; a reading
    // command only looks at it and takes it as it is.
    openToEveryone();
    const QString readOnly = path("ro.dat");
    writeAll(readOnly, validFile());
    QFile::setPermissions(readOnly, QFile::ReadOwner | QFile::ReadGroup | QFile::ReadOther);
    const int outcome = runAsUnprivilegedUser([&] {
        Database reader;
        int failures = 0;
        if (reader.readDatabaseFile(readOnly).status != DatabaseReadResult::Refused)
            failures |= 1;
        if (reader.readDatabaseFile(readOnly, Database::ReadPurpose::Inspect).status !=
                DatabaseReadResult::Read ||
            !reader.image().findPager(42))
            failures |= 2;
        if (reader.writeDatabaseFile(readOnly))
            failures |= 4;
        return failures;
    });
    EXPECT_EQ(outcome, 0) << "1: opened for editing, 2: not read for inspection, 4: saved over";
    EXPECT_EQ(readAll(readOnly), validFile());
}

TEST_F(DatabaseFileTest, InspectingCreatesAndChangesNoFile)
{
    QByteArray damaged = validFile();
    damaged[1 + 300] = static_cast<char>(damaged[1 + 300] ^ 0x10);
    const QString file = path("site.dat");
    writeAll(file, damaged);
    const QStringList before = QDir(dir_.path()).entryList(QDir::AllEntries | QDir::Hidden);

    Database db;
    db.names().setName(5, QStringLiteral("Old"));
    const DatabaseReadResult result = db.readDatabaseFile(file, Database::ReadPurpose::Inspect);
    db.readNamesFile(file, Database::ReadPurpose::Inspect);

    EXPECT_EQ(result.status, DatabaseReadResult::ChecksumMismatch);
    EXPECT_TRUE(result.damagedCopyPath.isEmpty());
    EXPECT_EQ(QDir(dir_.path()).entryList(QDir::AllEntries | QDir::Hidden), before);
    EXPECT_EQ(readAll(file), damaged);
    EXPECT_EQ(db.names().name(5), QStringLiteral("Old"));
}

TEST_F(DatabaseFileTest, SomethingElseThanAFileIsNotReadAndNothingWaitsForIt)
{
    // Reading a FIFO waits for a writer that never comes; a device may never end.
    const QString fifo = path("pipe.dat");
    ASSERT_EQ(::mkfifo(QFile::encodeName(fifo).constData(), 0666), 0);
    const QString withFifoNames = path("site.dat");
    writeAll(withFifoNames, validFile());
    ASSERT_EQ(::mkfifo(QFile::encodeName(withFifoNames + ".nam").constData(), 0666), 0);

    const int outcome = runInForkedChild(
        [&] {
            int failures = 0;
            for (const auto purpose :
                 {Database::ReadPurpose::Edit, Database::ReadPurpose::Inspect}) {
                Database db;
                if (db.readDatabaseFile(fifo, purpose).status != DatabaseReadResult::Refused)
                    failures |= 1;
                if (db.readDatabaseFile(withFifoNames, purpose).status != DatabaseReadResult::Read)
                    failures |= 2;
                db.readNamesFile(withFifoNames, purpose);
                if (db.names().size() != 0)
                    failures |= 4;
            }
            return failures;
        },
        10, false);
    EXPECT_EQ(outcome, 0) << "1: FIFO read as a database, 2: database refused, 4: names read, "
                             "124: a read waited";
    struct stat st {};
    ASSERT_EQ(::lstat(QFile::encodeName(withFifoNames + ".nam").constData(), &st), 0);
    EXPECT_TRUE(S_ISFIFO(st.st_mode));
}

TEST_F(DatabaseFileTest, OnlyARegularFileIsSavedOver)
{
    const bool root = geteuid() == 0;
    struct Case {
        const char* what;
        std::function<bool(const QString&)> make; // false: the case cannot be built here
        bool saved;
        bool unprivileged;
    };
    const auto fifo = [](const QString& at) {
        return ::mkfifo(QFile::encodeName(at).constData(), 0666) == 0;
    };
    const Case cases[] = {
        {"FIFO", fifo, false, false},
        {"device node",
         [](const QString& at) {
             return ::mknod(QFile::encodeName(at).constData(), S_IFCHR | 0666, makedev(1, 3)) == 0;
         },
         false, false},
        {"directory", [](const QString& at) { return QDir().mkdir(at); }, false, false},
        {"link to a FIFO",
         [&](const QString& at) { return fifo(at + ".fifo") && QFile::link(at + ".fifo", at); },
         false, false},
        {"link to a link to a FIFO",
         [&](const QString& at) {
             return fifo(at + ".fifo") && QFile::link(at + ".fifo", at + ".link") &&
                    QFile::link(at + ".link", at);
         },
         false, false},
        {"read-only file",
         [](const QString& at) {
             writeAll(at, "previous");
             return QFile::setPermissions(at, QFile::ReadOwner | QFile::ReadOther);
         },
         false, true},
        {"regular file",
         [](const QString& at) {
             writeAll(at, "previous");
             return true;
         },
         true, false},
        {"nothing yet", [](const QString&) { return true; }, true, false},
    };
    openToEveryone();
    int n = 0;
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        const QString folder = path("kind") + QString::number(++n);
        ASSERT_TRUE(QDir().mkdir(folder));
        QFile::setPermissions(folder, QFile::Permissions(0x7777));
        const QString target = folder + QStringLiteral("/site.dat");
        if (!c.make(target)) {
            ASSERT_FALSE(root) << "could not build the case";
            continue; // device nodes need root
        }
        struct stat before {};
        ::lstat(QFile::encodeName(target).constData(), &before);
        const QStringList listing = QDir(folder).entryList(QDir::AllEntries | QDir::Hidden);

        QString error;
        const auto save = [&] {
            Database db;
            return db.writeDatabaseFile(target, &error) ? 1 : 0;
        };
        const bool saved = c.unprivileged ? runAsUnprivilegedUser(save) == 1 : save() == 1;
        EXPECT_EQ(saved, c.saved);
        if (!c.saved) {
            if (!c.unprivileged) {
                EXPECT_FALSE(error.isEmpty());
            }
            struct stat after {};
            ASSERT_EQ(::lstat(QFile::encodeName(target).constData(), &after), 0);
            EXPECT_EQ(after.st_mode, before.st_mode);
            EXPECT_EQ(after.st_ino, before.st_ino);
            EXPECT_EQ(after.st_rdev, before.st_rdev);
            EXPECT_EQ(QDir(folder).entryList(QDir::AllEntries | QDir::Hidden), listing);
        } else {
            EXPECT_EQ(readAll(target).size(), Database::FileSize);
        }
    }
}

TEST_F(DatabaseFileTest, AStaleTemporaryFileOfThatDatabaseIsRemovedAtTheNextSave)
{
    const QString file = path("site.dat");
    // What a save killed half way leaves behind, and names that only look alike.
    const QStringList stale{QStringLiteral(".site.dat.saving-a1B2c3")};
    const QStringList others{
        QStringLiteral(".site.dat.saving-a1B2c34"),    QStringLiteral(".other.dat.saving-a1B2c3"),
        QStringLiteral(".site.dat.nam.saving-a1B2c3"), QStringLiteral("site.dat.backup"),
        QStringLiteral(".site.dat.saving-"),           QStringLiteral("x.site.dat.saving-a1B2c3")};
    for (const QString& name : stale + others)
        writeAll(dir_.filePath(name), "half a database");

    Database db;
    ASSERT_TRUE(db.writeDatabaseFile(file));

    for (const QString& name : stale)
        EXPECT_FALSE(QFileInfo::exists(dir_.filePath(name))) << name.toStdString();
    for (const QString& name : others)
        EXPECT_EQ(readAll(dir_.filePath(name)), "half a database") << name.toStdString();
    QStringList left = QDir(dir_.path()).entryList(QDir::Files | QDir::Hidden);
    left.removeOne(QStringLiteral("site.dat"));
    EXPECT_EQ(left.size(), others.size()) << left.join(u' ').toStdString();
}

TEST_F(DatabaseFileTest, FailedSaveLeavesThePreviousDatabaseIntact)
{
    const QString file = path("site.dat");
    const QByteArray previous = validFile();
    writeAll(file, previous);

    Database db;
    db.markModified();
    QString error;
    EXPECT_FALSE(db.writeDatabaseFile(path("no-such-folder/site.dat"), &error));
    EXPECT_FALSE(error.isEmpty());

    // A file-size limit makes the write fail part way, as a full disk would.
    struct rlimit saved {};
    ASSERT_EQ(getrlimit(RLIMIT_FSIZE, &saved), 0);
    const auto oldHandler = std::signal(SIGXFSZ, SIG_IGN);
    struct rlimit small = saved;
    small.rlim_cur = 1000;
    ASSERT_EQ(setrlimit(RLIMIT_FSIZE, &small), 0);
    error.clear();
    const bool written = db.writeDatabaseFile(file, &error);
    setrlimit(RLIMIT_FSIZE, &saved);
    std::signal(SIGXFSZ, oldHandler);

    EXPECT_FALSE(written);
    EXPECT_FALSE(error.isEmpty());
    EXPECT_TRUE(db.isModified());
    EXPECT_EQ(readAll(file), previous);
}

TEST_F(DatabaseFileTest, NamesFileBesideTheDatabase)
{
    const QString file = path("x.dat");
    Database db;
    db.names().setName(42, QStringLiteral("Kitchen"));

    // No names file yet: an empty one is created, the table keeps its names.
    db.readNamesFile(file);
    EXPECT_EQ(readAll(file + ".nam"), QByteArray());
    EXPECT_TRUE(QFileInfo::exists(file + ".nam"));
    EXPECT_EQ(db.names().name(42), QStringLiteral("Kitchen"));

    ASSERT_TRUE(db.writeNamesFile(file));
    Database other;
    other.names().setName(7, QStringLiteral("Terrace"));
    other.readNamesFile(file);
    EXPECT_EQ(other.names().name(42), QStringLiteral("Kitchen"));
    EXPECT_EQ(other.names().name(7), QStringLiteral("Terrace"));
}

TEST(DatabasePaths, DefaultAndNamesPaths)
{
    EXPECT_EQ(Database::defaultDatabasePath(QStringLiteral("/srv/venue")),
              QStringLiteral("/srv/venue/tavoluxDB.dat"));
    EXPECT_EQ(Database::namesFilePath(QStringLiteral("/a/site.dat")),
              QStringLiteral("/a/site.dat.nam"));
}

TEST_F(DatabaseFileTest, SavingThroughALinkReplacesTheFileItPointsAt)
{
    const QString real = path("real.dat");
    const QString link = path("link.dat");
    ASSERT_TRUE(QFile::link(real, link)); // dangling until the first save
    Database db;
    ASSERT_TRUE(db.writeDatabaseFile(link));
    ASSERT_TRUE(db.writeDatabaseFile(link));
    EXPECT_TRUE(QFileInfo(link).isSymLink());
    EXPECT_EQ(readAll(real).size(), 7739);
}
