// tavolux-cli: pages, transfers and database dumps from a site's own scripts.
#include "AtomicFile.h"
#include "BlockTransfer.h"
#include "CliFiles.h"
#include "CliHost.h"
#include "Database.h"
#include "DatabaseDump.h"
#include "FirmwareLoader.h"
#include "HexFile.h"
#include "RegularFile.h"
#include "ReportCommands.h"
#include "SerialPort.h"
#include "SettingsStore.h"
#include "UnitSession.h"
#include "UnitText.h"
#include "VoicePrompts.h"

#include <QCommandLineParser>
#include <QCoreApplication>
#include <QDir>
#include <QFile>
#include <QJsonDocument>
#include <QRegularExpression>

#include <csignal>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <optional>
#include <unistd.h>

namespace {

using namespace CliFiles;

// Each command's own lines of the help, for the whole help and for COMMAND --help.
const CommandUsage UnitCommands[] = {
    {"page",
     R"(  page --to LOCALID TEXT   send one page and wait for the unit to confirm it; LOCALID in
                           decimal digits, TEXT up to 200 characters that the unit can show
                           (Latin-1 letters and signs, line breaks; no other control characters)
)"},
    {"download", R"(  download DBFILE          send the configuration in DBFILE to the unit
)"},
    {"upload",
     R"(  upload DBFILE            read the unit's configuration into DBFILE (written with its
                           version byte and checksum; the names file is left as it is)
)"},
    {"status",
     R"(  status                   print the unit's status text (control characters written out: ^[
                           for ESC, \x9b for the 8-bit ones)
)"},
    {"dump", R"(  dump DBFILE              print DBFILE and its names file as JSON
)"},
    {"firmware",
     R"(  firmware FILE.hex        load new firmware through the unit's boot loader: switch the unit
                           off, run the command, switch the unit on. The loader is called
                           until it answers (for --timeout seconds, 60 unless given, which is
                           also how long it may stay quiet later); exit code 0 only once it
                           has reported the programming complete. A file that is not text or
                           holds no record is refused; blank lines are passed over
)"},
    {"voice", R"(  voice --language N|NAME [--dir DIR]
                           send the six voice prompts of a language (0 to 10, or its name:
                           English (US), Spanish, ...) from DIR/<name in lower case>1.wav
                           to 6.wav; DIR is the current folder unless given
)"},
};

const char* const Introduction = R"(Talks to the Tavolux unit the way the console does, for scripts.

Commands (COMMAND --help shows one of them):
)";

const char* const Notes = R"(
The unit commands connect first and disconnect at the end. The port and line settings are
the console's saved ones; --port names another port: a bare name is below /dev/ (ttyUSB0),
a name with a / is a path, relative ones from the current folder. A unit that leaves an answer
unsaid for --timeout seconds (5 unless given), or a line that breaks, ends the command at once.

