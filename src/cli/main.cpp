// tavolux-cli: pages, transfers and database dumps from a site's own scripts.
#include "CliFiles.h"
#include "CommandLine.h"
#include "ReportCommands.h"
#include "SettingsStore.h"
#include "UnitCommand.h"

#include <QCoreApplication>

static int runCommand(int argc, char* argv[])
{
    if (const std::optional<int> code = ReportCommands::run(argc, argv))
        return *code;
    QCoreApplication app(argc, argv);
    QCoreApplication::setOrganizationName(QString::fromLatin1(SettingsStore::Organisation));
    QCoreApplication::setApplicationName(QString::fromLatin1(SettingsStore::Application));

    CommandLine commandLine;
    Command* command = commandLine.check(app.arguments());
    if (!command)
        return Cli::UsageError;
    PortSettings settings = SettingsStore::portSettings();
    if (!commandLine.port().isEmpty())
        settings.port = commandLine.port();
    Unit unit(settings, commandLine.answerTimeoutMs());
    return command->run(unit);
}

int main(int argc, char* argv[])
{
    CliFiles::guardStandardStreams();
    const int code = runCommand(argc, argv);
    // A result that did not reach stdout is no success, however far the command got.
    if (!CliFiles::closeStandardOutput() && code == Cli::Success)
        return Cli::FileProblem;
    return code;
}
