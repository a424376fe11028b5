#include "Database.h"
#include "DatabaseCommands.h"
#include "FileDialog.h"
#include "MainWindow.h"
#include "MessageBox.h"
#include "SettingsStore.h"
#include "TavoluxApp.h"

#include "../support/ChildProcess.h"
#include "../support/FileBytes.h"
#include "../support/SimulatedUnit.h"
#include "../support/UnprivilegedUser.h"

#include <QApplication>
#include <QDateTime>
#include <QDir>
#include <QSettings>
#include <QTemporaryDir>
#include <QTest>
#include <QTimeZone>

#include <gtest/gtest.h>

#include <csignal>
#include <sys/stat.h>
#include <sys/wait.h>

TEST(LocalTimeOffset, CountsWholeHoursOnly)
{
    struct Case {
        const char* what;
        QTime utc;
        int zoneSeconds;
        int expected;
    };
    const Case cases[] = {
        {"UTC+10 at 05:00 UTC", QTime(5, 0), 36000, 36000},
        {"UTC+10 at 20:00 UTC: next day locally", QTime(20, 0), 36000, -50400},
        {"UTC-5 at 02:00 UTC: previous day locally", QTime(2, 0), -18000, 68400},
        {"UTC+5:30 drops the half hour", QTime(10, 0), 19800, 18000},
        {"UTC+5:30 at 10:45 crosses an hour", QTime(10, 45), 19800, 21600},
        {"UTC", QTime(12, 0), 0, 0},
    };
    for (const Case& c : cases) {
        const QDateTime utcNow(QDate(2026, 12, 10), c.utc, Qt::UTC);
        EXPECT_EQ(TavoluxApp::computeLocalTimeOffset(utcNow, QTimeZone(c.zoneSeconds)), c.expected)
            << c.what;
    }
}

class StartupDatabaseTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        QSettings().clear();
        previous_ = QDir::currentPath();
        QDir::setCurrent(dir_.path());
    }
    void TearDown() override
    {
        QDir::setCurrent(previous_);
        QSettings().clear();
    }

    QTemporaryDir dir_;
    QString previous_;
};

TEST_F(StartupDatabaseTest, WithoutSaveFileTheDefaultPathIsUsedAndRemembered)
{
    Database database;
    database.image().pager(0).setLocalId(5); // start-up begins from a fresh image
    const QString path = TavoluxApp::openLastDatabase(database).path;

    const QString expected = QDir(dir_.path()).filePath(QStringLiteral("tavoluxDB.dat"));
    EXPECT_EQ(path, expected);
    EXPECT_EQ(TavoluxApp::programDirectory(), QDir::currentPath());
    EXPECT_FALSE(database.image().findPager(5));
    EXPECT_FALSE(QFileInfo::exists(expected)); // not written until the user saves
    EXPECT_TRUE(QFileInfo::exists(expected + ".nam"));

    TavoluxApp::rememberDatabase(path);
    EXPECT_EQ(SettingsStore::text(SettingsStore::SaveFile), expected);
}

TEST_F(StartupDatabaseTest, SaveFileNamesTheDatabaseToOpen)
{
    Database saved;
    saved.image().pager(0).setLocalId(42);
    saved.image().pager(0).setCapcode(4200);
    saved.names().setName(42, QStringLiteral("Bar"));
    const QString site = dir_.filePath(QStringLiteral("site.dat"));
    ASSERT_TRUE(saved.writeDatabaseFile(site));
    ASSERT_TRUE(saved.writeNamesFile(site));
    SettingsStore::setText(SettingsStore::SaveFile, site);

    Database database;
    EXPECT_EQ(TavoluxApp::openLastDatabase(database).path, site);
    EXPECT_TRUE(database.image().findPager(42));
    EXPECT_EQ(database.names().name(42), QStringLiteral("Bar"));

    // An empty value falls back to the default path, which is not read.
    SettingsStore::setText(SettingsStore::SaveFile, QString());
    QFile::copy(site, dir_.filePath(QStringLiteral("tavoluxDB.dat")));
    Database fresh;
    EXPECT_EQ(TavoluxApp::openLastDatabase(fresh).path,
              dir_.filePath(QStringLiteral("tavoluxDB.dat")));
    EXPECT_FALSE(fresh.image().findPager(42));
}

