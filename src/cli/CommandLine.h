#pragma once

#include "Command.h"

#include <QCommandLineParser>

#include <memory>
#include <vector>

class ReportingCommand;

// The command line: the parser the commands share (all but report and print, which take options
// of their own), the whole help and the checks every command has in common, made from the
// commands' declarations.
class CommandLine {
public:
    CommandLine();
    ~CommandLine();

    // Checks everything on the command line before the line or a file is touched: the command
    // to run, or nullptr once the refusal is said. --help shows the help and ends the program.
    Command* check(const QStringList& commandLine);
    // report or print when name is theirs: they take an application of their own (see
    // ReportingCommand) and read the command line with their own parser.
    ReportingCommand* reportingCommand(const QString& name) const;

    // The whole command line check() was given.
    const QStringList& commandLine() const { return commandLine_; }
    // report and print, in the order the help lists them.
    QList<const ReportingCommand*> reportingCommands() const;
    // The options of the commands that talk to the unit: the ones every unit command takes, then
    // the others.
    QList<QCommandLineOption> unitOptions() const;

    const QCommandLineParser& parser() const { return parser_; }
    // The positional arguments, the command's name first.
    const QStringList& arguments() const { return arguments_; }
    // The port --port names; empty: the saved one.
    QString port() const;
    int answerTimeoutMs() const { return answerTimeoutMs_; }
    bool timeoutGiven() const { return timeoutGiven_; }
    // "--to is for page only" when an option that only owner takes is given.
    std::optional<QString> refuseOptionsOnlyFor(const QString& owner) const;

private:
    std::optional<QString> checkCommon();
    Command* find(const QString& name) const;

    std::vector<std::unique_ptr<Command>> commands_;
    std::vector<std::unique_ptr<ReportingCommand>> reportingCommands_;
    QStringList commandLine_;
    QList<QCommandLineOption> options_;
    QCommandLineParser parser_;
    QStringList arguments_;
    int answerTimeoutMs_;
    bool timeoutGiven_ = false;
};
