#include "CommandLine.h"

#include "BlockTransfer.h"
#include "ExitCode.h"
#include "UnitCommand.h"
#include "commands/DownloadCommand.h"
#include "commands/DumpCommand.h"
#include "commands/FirmwareCommand.h"
#include "commands/GatewayLoginCommand.h"
#include "commands/GatewayLoginsCommand.h"
#include "commands/GatewayTokenCommand.h"
#include "commands/HistoryCommand.h"
#include "commands/PageCommand.h"
#include "commands/PrintCommand.h"
#include "commands/ReportCommand.h"
#include "commands/ServeCommand.h"
#include "commands/StatusCommand.h"
#include "commands/UploadCommand.h"
#include "commands/VoiceCommand.h"

#include <QRegularExpression>

#include <algorithm>
#include <cstdlib>

namespace {

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
gateway-login, gateway-token and gateway-logins keep the gateway's logins and tokens in the
settings file that the console and serve read (only hashes: no password or token is kept);
gateway-logins only reads it. history only reads the page history that the console, page
and serve keep ($XDG_DATA_HOME/Brindleco Signals/tavolux/pages.sqlite), which holds the
pages of the days the console's gateway settings say (365 unless changed).
Exit codes: 0 done, 1 wrong usage (a page text included, or an output that is one of the
command's own inputs), 2 the port cannot be opened or the saved line settings cannot be used,
3 no connection to the unit (no answer, or the line was lost; for firmware, the boot loader
did not answer), 4 the unit refused the page, transfer or firmware, 5 a file cannot be read
or written (the database, the HEX or WAV files, -o FILE, or stdout: a full disk, a closed
stdout, a FIFO or a folder in the way alike), 6 the database file is damaged (its checksum
does not match its contents), 7 the report could not be printed (the printer cannot be opened
or the PDF file cannot be written, for whatever reason), 130 or 143 ended by SIGINT or
SIGTERM (firmware, voice, download and upload say what the unit may be left with; serve
ends with 0 once the page on the line is done).
While a console or serve runs for this user, page hands it the page instead of opening the
port and ends as if it had sent the page itself (3 when that console is offline).
Messages are the console's own and go to stderr; progress too, when stderr is a terminal.)";

} // namespace

CommandLine::CommandLine()
    : answerTimeoutMs_(BlockTransfer::AnswerTimeoutMs)
{
    commands_.push_back(std::make_unique<PageCommand>());
    commands_.push_back(std::make_unique<DownloadCommand>());
    commands_.push_back(std::make_unique<UploadCommand>());
    commands_.push_back(std::make_unique<StatusCommand>());
    commands_.push_back(std::make_unique<DumpCommand>());
    commands_.push_back(std::make_unique<FirmwareCommand>());
    commands_.push_back(std::make_unique<VoiceCommand>());
    commands_.push_back(std::make_unique<GatewayLoginCommand>());
    commands_.push_back(std::make_unique<GatewayTokenCommand>());
    commands_.push_back(std::make_unique<GatewayLoginsCommand>());
    commands_.push_back(std::make_unique<ServeCommand>());
    commands_.push_back(std::make_unique<HistoryCommand>());
    reportingCommands_.push_back(std::make_unique<ReportCommand>());
    reportingCommands_.push_back(std::make_unique<PrintCommand>());

    QList<const CommandDeclaration*> declarations;
    for (const std::unique_ptr<Command>& command : commands_)
        declarations << &command->declaration();
    for (const std::unique_ptr<ReportingCommand>& command : reportingCommands_)
        declarations << &command->declaration();

    QString description = QString::fromUtf8(Introduction);
    QStringList names;
    for (const CommandDeclaration* declaration : declarations) {
        description += declaration->usage();
        names << declaration->name;
    }
    parser_.setApplicationDescription(description + QString::fromUtf8(Notes));
    parser_.addHelpOption();
    for (const std::unique_ptr<Command>& command : commands_)
        for (const QCommandLineOption& option : command->declaration().options)
            if (!hasOption(options_, option))
                options_ << option;
    parser_.addOptions(options_);
    const QString last = names.takeLast();
    parser_.addPositionalArgument(QStringLiteral("command"),
                                  names.join(QStringLiteral(", ")) + QStringLiteral(" or ") + last);
}

CommandLine::~CommandLine() = default;

Command* CommandLine::check(const QStringList& commandLine)
{
    auto refuse = [](const QString& text) {
        Cli::fail(text);
        return nullptr;
    };
    commandLine_ = commandLine;
    if (ReportingCommand* command = reportingCommand(commandLine.value(1))) {
        if (const std::optional<QString> refusal = command->check(*this))
            return refuse(*refusal);
        return command;
    }
    // QCommandLineParser would name the application, and that is the console's name.
    if (!parser_.parse(commandLine))
        return refuse(parser_.errorText());
    if (parser_.isSet(QStringLiteral("help")) || parser_.isSet(QStringLiteral("help-all"))) {
        if (const Command* command = find(parser_.positionalArguments().value(0)))
            std::exit(command->declaration().showHelp());
        parser_.showHelp(Cli::Success);
    }
    if (const std::optional<QString> refusal = checkCommon())
        return refuse(*refusal);
    // The options only voice takes are refused for every other command before its own checks;
    // the others' in each command's place.
    const QString name = arguments_.first();
    if (name != u"voice") {
        if (const std::optional<QString> refusal = refuseOptionsOnlyFor(QStringLiteral("voice")))
            return refuse(*refusal);
    }
    if (name != u"serve") {
        if (const std::optional<QString> refusal = refuseOptionsOnlyFor(QStringLiteral("serve")))
            return refuse(*refusal);
    }
    Command* command = find(name);
    if (!command) {
        return refuse(
            refuseOptionsOnlyFor(QStringLiteral("page"))
                .value_or(QStringLiteral("unknown command or missing DBFILE; see --help")));
    }
    if (const std::optional<QString> refusal = command->check(*this))
        return refuse(*refusal);
    // The commands share one parser: an option of another command is refused, not ignored.
    for (const QString& given : parser_.optionNames()) {
        const QList<QCommandLineOption>& taken = command->declaration().options;
        if (std::none_of(taken.begin(), taken.end(), [&](const QCommandLineOption& option) {
                return option.names().contains(given);
            }))
            return refuse(QStringLiteral("--%1 is not an option of %2").arg(given, name));
    }
    return command;
}

std::optional<QString> CommandLine::checkCommon()
{
    for (const QCommandLineOption& option : options_)
        if (parser_.values(option).size() > 1)
            return QStringLiteral("--%1 is given more than once").arg(option.names().first());
    arguments_ = parser_.positionalArguments();
    if (arguments_.isEmpty())
        return QStringLiteral("no command; see --help");
    if (parser_.isSet(UnitCommand::PortOption) && port().trimmed().isEmpty())
        return QStringLiteral("--port needs the name or path of a port");
    if (parser_.isSet(UnitCommand::TimeoutOption)) {
        // toDouble() alone would take " 2", "+2" and "1e2".
        static const QRegularExpression decimal(QStringLiteral("^[0-9]+(\\.[0-9]+)?$"));
        const QString text = parser_.value(UnitCommand::TimeoutOption);
        bool ok = false;
        const double seconds = text.toDouble(&ok);
        if (!decimal.match(text).hasMatch() || !ok || !(seconds >= 0.1 && seconds <= 3600))
            return QStringLiteral("--timeout takes seconds from 0.1 to 3600");
        answerTimeoutMs_ = static_cast<int>(seconds * 1000);
        timeoutGiven_ = true;
    }
    return std::nullopt;
}

QString CommandLine::port() const
{
    return parser_.value(UnitCommand::PortOption);
}

std::optional<QString> CommandLine::refuseOptionsOnlyFor(const QString& owner) const
{
    const Command* ownerCommand = find(owner);
    QList<QCommandLineOption> ownOptions;
    for (const QCommandLineOption& option : ownerCommand->declaration().options) {
        bool takenByOthers = false;
        for (const std::unique_ptr<Command>& other : commands_)
            if (other.get() != ownerCommand)
                takenByOthers = takenByOthers || hasOption(other->declaration().options, option);
        if (!takenByOthers)
            ownOptions << option;
    }
    if (std::none_of(ownOptions.begin(), ownOptions.end(),
                     [&](const QCommandLineOption& option) { return parser_.isSet(option); }))
        return std::nullopt;
    QStringList names;
    for (const QCommandLineOption& option : ownOptions)
        names << QStringLiteral("--") + option.names().first();
    if (names.size() == 1)
        return QStringLiteral("%1 is for %2 only").arg(names.first(), owner);
    const QString last = names.takeLast();
    return QStringLiteral("%1 and %2 are for %3 only")
        .arg(names.join(QStringLiteral(", ")), last, owner);
}

ReportingCommand* CommandLine::reportingCommand(const QString& name) const
{
    for (const std::unique_ptr<ReportingCommand>& command : reportingCommands_)
        if (command->name() == name)
            return command.get();
    return nullptr;
}

QList<const ReportingCommand*> CommandLine::reportingCommands() const
{
    QList<const ReportingCommand*> commands;
    for (const std::unique_ptr<ReportingCommand>& command : reportingCommands_)
        commands << command.get();
    return commands;
}

QList<QCommandLineOption> CommandLine::unitOptions() const
{
    QList<QCommandLineOption> options{UnitCommand::PortOption, UnitCommand::TimeoutOption};
    for (const QCommandLineOption& option : options_)
        if (!hasOption(options, option))
            options << option;
    return options;
}

Command* CommandLine::find(const QString& name) const
{
    for (const std::unique_ptr<Command>& command : commands_)
        if (command->name() == name)
            return command.get();
    return nullptr;
}
