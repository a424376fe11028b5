#include "DatabaseCommands.h"
#include "../support/FileBytes.h"
#include "FileDialog.h"
#include "MainWindow.h"
#include "MessageBox.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QSignalSpy>
#include <QTemporaryDir>
#include <QTemporaryFile>
#include <QWidget>

#include <gtest/gtest.h>

#include <cstdio>
#include <sys/stat.h>
#include <unistd.h>

namespace {

using filebytes::readAll;
using filebytes::writeAll;

const QString SaveQuestion = QStringLiteral("Do You wish to save your current database?");

class DatabaseCommandsTest : public ::testing::Test {
protected:
    void SetUp() override { commands_.setCurrentPath(path("current.dat")); }

    QString path(const char* name) const { return dir_.filePath(QString::fromLatin1(name)); }

    // A database file on disk with pager 42 in it.
    QString fileWithPager42(const char* name)
    {
        Database other;
        other.image().pager(0).setLocalId(42);
        other.image().pager(0).setCapcode(500);
        other.names().setName(42, QStringLiteral("Kitchen"));
        EXPECT_TRUE(other.writeDatabaseFile(path(name)));
        EXPECT_TRUE(other.writeNamesFile(path(name)));
        return path(name);
    }

    int questionsAsked() const
    {
        int n = 0;
        for (const auto& box : MessageBox::shown())
            n += box.text == SaveQuestion;
        return n;
    }

    QTemporaryDir dir_;
    Database database_;
    QWidget window_;
    DatabaseCommands commands_{database_, &window_};
};

} // namespace

TEST_F(DatabaseCommandsTest, SaveQuestionAnswers)
{
    struct Case {
        const char* what;
        bool modified;
        QMessageBox::StandardButton answer;
        bool goesOn;
        bool fileWritten;
        bool stillModified;
    };
    const Case cases[] = {
        {"nothing changed", false, QMessageBox::Yes, true, false, false},
        {"Yes saves", true, QMessageBox::Yes, true, true, false},
        {"No discards", true, QMessageBox::No, true, false, false},
        {"Cancel stops the operation", true, QMessageBox::Cancel, false, false, true},
    };
    for (const Case& c : cases) {
        MessageBox::resetScript();
        QFile::remove(path("current.dat"));
        QFile::remove(path("current.dat.nam"));
        database_.clearModified();
        if (c.modified)
            database_.markModified();
        database_.names().setName(3, QStringLiteral("Bar"));
        MessageBox::setNextAnswer(c.answer);

        EXPECT_EQ(commands_.promptSaveChanges(), c.goesOn) << c.what;
        EXPECT_EQ(questionsAsked(), c.modified ? 1 : 0) << c.what;
        if (c.modified) {
            EXPECT_EQ(MessageBox::shown().first().buttons,
                      QMessageBox::Yes | QMessageBox::No | QMessageBox::Cancel);
        }
        EXPECT_EQ(QFileInfo::exists(path("current.dat")), c.fileWritten) << c.what;
        // The names travel with the database, so a renamed pager is not lost at exit.
        EXPECT_EQ(QFileInfo::exists(path("current.dat.nam")), c.fileWritten) << c.what;
        EXPECT_EQ(database_.isModified(), c.stillModified) << c.what;
    }
}

TEST_F(DatabaseCommandsTest, AFailedSaveStopsTheOperationAndSaysWhy)
{
    commands_.setCurrentPath(path("no-such-folder/site.dat"));
    database_.markModified();
    MessageBox::setNextAnswer(QMessageBox::Yes);

    EXPECT_FALSE(commands_.promptSaveChanges());
    EXPECT_TRUE(database_.isModified());
    ASSERT_EQ(MessageBox::shown().size(), 2);
    EXPECT_EQ(MessageBox::shown()[1].icon, MessageBox::Icon::Warning);
    EXPECT_TRUE(MessageBox::shown()[1].text.contains(path("no-such-folder/site.dat")));

    MessageBox::resetScript();
    EXPECT_FALSE(commands_.fileSave());
    EXPECT_EQ(MessageBox::shown().size(), 1);
}