TEST_F(StartupDatabaseTest, ADamagedDatabaseIsReportedOnce)
{
    Database saved;
    const QString site = dir_.filePath(QStringLiteral("site.dat"));
    ASSERT_TRUE(saved.writeDatabaseFile(site));
    QFile file(site);
    ASSERT_TRUE(file.open(QIODevice::ReadWrite));
    file.seek(500);
    file.write("garbage");
    file.close();
    SettingsStore::setText(SettingsStore::SaveFile, site);

    Database database;
    EXPECT_EQ(TavoluxApp::openLastDatabase(database).path, site);
    ASSERT_EQ(MessageBox::shown().size(), 1);
    EXPECT_EQ(MessageBox::shown()[0].icon, MessageBox::Icon::Warning);
    EXPECT_TRUE(QFileInfo::exists(site + ".damaged"));
}

// A venue's database that start-up cannot read is said, kept as it is, and not saved over
// unless the user chooses it again: Save and the save question ask for a name first.
TEST_F(StartupDatabaseTest, AnUnreadableDatabaseIsSaidKeptAndNotSavedOver)
{
    Database source;
    source.image().pager(0).setLocalId(42);
    source.image().pager(0).setCapcode(4200);
    const QString sourceFile = dir_.filePath(QStringLiteral("source.dat"));
    ASSERT_TRUE(source.writeDatabaseFile(sourceFile));
    const QByteArray good = filebytes::readAll(sourceFile);
    QByteArray otherVersion = good;
    otherVersion[0] = 4;

    enum Kind { File, ReadOnlyFile, Folder, Fifo };
    struct Case {
        const char* what;
        Kind kind;
        QByteArray content;
        const char* reason; // empty: nothing to say
        bool copied;
    };
    const Case cases[] = {
        {"100 bytes", File, good.left(100), "too short", true},
        {"one byte short", File, good.left(Database::FileSize - 1), "too short", true},
        {"empty", File, QByteArray(), "too short", true},
        {"version byte 4", File, otherVersion, "version byte 4", true},
        {"read-only for its user", ReadOnlyFile, good, "cannot be opened", true},
        {"a folder", Folder, QByteArray(), "not a regular file", false},
        {"a FIFO", Fifo, QByteArray(), "not a regular file", false},
    };
    // Nobody must reach the folders to play the user of the read-only file.
    QFile::setPermissions(dir_.path(), QFile::Permissions(0x7777));
    int caseNumber = 0;
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        // Each case starts in a working folder of its own.
        const QString folder = dir_.filePath(QStringLiteral("case%1").arg(++caseNumber));
        ASSERT_TRUE(QDir().mkdir(folder));
        QFile::setPermissions(folder, QFile::Permissions(0x7777));
        ASSERT_TRUE(QDir::setCurrent(folder));
        const QString site = Database::defaultDatabasePath(folder);
        switch (c.kind) {
        case File:
        case ReadOnlyFile:
            filebytes::writeAll(site, c.content);
            if (c.kind == ReadOnlyFile)
                QFile::setPermissions(site, QFile::ReadOwner | QFile::ReadGroup | QFile::ReadOther);
            break;
        case Folder:
            ASSERT_TRUE(QDir().mkdir(site));
            break;
        case Fifo:
            ASSERT_EQ(::mkfifo(QFile::encodeName(site).constData(), 0666), 0);
            break;
        }
        MessageBox::resetScript();
        FileDialog::resetScript();

        // In a child: a FIFO must not hold the test, and the read-only file needs a user that
        // permissions apply to. Without "SaveFile" start-up takes the working folder's database.
        const int outcome = runInForkedChild(
            [&] {
                int failures = 0;
                Database database;
                const TavoluxApp::StartupDatabase opened = TavoluxApp::openLastDatabase(database);
                if (opened.path != site || !opened.fileUnread)
                    failures |= 1;
                const auto& shown = MessageBox::shown();
                if (shown.size() != 1 || shown[0].icon != MessageBox::Icon::Warning ||
                    !shown[0].text.contains(site) ||
                    !shown[0].text.contains(QLatin1String(c.reason))) {
                    for (const auto& box : shown)
                        std::fprintf(stderr, "said: %s\n", qPrintable(box.text));
                    failures |= 2;
                }
                if (database.image().countPagers() != 0)
                    failures |= 4;
                const QString copy = site + QStringLiteral(".damaged");
                if (QFileInfo::exists(copy) != c.copied ||
                    (c.copied && filebytes::readAll(copy) != c.content))
                    failures |= 8;

                // An edit brings the save question; neither it nor Save writes over the file.
                DatabaseCommands commands(database, nullptr);
                commands.setCurrentPathUnread(opened.path);
                database.image().pager(3).setLocalId(7);
                database.markModified();
                MessageBox::resetScript();
                MessageBox::setNextAnswer(QMessageBox::Yes);
                if (commands.promptSaveChanges() || commands.fileSave())
                    failures |= 16;
                const auto& asked = FileDialog::requests();
                if (asked.size() != 2 || asked[0].mode != FileDialog::Mode::Save ||
                    asked[1].mode != FileDialog::Mode::Save || asked[0].initialPath != site)
                    failures |= 32;
                return failures;
            },
            20, c.kind == ReadOnlyFile && ::geteuid() == 0);
        EXPECT_EQ(outcome, 0) << "1: path or state, 2: the warning, 4: image, 8: the copy kept, "
                                 "16: saved, 32: no name asked for, 124: waited on the file";
        switch (c.kind) {
        case File:
        case ReadOnlyFile:
            EXPECT_EQ(filebytes::readAll(site), c.content);
            break;
        case Folder:
            EXPECT_TRUE(QFileInfo(site).isDir());
            break;
        case Fifo:
            EXPECT_TRUE(QFileInfo::exists(site));
            EXPECT_FALSE(QFileInfo(site).isFile());
            break;
        }
        // Its names are not taken into the defaults, and no names file is made for it.
        EXPECT_FALSE(QFileInfo::exists(site + QStringLiteral(".nam")));
    }

    // A missing database is the first start, not a fault: nothing is said.
    ASSERT_TRUE(QDir::setCurrent(dir_.path()));
    MessageBox::resetScript();
    Database database;
    const TavoluxApp::StartupDatabase opened = TavoluxApp::openLastDatabase(database);
    EXPECT_FALSE(opened.fileUnread);
    EXPECT_TRUE(MessageBox::shown().isEmpty());
}

