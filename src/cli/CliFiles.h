#pragma once

#include "ExitCode.h"

#include <QString>
#include <QStringList>

#include <optional>

class Database;

// What every tavolux-cli command does alike with its files and its standard output: reading a
// database only to look at it, refusing an output that is one of the command's own inputs, and
// writes to stdout that count only once they have arrived.
namespace CliFiles {

using namespace Cli;

// First thing in main. A standard stream that was closed gets /dev/null, so that no file or
// port the command opens can take its number and receive what was meant for the terminal; a
// closed stdout is remembered and refused as an output. A file-size limit makes writes fail
// instead of killing the command without a word.
void guardStandardStreams();

// The files a command that reads a database reads: the database and its names file.
QStringList databaseInputs(const QString& databasePath);

// Refuses (on stderr, returning the exit code) an output file that is one of inputs, whatever
// path or link names it.
std::optional<int> refuseOutputFile(const QString& output, const QStringList& inputs);
// The same for stdout, and a closed stdout; for the commands that print their result.
std::optional<int> refuseStandardOutput(const QStringList& inputs);

// Reads the database at path without changing any file; on failure says why and returns the
// exit code.
std::optional<int> readDatabase(Database& database, const QString& path);

// Writes bytes to stdout and pushes them out of the buffer; on failure says why (false).
bool writeStandardOutput(const QByteArray& bytes);
// At the end of every command: flushes and closes stdout; on failure says why (false).
bool closeStandardOutput();

} // namespace CliFiles