TEST_F(DatabaseCommandsTest, OpenReplacesTheDatabaseAndOffersTheUsualFilters)
{
    const QString file = fileWithPager42("site.dat");
    QSignalSpy replaced(&commands_, &DatabaseCommands::databaseReplaced);
    database_.names().setName(7, QStringLiteral("Terrace"));
    FileDialog::setNextFileName(file);

    commands_.fileOpen();

    EXPECT_EQ(commands_.currentPath(), file);
    EXPECT_TRUE(database_.image().findPager(42));
    EXPECT_EQ(database_.names().name(42), QStringLiteral("Kitchen"));
    // The names of the database used before belong to its local IDs, not to this one's.
    EXPECT_FALSE(database_.names().contains(7));
    EXPECT_EQ(replaced.count(), 1);
    EXPECT_TRUE(MessageBox::shown().isEmpty());

    ASSERT_EQ(FileDialog::requests().size(), 1);
    const FileDialog::Request& asked = FileDialog::requests().first();
    EXPECT_EQ(asked.mode, FileDialog::Mode::OpenExisting);
    EXPECT_EQ(asked.filters,
              (QStringList{QStringLiteral("All (*)"), QStringLiteral("Tavolux (*.dat)")}));
    EXPECT_EQ(asked.defaultSuffix, QStringLiteral("dat"));
}

TEST_F(DatabaseCommandsTest, OpenAsksOnlyAfterRealChangesAndCancelKeepsEverything)
{
    const QString file = fileWithPager42("site.dat");

    // Storing a pager record alone does not count as unsaved work for the question...
    database_.image().pager(1).setLocalId(9);
    FileDialog::setNextFileName(file);
    commands_.fileOpen();
    EXPECT_EQ(questionsAsked(), 0);
    EXPECT_EQ(commands_.currentPath(), file);

    // ...an editor's committed change does, and Cancel leaves the database and the path alone.
    commands_.setCurrentPath(path("current.dat"));
    database_.image().pager(0).setLocalId(77);
    database_.markModified();
    MessageBox::setNextAnswer(QMessageBox::Cancel);
    FileDialog::setNextFileName(file);
    commands_.fileOpen();
    EXPECT_EQ(questionsAsked(), 1);
    EXPECT_EQ(commands_.currentPath(), path("current.dat"));
    EXPECT_TRUE(database_.image().findPager(77));
    EXPECT_TRUE(database_.isModified());
}

TEST_F(DatabaseCommandsTest, RefusedAndDamagedFilesOnOpen)
{
    const QString good = fileWithPager42("good.dat");
    QByteArray bytes = readAll(good);

    QByteArray oldVersion = bytes;
    oldVersion[0] = 4;
    QFile refused(path("v4.dat"));
    ASSERT_TRUE(refused.open(QIODevice::WriteOnly));
    refused.write(oldVersion);
    refused.close();

    database_.image().functionKey(0).setTarget(5);
    FileDialog::setNextFileName(path("v4.dat"));
    commands_.fileOpen();
    EXPECT_EQ(commands_.currentPath(), path("current.dat"));
    EXPECT_EQ(database_.image().functionKey(0).target(), 5);
    ASSERT_EQ(MessageBox::shown().size(), 1);
    EXPECT_TRUE(MessageBox::shown()[0].text.contains(path("v4.dat")));

    MessageBox::resetScript();
    bytes[1 + 100] = static_cast<char>(bytes[1 + 100] ^ 0x01);
    QFile damaged(path("damaged.dat"));
    ASSERT_TRUE(damaged.open(QIODevice::WriteOnly));
    damaged.write(bytes);
    damaged.close();

    FileDialog::setNextFileName(path("damaged.dat"));
    commands_.fileOpen();
    EXPECT_EQ(commands_.currentPath(), path("damaged.dat"));
    EXPECT_FALSE(database_.image().findPager(42));
    ASSERT_EQ(MessageBox::shown().size(), 1);
    EXPECT_EQ(MessageBox::shown()[0].icon, MessageBox::Icon::Warning);
    EXPECT_TRUE(MessageBox::shown()[0].text.contains(path("damaged.dat.damaged")));
    EXPECT_EQ(readAll(path("damaged.dat.damaged")), bytes);
}