// Choosing the unread file again in Save As is the user's word: it is saved over, and from then
// on Save writes there without asking.
TEST_F(StartupDatabaseTest, ChoosingTheUnreadFileAgainSavesOverIt)
{
    const QString site = dir_.filePath(QStringLiteral("site.dat"));
    filebytes::writeAll(site, QByteArray(100, 'x'));
    SettingsStore::setText(SettingsStore::SaveFile, site);
    Database database;
    const TavoluxApp::StartupDatabase opened = TavoluxApp::openLastDatabase(database);
    ASSERT_TRUE(opened.fileUnread);
    // Started again without the file mended: the copy kept at the first start serves again.
    ASSERT_TRUE(TavoluxApp::openLastDatabase(database).fileUnread);
    EXPECT_TRUE(QFileInfo::exists(site + QStringLiteral(".damaged")));
    EXPECT_FALSE(QFileInfo::exists(site + QStringLiteral(".damaged.2")));
    ASSERT_EQ(MessageBox::shown().size(), 2);
    EXPECT_TRUE(MessageBox::shown()[1].text.contains(site + QStringLiteral(".damaged")));
    DatabaseCommands commands(database, nullptr);
    commands.setCurrentPathUnread(opened.path);
    FileDialog::resetScript();
    FileDialog::setNextFileName(site);
    ASSERT_TRUE(commands.fileSave());
    Database reread;
    EXPECT_EQ(reread.readDatabaseFile(site).status, DatabaseReadResult::Read);
    EXPECT_TRUE(commands.fileSave());
    EXPECT_EQ(FileDialog::requests().size(), 1);
    FileDialog::resetScript();
}

