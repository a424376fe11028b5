// The gateway's logins and tokens as a site's administrator sets them from a shell: the settings
// file the console and serve read keeps only hashes, and nothing is changed by a refused command.
#include "../support/CliRunner.h"
#include "../support/FileBytes.h"
#include "../support/PseudoTerminal.h"

#include "Credentials.h"

#include <QDeadlineTimer>
#include <QDir>
#include <QFile>
#include <QSettings>
#include <QTemporaryDir>

#include <gtest/gtest.h>

#include <csignal>
#include <poll.h>
#include <termios.h>

namespace {

using namespace Cli;

class CliGatewayTest : public ::testing::Test {
protected:
    // stdinText: what a pipe gives the command on stdin, as printf writes its format; empty:
    // the test's own stdin is left closed.
    CliRun cli(const QStringList& arguments, const QString& stdinText = {},
               const QString& redirection = {})
    {
        const QString input = stdinText.isNull() ? QStringLiteral("exec <&- ;")
                                                 : QStringLiteral("printf '%1' |").arg(stdinText);
        return runCli(
            arguments,
            {.configFolder = config(),
             .shellStage = QStringLiteral("%1 \"$0\" \"$@\" %2").arg(input, redirection)});
    }
    QString config() const { return dir_.filePath(QStringLiteral("config")); }
    QString settingsPath() const
    {
        return config() + QStringLiteral("/Brindleco Signals/tavolux.conf");
    }
    QByteArray settingsBytes() const { return filebytes::readAll(settingsPath()); }
    // As the gateway reads them: name, tab, the stored form, one a line.
    QList<Credential> stored(const char* key) const
    {
        QSettings file(settingsPath(), QSettings::IniFormat);
        QList<Credential> credentials;
        const QString text = file.value(QStringLiteral("Gateway/") + QLatin1String(key)).toString();
        for (const QString& line : text.split(u'\n', Qt::SkipEmptyParts)) {
            const QStringList parts = line.split(u'\t');
            if (parts.size() == 2)
                if (const auto credential = Credential::fromStored(parts[0], parts[1]))
                    credentials << *credential;
        }
        return credentials;
    }
    QList<Credential> logins() const { return stored("Logins"); }
    QList<Credential> tokens() const { return stored("Tokens"); }
    QByteArray list() { return cli({QStringLiteral("gateway-logins")}).out; }

    QTemporaryDir dir_;
};

QStringList args(std::initializer_list<const char*> words)
{
    QStringList list;
    for (const char* word : words)
        list << QString::fromUtf8(word);
    return list;
}

} // namespace

TEST_F(CliGatewayTest, LoginsAndTokensAreSetListedReplacedAndRemoved)
{
    // Listing an empty store creates no settings file.
    const CliRun empty = cli(args({"gateway-logins"}));
    EXPECT_EQ(empty.exitCode, Success) << empty.err.constData();
    EXPECT_TRUE(empty.out.isEmpty());
    EXPECT_FALSE(QDir(config()).exists());

    CliRun run = cli(args({"gateway-login", "desk"}), QStringLiteral("Correct horse 7\\n"));
    EXPECT_EQ(run.exitCode, Success) << run.err.constData();
    EXPECT_TRUE(run.out.isEmpty());
    // A last line without its end will do.
    run = cli(args({"gateway-login", "kitchen@site"}), QStringLiteral("K1tchen"));
    EXPECT_EQ(run.exitCode, Success) << run.err.constData();
    run = cli(args({"gateway-token", "till-2"}));
    EXPECT_EQ(run.exitCode, Success) << run.err.constData();
    ASSERT_TRUE(run.out.endsWith('\n'));
    const QByteArray token = run.out.trimmed();
    EXPECT_EQ(run.out.count('\n'), 1);
    EXPECT_GE(token.size(), 43);

    EXPECT_EQ(list(), "login desk\nlogin kitchen@site\ntoken till-2\n");
    EXPECT_TRUE(Credentials::verifyLogin(logins(), QStringLiteral("desk"), "Correct horse 7"));
    EXPECT_TRUE(Credentials::verifyLogin(logins(), QStringLiteral("kitchen@site"), "K1tchen"));
    EXPECT_FALSE(Credentials::verifyLogin(logins(), QStringLiteral("desk"), "K1tchen"));
    EXPECT_TRUE(Credentials::verifyToken(tokens(), token));
    EXPECT_EQ(logins().first().iterations, Credentials::Iterations);
    const QByteArray file = settingsBytes();
    for (const QByteArray& secret :
         {QByteArray("Correct horse"), QByteArray("Correct%20horse"), QByteArray("K1tchen"), token})
        EXPECT_FALSE(file.contains(secret)) << secret.constData();

    // Set again: the new password and token take the old ones' places.
    run = cli(args({"gateway-login", "desk"}), QStringLiteral("Battery staple\\r\\n"));
    EXPECT_EQ(run.exitCode, Success) << run.err.constData();
    run = cli(args({"gateway-token", "till-2"}));
    EXPECT_EQ(run.exitCode, Success) << run.err.constData();
    const QByteArray newToken = run.out.trimmed();
    EXPECT_EQ(list(), "login desk\nlogin kitchen@site\ntoken till-2\n");
    EXPECT_TRUE(Credentials::verifyLogin(logins(), QStringLiteral("desk"), "Battery staple"));
    EXPECT_FALSE(Credentials::verifyLogin(logins(), QStringLiteral("desk"), "Correct horse 7"));
    EXPECT_FALSE(Credentials::verifyToken(tokens(), token));
    EXPECT_TRUE(Credentials::verifyToken(tokens(), newToken));

    run = cli(args({"gateway-login", "--remove", "kitchen@site"}));
    EXPECT_EQ(run.exitCode, Success) << run.err.constData();
    run = cli(args({"gateway-token", "till-2", "--remove"}));
    EXPECT_EQ(run.exitCode, Success) << run.err.constData();
    EXPECT_TRUE(run.out.isEmpty());
    EXPECT_EQ(list(), "login desk\n");
    EXPECT_FALSE(Credentials::verifyToken(tokens(), newToken));
    EXPECT_TRUE(Credentials::verifyLogin(logins(), QStringLiteral("desk"), "Battery staple"));
}

