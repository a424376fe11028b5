#include "StatusCommand.h"

#include "CliFiles.h"
#include "CommandLine.h"
#include "UnitText.h"

StatusCommand::StatusCommand()
    : UnitCommand(
          {QStringLiteral("status"),
           QString(),
           QStringLiteral("print the unit's status text (control characters written out: ^[\n"
                          "for ESC, \\x9b for the 8-bit ones)"),
           {PortOption, TimeoutOption}})
{}

std::optional<QString> StatusCommand::check(const CommandLine& line)
{
    if (const std::optional<QString> refusal = line.refuseOptionsOnlyFor(QStringLiteral("page")))
        return refusal;
    if (line.arguments().size() != 1)
        return QStringLiteral("unknown command or missing DBFILE; see --help");
    return std::nullopt;
}

std::optional<int> StatusCommand::prepare(Unit&)
{
    return CliFiles::refuseStandardOutput({});
}

int StatusCommand::talk(Unit& unit)
{
    unit.session.StatusCommand();
    if (unit.host.failed())
        return Cli::TransferFailed;
    return CliFiles::writeStandardOutput(UnitText::visible(unit.host.statusText()).toUtf8() + '\n')
               ? Cli::Success
               : Cli::FileProblem;
}