dump, download, report and print only read DBFILE and its names file: they create and
change no file, and a read-only DBFILE will do. An output (-o, --pdf, or stdout) that is one
of the files a command reads is refused, whatever path or link names it. upload replaces
DBFILE only when it is a regular file (or does not exist yet). firmware and voice read only
regular files. A file is written beside its target and put in place only when complete.
Exit codes: 0 done, 1 wrong usage (a page text included, or an output that is one of the
command's own inputs), 2 the port cannot be opened or the saved line settings cannot be used,
3 no connection to the unit (no answer, or the line was lost; for firmware, the boot loader
did not answer), 4 the unit refused the page, transfer or firmware, 5 a file cannot be read
or written (the database, the HEX or WAV files, -o FILE, or stdout: a full disk, a closed
stdout, a FIFO or a folder in the way alike), 6 the database file is damaged (its checksum
does not match its contents), 7 the report could not be printed (the printer cannot be opened
or the PDF file cannot be written, for whatever reason), 130 or 143 ended by SIGINT or
SIGTERM (firmware, voice, download and upload say what the unit may be left with).
Messages are the console's own and go to stderr; progress too, when stderr is a terminal.)";

QString description()
{
    QString text = QString::fromUtf8(Introduction);
    for (const CommandUsage& command : UnitCommands)
        text += QString::fromUtf8(command.usage);
    for (const CommandUsage& command : ReportCommands::Usages)
        text += QString::fromUtf8(command.usage);
    return text + QString::fromUtf8(Notes);
}

// What SIGINT or SIGTERM leaves behind while a command changes the unit: said from the
// handler, which may only write and end.
char interruptedText[512];
size_t interruptedLength = 0;

extern "C" void endInterrupted(int signalNumber)
{
    [[maybe_unused]] const ssize_t written =
        ::write(STDERR_FILENO, interruptedText, interruptedLength);
    ::_exit(128 + signalNumber);
}

// From here on SIGINT and SIGTERM end the command with their conventional code, saying what the
// unit may be left with.
void sayOnInterrupt(const QString& state)
{
    const QByteArray text =
        QStringLiteral("\ntavolux-cli: ended by a signal; %1\n").arg(state).toLocal8Bit();
    interruptedLength = std::min<size_t>(static_cast<size_t>(text.size()), sizeof interruptedText);
    std::memcpy(interruptedText, text.constData(), interruptedLength);
    struct sigaction action {};
    action.sa_handler = endInterrupted;
    sigemptyset(&action.sa_mask);
    ::sigaction(SIGINT, &action, nullptr);
    ::sigaction(SIGTERM, &action, nullptr);
}

// Connects, runs the work, disconnects; the work returns the exit code.
int withUnit(UnitSession& session, const CliHost& host, const PortSettings& settings,
             const std::function<int()>& work)
{
    if (!settings.usable()) {
        fail(UnitSession::unusableSettingText(settings));
        return PortProblem;
    }
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
    session.sendQueuedPages();
    return session.isOnline() && session.pageQueue().isEmpty() ? Success : TransferFailed;
}

// What the command line asks for, once it has been checked.
struct Request {
    QString command;
    QString file; // download, upload, dump
    QString port; // empty: the saved one
    uint16_t localId = 0;
    QString text; // page
    int answerTimeoutMs = BlockTransfer::AnswerTimeoutMs;
    bool timeoutGiven = false;
    int language = 0; // voice
    QString folder;   // voice
};

constexpr int LoaderAnswerTimeoutMs = 60000;

// The firmware update: the port at its saved settings, no connect; the loader's own dialogue.
int firmware(UnitSession& session, CliHost& host, const PortSettings& settings,
             const Request& request)
{
    if (!settings.usable()) {
        fail(UnitSession::unusableSettingText(settings));
        return PortProblem;
    }
    host.setFirmware(request.file,
                     request.timeoutGiven ? request.answerTimeoutMs : LoaderAnswerTimeoutMs);
    session.openPort(settings);
    if (!session.hasOpenPort()) {
        fail(QStringLiteral("cannot open %1: %2")
                 .arg(session.port()->GetName(), session.port()->GetErrorText()));
        return PortProblem;
    }
    session.FirmwareUpdateCommand();
    if (host.firmwareComplete())
        return Success;
    return host.linkFailed() ? NotConnected : TransferFailed;
}

// Everything on the command line is checked here, before the line or a file is touched; a
// refusal is said on stderr.
std::optional<Request> checkArguments(const QStringList& commandLine)
{
    QCommandLineParser parser;
    parser.setApplicationDescription(description());
    const QCommandLineOption helpOption = parser.addHelpOption();
    const QCommandLineOption portOption(
        QStringLiteral("port"), QStringLiteral("The port the unit is on."), QStringLiteral("DEV"));
    const QCommandLineOption toOption(QStringLiteral("to"),
                                      QStringLiteral("The pager or group to page."),
                                      QStringLiteral("LOCALID"));
    const QCommandLineOption timeoutOption(
        QStringLiteral("timeout"),
        QStringLiteral("Seconds the unit may take over each answer (default 5)."),
        QStringLiteral("SECONDS"));
    const QCommandLineOption languageOption(
        QStringLiteral("language"),
        QStringLiteral("The voice prompts' language: 0 to 10 or its name."),
        QStringLiteral("N|NAME"));
    const QCommandLineOption dirOption(QStringLiteral("dir"),
                                       QStringLiteral("The folder of the WAV files."),
                                       QStringLiteral("DIR"));
    const QList<QCommandLineOption> valueOptions{portOption, toOption, timeoutOption,
                                                 languageOption, dirOption};
    parser.addOptions(valueOptions);
    parser.addPositionalArgument(
        QStringLiteral("command"),
        QStringLiteral("page, download, upload, status, dump, firmware, voice, report or print"));

    auto refuse = [](const QString& text) {
        fail(text);
        return std::nullopt;
    };
    // QCommandLineParser would name the application, and that is the console's name.
    if (!parser.parse(commandLine))
        return refuse(parser.errorText());
    if (parser.isSet(helpOption) || parser.isSet(QStringLiteral("help-all"))) {
        for (const CommandUsage& command : UnitCommands)
            if (parser.positionalArguments().value(0) == QLatin1String(command.name))
                std::exit(showCommandHelp(command));
        parser.showHelp(Success);
    }
    for (const QCommandLineOption& option : valueOptions)
        if (parser.values(option).size() > 1)
            return refuse(
                QStringLiteral("--%1 is given more than once").arg(option.names().first()));

    const QStringList arguments = parser.positionalArguments();
    if (arguments.isEmpty())
        return refuse(QStringLiteral("no command; see --help"));
    Request request;
    request.command = arguments.first();
    request.port = parser.value(portOption);
    if (parser.isSet(portOption) && request.port.trimmed().isEmpty())
        return refuse(QStringLiteral("--port needs the name or path of a port"));
    if (parser.isSet(timeoutOption)) {
        // toDouble() alone would take " 2", "+2" and "1e2".
        static const QRegularExpression decimal(QStringLiteral("^[0-9]+(\\.[0-9]+)?$"));
        bool ok = false;
        const double seconds = parser.value(timeoutOption).toDouble(&ok);
        if (!decimal.match(parser.value(timeoutOption)).hasMatch() || !ok ||
            !(seconds >= 0.1 && seconds <= 3600))
            return refuse(QStringLiteral("--timeout takes seconds from 0.1 to 3600"));
        request.answerTimeoutMs = static_cast<int>(seconds * 1000);
        request.timeoutGiven = true;
    }
    if (request.command != u"voice" && (parser.isSet(languageOption) || parser.isSet(dirOption)))
        return refuse(QStringLiteral("--language and --dir are for voice only"));
    if (request.command == u"voice") {
        const std::optional<int> language =
            VoicePrompts::languageIndex(parser.value(languageOption));
        if (arguments.size() != 1 || !language)
            return refuse(QStringLiteral("voice needs --language with 0 to 10 or a language's "
                                         "name, and nothing else; see --help"));
        request.language = *language;
        request.folder = parser.isSet(dirOption) ? parser.value(dirOption) : QDir::currentPath();
        if (request.folder.isEmpty())
            return refuse(QStringLiteral("--dir is empty; name a folder"));
        return request;
    }
    if (request.command == u"firmware") {
        if (parser.isSet(toOption) || arguments.size() != 2 || arguments[1].isEmpty())
            return refuse(QStringLiteral("firmware needs the HEX file and nothing else"));
        request.file = arguments[1];
        return request;
    }

    if (request.command != u"page") {
        if (parser.isSet(toOption))
            return refuse(QStringLiteral("--to is for page only"));
        if (request.command == u"status" && arguments.size() == 1)
            return request;
        if (arguments.size() != 2 || (request.command != u"download" &&
                                      request.command != u"upload" && request.command != u"dump"))
            return refuse(QStringLiteral("unknown command or missing DBFILE; see --help"));
        request.file = arguments[1];
        if (request.file.isEmpty())
            return refuse(QStringLiteral("DBFILE is empty; name a database file"));
        return request;
    }

    // toUInt() alone would take "+12" and " 12 ".
    static const QRegularExpression digits(QStringLiteral("^[0-9]+$"));
    const QString to = parser.value(toOption);
    bool inRange = false;
    const uint localId = to.toUInt(&inRange);
    if (!digits.match(to).hasMatch() || !inRange || localId > ConfigurationImage::MaxLocalId ||
        arguments.size() < 2)
        return refuse(
            QStringLiteral("page needs --to LOCALID (0 to 9999, digits only) and a text"));
    request.localId = static_cast<uint16_t>(localId);
    request.text = arguments.mid(1).join(u' ');
    if (const std::optional<char32_t> c = UnitText::firstUnshowable(request.text))
        return refuse(QStringLiteral("the page text holds %1, which the unit cannot show")
                          .arg(UnitText::describe(*c)));
    if (UnitText::pageLength(request.text) > UnitText::MaxPageLength)
        return refuse(QStringLiteral("the page text has %1 characters (a line break counts two); "
                                     "the unit takes at most %2")
                          .arg(UnitText::pageLength(request.text))
                          .arg(UnitText::MaxPageLength));
    return request;
}

} // namespace

