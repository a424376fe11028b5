#pragma once

#include "DatabaseFile.h"
#include "UnitCommand.h"

// upload DBFILE: the unit's configuration read into DBFILE.
class UploadCommand : public UnitCommand, private DatabaseFile {
public:
    UploadCommand();
    std::optional<QString> check(const CommandLine& line) override
    {
        return checkDatabaseFile(line);
    }

protected:
    std::optional<int> prepare(Unit& unit) override;
    QString interruptedState() const override;
    int talk(Unit& unit) override;
};