TEST(StartupWindow, HelpAndBringingToFront)
{
    MessageBox::resetScript();
    Database database;
    MainWindow window(database);
    TavoluxApp::installHelp(&window);
    window.show();
    window.activateWindow();
    ASSERT_TRUE(QTest::qWaitForWindowActive(&window));
    QTest::keyClick(&window, Qt::Key_F1);
    ASSERT_EQ(MessageBox::shown().size(), 1);
    EXPECT_EQ(MessageBox::shown()[0].text,
              QStringLiteral(
                  "Help is provided as separate document.\nPlease check CD or install directory."));
    EXPECT_EQ(MessageBox::shown()[0].icon, MessageBox::Icon::Information);
    MessageBox::resetScript();

    window.showMinimized();
    ASSERT_TRUE(window.isMinimized());
    window.bringToFront();
    EXPECT_FALSE(window.isMinimized());
    EXPECT_TRUE(window.isVisible());
}

namespace {

// Sets environment variables for the children started while it lives (the child's copy of the
// environment takes the first of two same names, so an extra one would not do).
class EnvironmentOverride {
public:
    EnvironmentOverride(const char* name, const QByteArray& value)
        : name_(name)
        , had_(qEnvironmentVariableIsSet(name))
        , previous_(qgetenv(name))
    {
        qputenv(name, value);
    }
    ~EnvironmentOverride()
    {
        if (had_)
            qputenv(name_, previous_);
        else
            qunsetenv(name_);
    }

private:
    const char* name_;
    bool had_;
    QByteArray previous_;
};

QByteArray contentsAndTime(const QString& path)
{
    struct stat st {};
    ::stat(QFile::encodeName(path).constData(), &st);
    QFile file(path);
    const QByteArray bytes = file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray();
    return bytes.toHex() + ' ' + QByteArray::number(static_cast<qint64>(st.st_mtim.tv_sec)) + '.' +
           QByteArray::number(static_cast<qint64>(st.st_mtim.tv_nsec));
}

} // namespace

TEST(LeavingUnattended, ASignalKeepsUnsavedChangesBesideTheDatabase)
{
    // With an earlier recovery waiting, the signal comes while the start-up asks about it.
    const struct {
        const char* what;
        int signalNumber;
        bool recoveryWaiting;
    } cases[] = {{"SIGTERM", SIGTERM, false},
                 {"SIGINT", SIGINT, false},
                 {"SIGHUP", SIGHUP, false},
                 {"SIGTERM during the recovery question", SIGTERM, true}};
    for (const auto& c : cases) {
        SCOPED_TRACE(c.what);
        QTemporaryDir dir;
        const QString site = dir.filePath(QStringLiteral("site.dat"));
        Database saved;
        saved.image().pager(1).setLocalId(7);
        saved.image().pager(1).setCapcode(700);
        saved.names().setName(7, QStringLiteral("Terrace"));
        ASSERT_TRUE(saved.writeDatabaseFile(site));
        ASSERT_TRUE(saved.writeNamesFile(site));
        if (c.recoveryWaiting) {
            ASSERT_TRUE(saved.writeDatabaseFile(site + QStringLiteral(".recovered")));
            ASSERT_TRUE(saved.writeNamesFile(site + QStringLiteral(".recovered")));
        }
        const QByteArray siteBefore = contentsAndTime(site);
        const QByteArray namesBefore = contentsAndTime(site + QStringLiteral(".nam"));

        SimulatedUnit unit;
        ASSERT_TRUE(unit.started());
        const QString config = dir.filePath(QStringLiteral("config"));
        const QString settingsFile = config + QStringLiteral("/Brindleco Signals/tavolux.conf");
        {
            QSettings settings(settingsFile, QSettings::IniFormat);
            settings.setValue(QStringLiteral("Settings/SaveFile"), site);
            settings.setValue(QStringLiteral("Settings/ComPort"), unit.path());
        }
        QTemporaryDir runtime;
        const QString ready = dir.filePath(QStringLiteral("ready"));
        std::unique_ptr<ChildProcess> console;
        {
            EnvironmentOverride configHome("XDG_CONFIG_HOME", QFile::encodeName(config));
            EnvironmentOverride runtimeDir("XDG_RUNTIME_DIR", QFile::encodeName(runtime.path()));
            EnvironmentOverride readyFile("TAVOLUX_TEST_READY", QFile::encodeName(ready));
            console = std::make_unique<ChildProcess>(QStringLiteral(TAVOLUX_CONSOLE_WITH_CHANGES),
                                                     QStringList());
        }
        ASSERT_TRUE(console->started());
        ASSERT_TRUE(QTest::qWaitFor([&] { return QFileInfo(ready).size() > 0; }, 20000));
        QFile readyFile(ready);
        ASSERT_TRUE(readyFile.open(QIODevice::ReadOnly));
        const pid_t pid = readyFile.readAll().toInt();
        ASSERT_GT(pid, 0);

        ASSERT_EQ(::kill(pid, c.signalNumber), 0);
        siginfo_t ended{};
        const bool endedInTime = QTest::qWaitFor(
            [&] {
                ended.si_pid = 0;
                return ::waitid(P_PID, static_cast<id_t>(pid), &ended,
                                WEXITED | WNOHANG | WNOWAIT) == 0 &&
                       ended.si_pid == pid;
            },
            10000);
        if (!endedInTime)
            ::kill(pid, SIGKILL);
        const int exitCode = console->wait();
        ASSERT_TRUE(endedInTime) << console->standardError().constData();
        EXPECT_EQ(exitCode, 0) << console->standardError().constData();

        // The database was not written over; the changes are beside it.
        EXPECT_EQ(contentsAndTime(site), siteBefore);
        EXPECT_EQ(contentsAndTime(site + QStringLiteral(".nam")), namesBefore);
        const QString recovery = site + QStringLiteral(".recovered");
        Database recovered;
        ASSERT_EQ(recovered.readDatabaseFile(recovery).status, DatabaseReadResult::Read);
        EXPECT_TRUE(recovered.image().findPager(42));
        EXPECT_TRUE(recovered.image().findPager(7));
        recovered.readNamesFile(recovery);
        EXPECT_EQ(recovered.names().name(42), QStringLiteral("Kitchen"));
        EXPECT_EQ(recovered.names().name(7), QStringLiteral("Terrace"));

        // Left as Exit leaves: settings stored, the unit told.
        QSettings settings(settingsFile, QSettings::IniFormat);
        EXPECT_EQ(settings.value(QStringLiteral("Settings/SaveFile")).toString(), site);
        EXPECT_EQ(settings.value(QStringLiteral("Settings/WndPos")).toByteArray().size(), 16);
        if (!c.recoveryWaiting) {
            EXPECT_TRUE(unit.waitForEvents(QStringLiteral("disconnect"), 1));
        }
    }
}