TEST_F(CliGatewayTest, RefusalsChangeNothing)
{
    ASSERT_EQ(cli(args({"gateway-login", "desk"}), QStringLiteral("pw\\n")).exitCode, Success);
    const QByteArray before = settingsBytes();
    const QString tooLong = QString(129, u'x');
    struct Case {
        QStringList arguments;
        QString stdinText; // null: stdin closed
        int exitCode;
        const char* says;
    };
    const Case cases[] = {
        {args({"gateway-login", "front desk"}), QStringLiteral("pw\\n"), UsageError,
         "\"front desk\" is no login name"},
        {args({"gateway-login", "abcdefghijklmnopqrstuvwxyz0123456"}), QStringLiteral("pw\\n"),
         UsageError, "is no login name"},
        {args({"gateway-token", "till/2"}), {}, UsageError, "\"till/2\" is no token name"},
        {args({"gateway-login"}), QStringLiteral("pw\\n"), UsageError,
         "gateway-login needs one NAME"},
        {args({"gateway-token", "a", "b"}), {}, UsageError, "gateway-token needs one NAME"},
        {args({"gateway-logins", "desk"}), {}, UsageError, "gateway-logins takes no arguments"},
        {args({"gateway-login", "bar"}), QStringLiteral("\\n"), UsageError,
         "the password is empty"},
        {args({"gateway-login", "bar"}), {}, UsageError, "the password is empty"},
        {args({"gateway-login", "bar"}), tooLong, UsageError, "a password is at most 128 bytes"},
        {args({"gateway-login", "--remove", "bar"}), {}, UsageError, "there is no login named bar"},
        {args({"gateway-token", "--remove", "desk"}),
         {},
         UsageError,
         "there is no token named desk"},
        {args({"gateway-login", "--to", "5", "bar"}), QStringLiteral("pw\\n"), UsageError,
         "--to is not an option of gateway-login"},
        {args({"gateway-logins", "--remove"}),
         {},
         UsageError,
         "--remove is not an option of gateway-logins"},
        {args({"--port", "/nonexistent/tty", "page", "--to", "5", "--remove", "hi"}),
         {},
         UsageError,
         "--remove is not an option of page"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.arguments.join(u' ').toStdString());
        const CliRun run = cli(c.arguments, c.stdinText);
        EXPECT_EQ(run.exitCode, c.exitCode) << run.err.constData();
        EXPECT_TRUE(run.err.contains(c.says)) << run.err.constData();
        EXPECT_TRUE(run.out.isEmpty());
        EXPECT_EQ(settingsBytes(), before);
    }
}

TEST_F(CliGatewayTest, ATokenThatCannotBePrintedIsNotKept)
{
    const QString out = dir_.filePath(QStringLiteral("token.txt"));
    struct Case {
        QString redirection;
        const char* says;
    };
    const Case cases[] = {
        {QStringLiteral(">&-"), "stdout is closed"},
        {QStringLiteral("> /dev/full"), "could not be written"},
        {QStringLiteral(">> '%1'").arg(settingsPath()), "which this command reads"},
    };
    ASSERT_EQ(cli(args({"gateway-token", "kds"})).exitCode, Success);
    const QByteArray before = settingsBytes();
    for (const Case& c : cases) {
        SCOPED_TRACE(c.redirection.toStdString());
        const CliRun run = cli(args({"gateway-token", "till"}), {}, c.redirection);
        EXPECT_NE(run.exitCode, Success);
        EXPECT_TRUE(run.err.contains(c.says)) << run.err.constData();
        EXPECT_EQ(settingsBytes(), before);
    }
    EXPECT_EQ(list(), "token kds\n");
    // A listing that cannot be written fails too.
    EXPECT_EQ(cli(args({"gateway-logins"}), {}, QStringLiteral("> /dev/full")).exitCode,
              FileProblem);
}

