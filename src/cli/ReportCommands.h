#pragma once

#include <optional>

// tavolux-cli report and print: a report of a database file as tab-separated text, or printed
// as the console prints it. Both only read the database; the output file is the only one written.
namespace ReportCommands {

// The exit code when the command line is a report or print command, std::nullopt otherwise.
std::optional<int> run(int argc, char* argv[]);

// For --help.
extern const char* const Usage;

} // namespace ReportCommands