TEST_F(DatabaseCommandsTest, NewReplacesAnExistingFileWithDefaults)
{
    const QString file = fileWithPager42("site.dat");
    database_.image().pager(3).setLocalId(300);
    database_.names().setName(300, QStringLiteral("Lobby"));
    FileDialog::setNextFileName(file);

    commands_.fileNew();

    EXPECT_EQ(commands_.currentPath(), file);
    EXPECT_EQ(database_.image().countPagers(), 0);
    EXPECT_EQ(database_.names().size(), 0);
    Database reread;
    EXPECT_EQ(reread.readDatabaseFile(file).status, DatabaseReadResult::Read);
    EXPECT_EQ(reread.image().bytes(), database_.image().bytes());
    EXPECT_EQ(FileDialog::requests().first().mode, FileDialog::Mode::Create);
    // The old database's names go with it: reopened, the new pagers get none of them.
    reread.readNamesFile(file, Database::ReadPurpose::Inspect);
    EXPECT_EQ(reread.names().size(), 0);
    EXPECT_TRUE(QFileInfo(file + QStringLiteral(".nam")).isFile());

    // Cancelling the dialog changes nothing.
    database_.image().pager(3).setLocalId(301);
    commands_.fileNew();
    EXPECT_TRUE(database_.image().findPager(301));
}

TEST_F(DatabaseCommandsTest, OpenAfterAnotherDatabaseSavesOnlyItsOwnNames)
{
    const QString first = fileWithPager42("first.dat");
    Database second;
    second.image().pager(0).setLocalId(7);
    second.names().setName(7, QStringLiteral("Terrace"));
    ASSERT_TRUE(second.writeDatabaseFile(path("second.dat")));
    ASSERT_TRUE(second.writeNamesFile(path("second.dat")));

    FileDialog::setNextFileName(first);
    commands_.fileOpen();
    FileDialog::setNextFileName(path("second.dat"));
    commands_.fileOpen();
    ASSERT_TRUE(commands_.fileSave());

    Database reread;
    reread.readNamesFile(path("second.dat"));
    EXPECT_EQ(reread.names().entries(),
              (QMap<QString, QString>{{QStringLiteral("7"), QStringLiteral("Terrace")}}));
}

TEST_F(DatabaseCommandsTest, ASaveOverSomethingElseThanAFileIsRefusedAndSaid)
{
    const QString fifo = path("pipe.dat");
    ASSERT_EQ(::mkfifo(QFile::encodeName(fifo).constData(), 0666), 0);
    database_.markModified();

    FileDialog::setNextFileName(fifo);
    EXPECT_FALSE(commands_.fileSaveAs());

    EXPECT_EQ(commands_.currentPath(), path("current.dat"));
    EXPECT_TRUE(database_.isModified());
    ASSERT_EQ(MessageBox::shown().size(), 1);
    EXPECT_EQ(MessageBox::shown()[0].icon, MessageBox::Icon::Warning);
    EXPECT_TRUE(MessageBox::shown()[0].text.contains(fifo));
    EXPECT_TRUE(MessageBox::shown()[0].text.contains(QStringLiteral("not a regular file")))
        << MessageBox::shown()[0].text.toStdString();
    struct stat after {};
    ASSERT_EQ(::lstat(QFile::encodeName(fifo).constData(), &after), 0);
    EXPECT_TRUE(S_ISFIFO(after.st_mode));
    EXPECT_EQ(QDir(dir_.path()).entryList(QDir::Files | QDir::System | QDir::Hidden),
              QStringList{QStringLiteral("pipe.dat")});
}

TEST_F(DatabaseCommandsTest, SaveAsMovesToTheNewPathOnlyWhenWritten)
{
    database_.names().setName(12, QStringLiteral("Patio"));
    EXPECT_FALSE(commands_.fileSaveAs()); // cancelled
    EXPECT_EQ(FileDialog::requests().first().initialPath, path("current.dat"));
    EXPECT_EQ(FileDialog::requests().first().mode, FileDialog::Mode::Save);
    EXPECT_EQ(commands_.currentPath(), path("current.dat"));

    FileDialog::setNextFileName(path("no-such-folder/x.dat"));
    EXPECT_FALSE(commands_.fileSaveAs());
    EXPECT_EQ(commands_.currentPath(), path("current.dat"));

    FileDialog::setNextFileName(path("copy.dat"));
    EXPECT_TRUE(commands_.fileSaveAs());
    EXPECT_EQ(commands_.currentPath(), path("copy.dat"));
    EXPECT_EQ(readAll(path("copy.dat")).size(), 7739);
    Database reread;
    reread.readNamesFile(path("copy.dat"));
    EXPECT_EQ(reread.names().name(12), QStringLiteral("Patio"));
}

