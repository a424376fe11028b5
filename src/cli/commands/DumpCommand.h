#pragma once

#include "Command.h"
#include "DatabaseFile.h"

// dump DBFILE: DBFILE and its names file as JSON on stdout. It shares the unit commands'
// command line, and so takes (and has no use for) --port and --timeout.
class DumpCommand : public Command, private DatabaseFile {
public:
    DumpCommand();
    std::optional<QString> check(const CommandLine& line) override
    {
        return checkDatabaseFile(line);
    }
    int run(const CommandLine& line) override;
};
