#pragma once

#include "Command.h"

#include <optional>

// tavolux-cli report and print: a report of a database file as tab-separated text, or printed
// as the console prints it. Both only read the database; the output file is the only one written.
namespace ReportCommands {

// The exit code when the command line is a report or print command, std::nullopt otherwise.
std::optional<int> run(int argc, char* argv[]);

// What they take and do, for the help: report, then print. Their options are checked by their
// own parser, which names the unit commands' options as such.
extern const CommandDeclaration Declarations[2];

} // namespace ReportCommands
