#pragma once

#include "CliFiles.h"

#include <optional>

// tavolux-cli report and print: a report of a database file as tab-separated text, or printed
// as the console prints it. Both only read the database; the output file is the only one written.
namespace ReportCommands {

// The exit code when the command line is a report or print command, std::nullopt otherwise.
std::optional<int> run(int argc, char* argv[]);

// Their lines of the help: report, then print.
extern const CliFiles::CommandUsage Usages[2];

} // namespace ReportCommands
