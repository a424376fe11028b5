#include "DownloadCommand.h"

#include "ExitCode.h"

DownloadCommand::DownloadCommand()
    : UnitCommand({QStringLiteral("download"),
                   QStringLiteral("DBFILE"),
                   QStringLiteral("send the configuration in DBFILE to the unit"),
                   {PortOption, TimeoutOption}})
{}

QString DownloadCommand::interruptedState() const
{
    return QStringLiteral("the unit may hold part of the configuration: run download again");
}

int DownloadCommand::talk(Unit& unit)
{
    unit.session.DownloadCommand();
    return unit.session.isOnline() ? Cli::Success : Cli::TransferFailed;
}
