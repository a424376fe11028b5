#include "DumpCommand.h"

#include "CliFiles.h"
#include "Database.h"
#include "DatabaseDump.h"
#include "UnitCommand.h"

#include <QJsonDocument>

DumpCommand::DumpCommand()
    : Command({QStringLiteral("dump"),
               QStringLiteral("DBFILE"),
               QStringLiteral("print DBFILE and its names file as JSON"),
               {UnitCommand::PortOption, UnitCommand::TimeoutOption}})
{}

int DumpCommand::run(const CommandLine&)
{
    if (const std::optional<int> refused =
            CliFiles::refuseStandardOutput(CliFiles::databaseInputs(databaseFile())))
        return *refused;
    Database database;
    if (const std::optional<int> refused = readInto(database))
        return *refused;
    return CliFiles::writeStandardOutput(
               QJsonDocument(dumpDatabase(database, true)).toJson(QJsonDocument::Indented))
               ? Cli::Success
               : Cli::FileProblem;
}