TEST(WindowTitles, ReadAsWrittenWithoutTheProgramNameAdded)
{
    // The window system adds the display name to every title once one is set; the console sets
    // none, so the display name is only ever the application name.
    {
        TavoluxApp tavolux(*qobject_cast<QApplication*>(QCoreApplication::instance()));
        QCoreApplication::setApplicationName(QStringLiteral("title-probe"));
        EXPECT_EQ(QGuiApplication::applicationDisplayName(), QStringLiteral("title-probe"));
    }
    QCoreApplication::setApplicationName(QString::fromLatin1(SettingsStore::Application));
}

// The console takes no arguments: help is printed, anything else refused, and neither opens a
// window or writes a setting.
TEST(ConsoleArguments, HelpIsPrintedAndAnythingElseRefusedBeforeAnythingIsTouched)
{
    struct Case {
        QStringList arguments;
        int exitCode;
        const char* out;
        const char* err;
    };
    const Case cases[] = {
        {{"--help"}, 0, "Usage: tavolux", ""},
        {{"-platform", "offscreen", "-h"}, 0, "Usage: tavolux", ""},
        {{"site.dat"}, 1, "", "unexpected argument \"site.dat\""},
        {{"--port", "/dev/ttyS0"}, 1, "", "unexpected argument \"--port\""},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.arguments.join(u' ').toStdString());
        QTemporaryDir dir;
        const QString config = dir.filePath(QStringLiteral("config"));
        ChildProcess console(QStringLiteral(TAVOLUX_CONSOLE), c.arguments,
                             {QStringLiteral("XDG_CONFIG_HOME=") + config,
                              QStringLiteral("XDG_RUNTIME_DIR=") + dir.path()});
        ASSERT_TRUE(console.started());
        EXPECT_EQ(console.wait(20000), c.exitCode) << console.standardError().constData();
        EXPECT_TRUE(console.standardOutput().contains(c.out));
        EXPECT_TRUE(console.standardError().contains(c.err)) << console.standardError().constData();
        EXPECT_FALSE(QFileInfo::exists(config));
    }
}
