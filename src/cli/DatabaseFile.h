#pragma once

#include <QString>

#include <optional>

class CommandLine;
class Database;

// The DBFILE of the commands that name one (download, upload and dump): checked, and read or
// refused, in one place.
class DatabaseFile {
public:
    // What is wrong with DBFILE on the command line (or an option of page's), if anything.
    std::optional<QString> checkDatabaseFile(const CommandLine& line);
    // Reads DBFILE without changing any file; on failure says why and returns the exit code.
    std::optional<int> readInto(Database& database) const;
    const QString& databaseFile() const { return databaseFile_; }

private:
    QString databaseFile_;
};
