#include "Database.h"
#include "MainWindow.h"
#include "MessageBox.h"
#include "SettingsStore.h"
#include "TavoluxApp.h"

#include "../unit/ChildProcess.h"
#include "../unit/SimulatedUnit.h"

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
        MessageBox::resetScript();
    }
    void TearDown() override
    {
        QDir::setCurrent(previous_);
        QSettings().clear();
        MessageBox::resetScript();
    }

    QTemporaryDir dir_;
    QString previous_;
};

TEST_F(StartupDatabaseTest, WithoutSaveFileTheDefaultPathIsUsedAndRemembered)
{
    Database database;
    database.image().pager(0).setLocalId(5); // start-up begins from a fresh image
    const QString path = TavoluxApp::openLastDatabase(database);

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
    EXPECT_EQ(TavoluxApp::openLastDatabase(database), site);
    EXPECT_TRUE(database.image().findPager(42));
    EXPECT_EQ(database.names().name(42), QStringLiteral("Bar"));

    // An empty value falls back to the default path, which is not read.
    SettingsStore::setText(SettingsStore::SaveFile, QString());
    QFile::copy(site, dir_.filePath(QStringLiteral("tavoluxDB.dat")));
    Database fresh;
    EXPECT_EQ(TavoluxApp::openLastDatabase(fresh), dir_.filePath(QStringLiteral("tavoluxDB.dat")));
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
    EXPECT_EQ(TavoluxApp::openLastDatabase(database), site);
    ASSERT_EQ(MessageBox::shown().size(), 1);
    EXPECT_EQ(MessageBox::shown()[0].icon, MessageBox::Icon::Warning);
    EXPECT_TRUE(QFileInfo::exists(site + ".damaged"));
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
