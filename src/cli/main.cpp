// tavolux-cli: pages, transfers and database dumps from a site's own scripts.
#include "CliFiles.h"
#include "CommandLine.h"
#include "SettingsStore.h"
#include "commands/ReportingCommand.h"

#include <QCoreApplication>

static int runCommand(int argc, char* argv[])
{
    CommandLine commandLine;
    std::unique_ptr<QCoreApplication> app;
    // report and print print, which takes a GUI application; their help comes before it is made.
    if (const ReportingCommand* reporting =
            commandLine.reportingCommand(argc > 1 ? QString::fromLocal8Bit(argv[1]) : QString())) {
        if (ReportingCommand::asksForHelp(argc, argv))
            return reporting->declaration().showHelp();
        app = ReportingCommand::application(argc, argv);
    } else {
        app = std::make_unique<QCoreApplication>(argc, argv);
        QCoreApplication::setOrganizationName(QString::fromLatin1(SettingsStore::Organisation));
        QCoreApplication::setApplicationName(QString::fromLatin1(SettingsStore::Application));
    }
    Command* command = commandLine.check(QCoreApplication::arguments());
    if (!command)
        return Cli::UsageError;
    return command->run(commandLine);
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
