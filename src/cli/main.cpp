// tavolux-cli: pages, transfers and database dumps from a site's own scripts.
#include "BlockTransfer.h"
#include "CliHost.h"
#include "Database.h"
#include "DatabaseDump.h"
#include "SerialPort.h"
#include "SettingsStore.h"
#include "UnitSession.h"

#include <QCommandLineParser>
#include <QCoreApplication>
#include <QEventLoop>
#include <QJsonDocument>
#include <QTimer>

#include <cstdio>

namespace {

enum ExitCode {
    Success = 0,
    UsageError = 1,
    PortProblem = 2,
    NotConnected = 3,
    TransferFailed = 4,
    FileProblem = 5,
};

const char* const Description = R"(Talks to the Tavolux unit the way the console does, for scripts.

Commands:
  page --to LOCALID TEXT   send one page and wait for the unit to confirm it
  download DBFILE          send the configuration in DBFILE to the unit
  upload DBFILE            read the unit's configuration into DBFILE (written with its
                           version byte and checksum; the names file is left as it is)
  status                   print the unit's status text
  dump DBFILE              print DBFILE and its names file as JSON

The unit commands connect first and disconnect at the end. The port and line settings are
the console's saved ones; --port names another port. A unit that leaves an answer unsaid for
--timeout seconds, or a line that breaks, ends the command at once.

Exit codes: 0 done, 1 wrong usage, 2 the port cannot be opened, 3 no connection to the unit
(no answer, or the line was lost), 4 the unit refused the page or transfer, 5 the database
file cannot be read or written.
Messages are the console's own and go to stderr; progress too, when stderr is a terminal.)";

void fail(const QString& text)
{
    std::fprintf(stderr, "tavolux-cli: %s\n", qPrintable(text));
}

// Connects, runs the work, disconnects; the work returns the exit code.
int withUnit(UnitSession& session, const CliHost& host, const PortSettings& settings,
             const std::function<int()>& work)
{
    session.openPort(settings);
    if (!session.hasOpenPort()) {
        fail(QStringLiteral("cannot open %1: %2")
                 .arg(session.port()->GetName(), session.port()->GetErrorText()));
        return PortProblem;
    }
    session.ConnectCommand();
    if (!session.isOnline())
        return NotConnected;
    const int code = work();
    if (host.linkFailed())
        return NotConnected;
    if (session.isOnline())
        session.DisconnectCommand();
    return code;
}

int page(UnitSession& session, uint16_t localId, const QString& text)
{
    session.QueuePage(UnitSession::pageRecord(localId, text));
    // Pages go out on the pump's ticks, as in the window; wait until the unit confirmed or the
    // session fell offline.
    QEventLoop loop;
    QTimer pump;
    QObject::connect(&pump, &QTimer::timeout, &loop, [&] {
        session.PumpPages();
        if (!session.isOnline() || (session.pageQueue().isEmpty() && !session.isPageBusy()))
            loop.quit();
    });
    pump.start(50);
    loop.exec();
    return session.isOnline() ? Success : TransferFailed;
}

} // namespace

int main(int argc, char* argv[])
{
    QCoreApplication app(argc, argv);
    QCoreApplication::setOrganizationName(QString::fromLatin1(SettingsStore::Organisation));
    QCoreApplication::setApplicationName(QString::fromLatin1(SettingsStore::Application));

    QCommandLineParser parser;
    parser.setApplicationDescription(QString::fromUtf8(Description));
    parser.addHelpOption();
    const QCommandLineOption portOption(
        QStringLiteral("port"), QStringLiteral("The port the unit is on."), QStringLiteral("DEV"));
    const QCommandLineOption toOption(QStringLiteral("to"),
                                      QStringLiteral("The pager or group to page."),
                                      QStringLiteral("LOCALID"));
    const QCommandLineOption timeoutOption(
        QStringLiteral("timeout"),
        QStringLiteral("Seconds the unit may take over each answer (default 5)."),
        QStringLiteral("SECONDS"));
    parser.addOptions({portOption, toOption, timeoutOption});
    parser.addPositionalArgument(QStringLiteral("command"),
                                 QStringLiteral("page, download, upload, status or dump"));
    parser.process(app);

    const QStringList arguments = parser.positionalArguments();
    if (arguments.isEmpty()) {
        fail(QStringLiteral("no command; see --help"));
        return UsageError;
    }
    const QString command = arguments.first();
    PortSettings settings = SettingsStore::portSettings();
    if (parser.isSet(portOption))
        settings.port = parser.value(portOption);

    int answerTimeoutMs = BlockTransfer::AnswerTimeoutMs;
    if (parser.isSet(timeoutOption)) {
        bool ok = false;
        const double seconds = parser.value(timeoutOption).toDouble(&ok);
        if (!ok || !(seconds >= 0.1 && seconds <= 3600)) {
            fail(QStringLiteral("--timeout takes seconds from 0.1 to 3600"));
            return UsageError;
        }
        answerTimeoutMs = static_cast<int>(seconds * 1000);
    }

    Database database;
    CliHost host(database.image(), settings);
    UnitSession session(host);
    session.setAnswerTimeout(answerTimeoutMs);
    host.setSession(&session);

    if (command == u"page") {
        bool ok = false;
        const uint id = parser.value(toOption).toUInt(&ok);
        if (!ok || id > ConfigurationImage::MaxLocalId || arguments.size() < 2) {
            fail(QStringLiteral("page needs --to LOCALID (0 to 9999) and a text"));
            return UsageError;
        }
        const QString text = arguments.mid(1).join(u' ');
        return withUnit(session, host, settings,
                        [&] { return page(session, static_cast<uint16_t>(id), text); });
    }
    if (command == u"status") {
        return withUnit(session, host, settings, [&] {
            session.StatusCommand();
            if (host.failed())
                return TransferFailed;
            std::fwrite(host.statusText().constData(), 1,
                        static_cast<size_t>(host.statusText().size()), stdout);
            std::fputc('\n', stdout);
            return Success;
        });
    }
    if (arguments.size() != 2 ||
        (command != u"download" && command != u"upload" && command != u"dump")) {
        fail(QStringLiteral("unknown command or missing DBFILE; see --help"));
        return UsageError;
    }
    const QString file = arguments[1];
    if (command == u"dump") {
        if (!database.readDatabaseFile(file).opened()) {
            fail(QStringLiteral("%1 could not be opened as a Tavolux database.").arg(file));
            return FileProblem;
        }
        database.readNamesFile(file);
        std::fputs(
            QJsonDocument(dumpDatabase(database)).toJson(QJsonDocument::Indented).constData(),
            stdout);
        return Success;
    }
    if (command == u"download") {
        const DatabaseReadResult read = database.readDatabaseFile(file);
        if (read.status != DatabaseReadResult::Read) {
            fail(QStringLiteral("%1 could not be opened as a Tavolux database.").arg(file));
            return FileProblem;
        }
        return withUnit(session, host, settings, [&] {
            session.DownloadCommand();
            return session.isOnline() ? Success : TransferFailed;
        });
    }
    return withUnit(session, host, settings, [&] {
        session.UploadCommand();
        if (!session.isOnline())
            return TransferFailed;
        QString error;
        if (!database.writeDatabaseFile(file, &error)) {
            fail(QStringLiteral("The database could not be saved to %1.\n%2").arg(file, error));
            return FileProblem;
        }
        return Success;
    });
}