TEST_F(CliGatewayTest, ASettingsFileThatCannotBeWrittenIsAFailure)
{
    // A folder where the settings file belongs: not even root can write it.
    ASSERT_TRUE(QDir().mkpath(settingsPath()));
    struct Case {
        QStringList arguments;
        QString stdinText;
    };
    const Case cases[] = {
        {args({"gateway-login", "desk"}), QStringLiteral("pw\\n")},
        {args({"gateway-token", "till"}), {}},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.arguments.join(u' ').toStdString());
        const CliRun run = cli(c.arguments, c.stdinText);
        EXPECT_EQ(run.exitCode, FileProblem) << run.err.constData();
        EXPECT_TRUE(run.err.contains("could not be written; the")) << run.err.constData();
    }
}

namespace {

// What the terminal shows until text appears on it (or, with text empty, for waitMs).
QByteArray readTerminalUntil(const PseudoTerminal& terminal, const QByteArray& text, int waitMs)
{
    QByteArray shown;
    const QDeadlineTimer deadline(waitMs);
    while (!deadline.hasExpired() && (text.isEmpty() || !shown.contains(text))) {
        pollfd ready{terminal.master(), POLLIN, 0};
        if (::poll(&ready, 1, static_cast<int>(deadline.remainingTime())) <= 0)
            continue;
        char chunk[256];
        const ssize_t n = ::read(terminal.master(), chunk, sizeof chunk);
        if (n > 0)
            shown.append(chunk, n);
    }
    return shown;
}

} // namespace

TEST_F(CliGatewayTest, OnATerminalThePasswordIsAskedTwiceAndNeverShown)
{
    struct Case {
        const char* second;
        int exitCode;
    };
    const Case cases[] = {{"Tr0ub4dor&3", Success}, {"Tr0ub4dor&4", UsageError}};
    for (const Case& c : cases) {
        SCOPED_TRACE(c.second);
        PseudoTerminal terminal;
        ASSERT_TRUE(terminal.isOpen());
        const QString tty = terminal.slavePath();
        const auto process =
            startCli(args({"gateway-login", "desk"}),
                     {.configFolder = config(),
                      .shellStage = QStringLiteral("exec \"$0\" \"$@\" <%1 2>%1").arg(tty)});
        QByteArray shown = readTerminalUntil(terminal, "Password: ", 10000);
        ASSERT_TRUE(shown.contains("Password: ")) << shown.constData();
        terminal.send("Tr0ub4dor&3\n");
        shown += readTerminalUntil(terminal, "Repeat the password: ", 10000);
        ASSERT_TRUE(shown.contains("Repeat the password: ")) << shown.constData();
        terminal.send(QByteArray(c.second) + '\n');
        const int exitCode = process->wait(30000);
        shown += readTerminalUntil(terminal, {}, 200);
        EXPECT_EQ(exitCode, c.exitCode) << shown.constData();
        EXPECT_FALSE(shown.contains("Tr0ub4dor")) << shown.constData();
        // The echo is back on for whoever uses the terminal next.
        termios settings{};
        ASSERT_EQ(::tcgetattr(terminal.slave(), &settings), 0);
        EXPECT_TRUE(settings.c_lflag & ECHO);
        if (c.exitCode != Success) {
            EXPECT_TRUE(shown.contains("the two passwords differ")) << shown.constData();
        }
    }
    EXPECT_TRUE(Credentials::verifyLogin(logins(), QStringLiteral("desk"), "Tr0ub4dor&3"));
    EXPECT_EQ(logins().size(), 1);
}

TEST_F(CliGatewayTest, EndedAtThePasswordPromptTheTerminalEchoesAgain)
{
    for (const int signalNumber : {SIGINT, SIGTERM, SIGHUP}) {
        SCOPED_TRACE(signalNumber);
        PseudoTerminal terminal;
        ASSERT_TRUE(terminal.isOpen());
        const auto process =
            startCli(args({"gateway-login", "desk"}),
                     {.configFolder = config(),
                      .shellStage =
                          QStringLiteral("exec \"$0\" \"$@\" <%1 2>%1").arg(terminal.slavePath())});
        const QByteArray shown = readTerminalUntil(terminal, "Password: ", 10000);
        ASSERT_TRUE(shown.contains("Password: ")) << shown.constData();
        process->signal(signalNumber);
        EXPECT_EQ(process->wait(10000), -1);
        termios settings{};
        ASSERT_EQ(::tcgetattr(terminal.slave(), &settings), 0);
        EXPECT_TRUE(settings.c_lflag & ECHO);
    }
    EXPECT_FALSE(QFile::exists(settingsPath()));
}