TEST_F(DatabaseCommandsTest, MainWindowClosesThroughTheSaveQuestion)
{
    MainWindow window(database_);
    window.setDatabasePath(path("current.dat"));
    window.show();
    database_.markModified();

    MessageBox::setNextAnswer(QMessageBox::Cancel);
    EXPECT_FALSE(window.close());
    EXPECT_TRUE(window.isVisible());

    MessageBox::setNextAnswer(QMessageBox::No);
    EXPECT_TRUE(window.close());
    EXPECT_EQ(questionsAsked(), 2);
    EXPECT_FALSE(QFileInfo::exists(path("current.dat")));
}

TEST_F(DatabaseCommandsTest, RecoveredChangesAreOfferedAtTheNextStart)
{
    const QString site = fileWithPager42("site.dat");
    const QString recovery = site + QStringLiteral(".recovered");
    {
        // What an unattended leave kept: the database with pager 9 "Lobby" added.
        Database unsaved;
        ASSERT_EQ(unsaved.readDatabaseFile(site).status, DatabaseReadResult::Read);
        unsaved.readNamesFile(site);
        unsaved.image().pager(1).setLocalId(9);
        unsaved.names().setName(9, QStringLiteral("Lobby"));
        unsaved.markModified();
        QWidget window;
        DatabaseCommands leaving(unsaved, &window);
        leaving.setCurrentPath(site);
        ASSERT_TRUE(leaving.keepRecoveryCopy());
    }
    const QByteArray siteBytes = readAll(site);

    struct Case {
        const char* what;
        QMessageBox::StandardButton answer;
        bool opened;
    };
    const Case cases[] = {{"No", QMessageBox::No, false}, {"Yes", QMessageBox::Yes, true}};
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        MessageBox::resetScript();
        Database database;
        ASSERT_EQ(database.readDatabaseFile(site).status, DatabaseReadResult::Read);
        database.readNamesFile(site);
        QWidget window;
        DatabaseCommands commands(database, &window);
        commands.setCurrentPath(site);
        QSignalSpy replaced(&commands, &DatabaseCommands::databaseReplaced);

        MessageBox::setNextAnswer(c.answer);
        commands.offerRecovery();

        ASSERT_EQ(MessageBox::shown().size(), 1);
        EXPECT_TRUE(MessageBox::shown()[0].text.contains(recovery));
        EXPECT_EQ(commands.currentPath(), site);
        EXPECT_EQ(database.image().findPager(9).has_value(), c.opened);
        EXPECT_EQ(database.names().name(9), c.opened ? QStringLiteral("Lobby") : QString());
        EXPECT_EQ(database.isModified(), c.opened);
        EXPECT_EQ(replaced.count(), c.opened ? 1 : 0);
        // Nothing is lost until the recovered changes are saved over the database.
        EXPECT_TRUE(QFileInfo::exists(recovery));
        EXPECT_TRUE(QFileInfo::exists(recovery + QStringLiteral(".nam")));
        EXPECT_EQ(readAll(site), siteBytes);
        if (c.opened) {
            ASSERT_TRUE(commands.fileSave());
            EXPECT_FALSE(QFileInfo::exists(recovery));
            EXPECT_FALSE(QFileInfo::exists(recovery + QStringLiteral(".nam")));
            Database reread;
            ASSERT_EQ(reread.readDatabaseFile(site).status, DatabaseReadResult::Read);
            EXPECT_TRUE(reread.image().findPager(9));
        }
    }

    // Without recovery files nothing is asked.
    MessageBox::resetScript();
    commands_.setCurrentPath(site);
    commands_.offerRecovery();
    EXPECT_TRUE(MessageBox::shown().isEmpty());
}

