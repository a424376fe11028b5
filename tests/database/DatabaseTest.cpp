#include "Database.h"

#include <QFile>
#include <QFileInfo>
#include <QTemporaryDir>

#include <gtest/gtest.h>

#include <csignal>
#include <sys/resource.h>
#include <unistd.h>

namespace {

QByteArray readAll(const QString& path)
{
    QFile file(path);
    return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray();
}

void writeAll(const QString& path, const QByteArray& bytes)
{
    QFile file(path);
    ASSERT_TRUE(file.open(QIODevice::WriteOnly));
    file.write(bytes);
}

class DatabaseFileTest : public ::testing::Test {
protected:
    QString path(const char* name) const { return dir_.filePath(QString::fromLatin1(name)); }

    // A valid database file whose image has a pager 42 and a changed start-up label.
    QByteArray validFile()
    {
        Database source;
        source.image().pager(0).setLocalId(42);
        source.image().pager(0).setCapcode(4242);
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

    if (geteuid() == 0)
        GTEST_SKIP() << "root may write to read-only files";
    writeAll(path("ro.dat"), validFile());
    QFile::setPermissions(path("ro.dat"), QFile::ReadOwner);
    EXPECT_EQ(db.readDatabaseFile(path("ro.dat")).status, DatabaseReadResult::Refused);
    EXPECT_FALSE(db.writeDatabaseFile(path("ro.dat")));
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
