#pragma once

#include "DatabaseFile.h"
#include "UnitCommand.h"

// download DBFILE: the configuration in DBFILE sent to the unit.
class DownloadCommand : public UnitCommand, private DatabaseFile {
public:
    DownloadCommand();
    std::optional<QString> check(const CommandLine& line) override
    {
        return checkDatabaseFile(line);
    }

protected:
    std::optional<int> prepare(Unit& unit) override { return readInto(unit.database); }
    QString interruptedState() const override;
    int talk(Unit& unit) override;
};