// The recovery is kept as a pair or not at all: the next start never offers changes without
// their names, and the message names the file that could not be written.
TEST_F(DatabaseCommandsTest, RecoveryFilesAreKeptAsAPairOrNotAtAll)
{
    struct Case {
        const char* what;
        const char* blocked;   // made a folder, so that it cannot be written
        bool olderRecovery;    // a recovery file from an earlier leave is there already
        const char* leftNamed; // the file the message names
    };
    const Case cases[] = {
        {"names cannot be written", ".recovered.nam", false, ".recovered.nam"},
        {"names cannot be written, an older recovery there", ".recovered.nam", true,
         ".recovered.nam"},
        {"database cannot be written", ".recovered", false, ".recovered"},
    };
    int n = 0;
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        MessageBox::resetScript();
        const QString site = fileWithPager42(qPrintable(QStringLiteral("site%1.dat").arg(++n)));
        const QString recovery = site + QStringLiteral(".recovered");
        if (c.olderRecovery) {
            writeAll(recovery, readAll(site));
        }
        ASSERT_TRUE(QDir().mkdir(site + QString::fromLatin1(c.blocked)));
        Database unsaved;
        ASSERT_EQ(unsaved.readDatabaseFile(site).status, DatabaseReadResult::Read);
        unsaved.names().setName(9, QStringLiteral("Lobby"));
        QWidget window;
        DatabaseCommands leaving(unsaved, &window);
        leaving.setCurrentPath(site);

        QTemporaryFile said;
        ASSERT_TRUE(said.open());
        std::fflush(stderr);
        const int savedStderr = ::dup(STDERR_FILENO);
        ::dup2(said.handle(), STDERR_FILENO);
        const bool kept = leaving.keepRecoveryCopy();
        std::fflush(stderr);
        ::dup2(savedStderr, STDERR_FILENO);
        ::close(savedStderr);
        EXPECT_FALSE(kept);
        const QByteArray message = readAll(said.fileName());
        EXPECT_TRUE(
            message.contains(QFile::encodeName(site + QString::fromLatin1(c.leftNamed)) + ": "))
            << message.constData();

        // Of the pair, only what was in the way is left, and the next start offers nothing.
        const QString unblocked = QString::fromLatin1(c.blocked) == u".recovered"
                                      ? recovery + QStringLiteral(".nam")
                                      : recovery;
        EXPECT_FALSE(QFileInfo(unblocked).isFile());
        DatabaseCommands starting(database_, &window);
        starting.setCurrentPath(site);
        starting.offerRecovery();
        EXPECT_TRUE(MessageBox::shown().isEmpty());
    }

    // A recovery file alone (left by an earlier version) is not offered either.
    MessageBox::resetScript();
    const QString site = fileWithPager42("alone.dat");
    writeAll(site + QStringLiteral(".recovered"), readAll(site));
    commands_.setCurrentPath(site);
    commands_.offerRecovery();
    EXPECT_TRUE(MessageBox::shown().isEmpty());
}

TEST_F(DatabaseCommandsTest, LeavingUnattendedAsksNothingAndKeepsOnlyRealChanges)
{
    for (const bool modified : {false, true}) {
        SCOPED_TRACE(modified ? "unsaved changes" : "nothing changed");
        MessageBox::resetScript();
        const QString site = fileWithPager42(modified ? "changed.dat" : "unchanged.dat");
        const QByteArray siteBytes = readAll(site);
        Database database;
        ASSERT_EQ(database.readDatabaseFile(site).status, DatabaseReadResult::Read);
        MainWindow window(database);
        window.setDatabasePath(site);
        window.show();
        if (modified) {
            database.image().pager(1).setLocalId(9);
            database.markModified();
        }

        window.leaveUnattended();

        EXPECT_FALSE(window.isVisible());
        EXPECT_TRUE(MessageBox::shown().isEmpty());
        EXPECT_EQ(readAll(site), siteBytes);
        EXPECT_EQ(QFileInfo::exists(site + QStringLiteral(".recovered")), modified);
        if (modified) {
            Database recovered;
            ASSERT_EQ(recovered.readDatabaseFile(site + QStringLiteral(".recovered")).status,
                      DatabaseReadResult::Read);
            EXPECT_TRUE(recovered.image().findPager(9));
        }
    }
}
