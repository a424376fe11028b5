#include "UploadCommand.h"

#include "AtomicFile.h"
#include "ExitCode.h"

namespace {

int cannotSave(const QString& file, const QString& error)
{
    Cli::fail(QStringLiteral("The database could not be saved to %1.\n%2").arg(file, error));
    return Cli::FileProblem;
}

} // namespace

UploadCommand::UploadCommand()
    : UnitCommand({QStringLiteral("upload"),
                   QStringLiteral("DBFILE"),
                   QStringLiteral("read the unit's configuration into DBFILE (written with its\n"
                                  "version byte and checksum; the names file is left as it is)"),
                   {PortOption, TimeoutOption}})
{}

std::optional<int> UploadCommand::prepare(Unit&)
{
    // The unit's image would have nowhere to go: say so before the line is touched.
    QString error;
    if (!AtomicFile::canReplace(databaseFile(), &error))
        return cannotSave(databaseFile(), error);
    return std::nullopt;
}

QString UploadCommand::interruptedState() const
{
    return QStringLiteral("the unit is unchanged, and %1 is as it was").arg(databaseFile());
}

int UploadCommand::talk(Unit& unit)
{
    unit.session.UploadCommand();
    if (!unit.session.isOnline())
        return Cli::TransferFailed;
    QString error;
    if (!unit.database.writeDatabaseFile(databaseFile(), &error))
        return cannotSave(databaseFile(), error);
    // The disconnect is still to come.
    sayOnInterrupt(QStringLiteral("the unit is unchanged, and %1 holds its configuration")
                       .arg(databaseFile()));
    return Cli::Success;
}
