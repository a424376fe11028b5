#pragma once

class QString;

// What every tavolux-cli command ends with, as scripts (and the tests) test for it.
namespace Cli {

enum ExitCode {
    Success = 0,
    UsageError = 1,
    PortProblem = 2,
    NotConnected = 3,
    TransferFailed = 4,
    FileProblem = 5,
    DamagedDatabase = 6,
    PrintFailed = 7,
};

// "tavolux-cli: text" on stderr.
void fail(const QString& text);

} // namespace Cli