static int runCommand(int argc, char* argv[])
{
    if (const std::optional<int> code = ReportCommands::run(argc, argv))
        return *code;
    QCoreApplication app(argc, argv);
    QCoreApplication::setOrganizationName(QString::fromLatin1(SettingsStore::Organisation));
    QCoreApplication::setApplicationName(QString::fromLatin1(SettingsStore::Application));

    const std::optional<Request> request = checkArguments(app.arguments());
    if (!request)
        return UsageError;
    const QString& command = request->command;
    PortSettings settings = SettingsStore::portSettings();
    if (!request->port.isEmpty())
        settings.port = request->port;

    Database database;
    CliHost host(database.image(), settings);
    UnitSession session(host);
    session.setAnswerTimeout(request->answerTimeoutMs);
    host.setSession(&session);

    if (command == u"page") {
        return withUnit(session, host, settings,
                        [&] { return page(session, request->localId, request->text); });
    }
    if (command == u"firmware") {
        // The file must be there before anybody switches the unit off.
        QFile hex;
        QString error;
        if (!RegularFile::openForReading(hex, request->file, QIODevice::Text, &error)) {
            fail(QStringLiteral("%1 cannot be read: %2").arg(request->file, error));
            return FileProblem;
        }
        error = HexFile::problem(hex, FirmwareLoader::MaxLineLength);
        if (!error.isEmpty()) {
            fail(QStringLiteral("%1 cannot be sent: %2").arg(request->file, error));
            return FileProblem;
        }
        sayOnInterrupt(QStringLiteral("the unit's firmware may be partly written: run the update "
                                      "again before the unit is used"));
        return firmware(session, host, settings, *request);
    }
    if (command == u"voice") {
        QString error;
        const std::optional<QByteArray> block =
            VoicePrompts::build(request->folder, request->language, &error);
        if (!block) {
            fail(error);
            return FileProblem;
        }
        host.setVoiceBlock(*block);
        sayOnInterrupt(
            QStringLiteral("the unit's voice prompts may be incomplete: run voice again"));
        return withUnit(session, host, settings, [&] {
            session.VoicePromptUpdateCommand();
            return host.failed() ? TransferFailed : Success;
        });
    }
    if (command == u"status") {
        if (const std::optional<int> refused = refuseStandardOutput({}))
            return *refused;
        return withUnit(session, host, settings, [&] {
            session.StatusCommand();
            if (host.failed())
                return TransferFailed;
            return writeStandardOutput(UnitText::visible(host.statusText()).toUtf8() + '\n')
                       ? Success
                       : FileProblem;
        });
    }
    const QString& file = request->file;
    if (command == u"dump" || command == u"download") {
        if (command == u"dump") {
            if (const std::optional<int> refused = refuseStandardOutput(databaseInputs(file)))
                return *refused;
        }
        if (const std::optional<int> refused = readDatabase(database, file))
            return *refused;
        if (command == u"download") {
            sayOnInterrupt(QStringLiteral("the unit may hold part of the configuration: run "
                                          "download again"));
            return withUnit(session, host, settings, [&] {
                session.DownloadCommand();
                return session.isOnline() ? Success : TransferFailed;
            });
        }
        return writeStandardOutput(
                   QJsonDocument(dumpDatabase(database, true)).toJson(QJsonDocument::Indented))
                   ? Success
                   : FileProblem;
    }
    // The unit's image would have nowhere to go: say so before the line is touched.
    QString error;
    if (!AtomicFile::canReplace(file, &error)) {
        fail(QStringLiteral("The database could not be saved to %1.\n%2").arg(file, error));
        return FileProblem;
    }
    sayOnInterrupt(QStringLiteral("the unit is unchanged, and %1 is as it was").arg(file));
    return withUnit(session, host, settings, [&] {
        session.UploadCommand();
        if (!session.isOnline())
            return TransferFailed;
        if (!database.writeDatabaseFile(file, &error)) {
            fail(QStringLiteral("The database could not be saved to %1.\n%2").arg(file, error));
            return FileProblem;
        }
        return Success;
    });
}

int main(int argc, char* argv[])
{
    guardStandardStreams();
    const int code = runCommand(argc, argv);
    // A result that did not reach stdout is no success, however far the command got.
    if (!closeStandardOutput() && code == Success)
        return FileProblem;
    return code;
}
