#include "DumpCommand.h"

#include "CliFiles.h"
#include "DatabaseDump.h"
#include "UnitCommand.h"

#include <QJsonDocument>

DumpCommand::DumpCommand()
    : Command({QStringLiteral("dump"),
               QStringLiteral("DBFILE"),
               QStringLiteral("print DBFILE and its names file as JSON"),
               {}})
{}

int DumpCommand::run(Unit& unit)
{
    if (const std::optional<int> refused =
            CliFiles::refuseStandardOutput(CliFiles::databaseInputs(databaseFile())))
        return *refused;
    if (const std::optional<int> refused = readInto(unit.database))
        return *refused;
    return CliFiles::writeStandardOutput(
               QJsonDocument(dumpDatabase(unit.database, true)).toJson(QJsonDocument::Indented))
               ? Cli::Success
               : Cli::FileProblem;
}
