#include "DatabaseFile.h"

#include "CliFiles.h"
#include "CommandLine.h"

std::optional<QString> DatabaseFile::checkDatabaseFile(const CommandLine& line)
{
    if (const std::optional<QString> refusal = line.refuseOptionsOnlyFor(QStringLiteral("page")))
        return refusal;
    if (line.arguments().size() != 2)
        return QStringLiteral("unknown command or missing DBFILE; see --help");
    databaseFile_ = line.arguments()[1];
    if (databaseFile_.isEmpty())
        return QStringLiteral("DBFILE is empty; name a database file");
    return std::nullopt;
}

std::optional<int> DatabaseFile::readInto(Database& database) const
{
    return CliFiles::readDatabase(database, databaseFile_);
}
