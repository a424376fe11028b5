#pragma once

#include "Command.h"
#include "ExitCode.h"
#include "ReportContent.h"

#include <QCommandLineParser>
#include <QGuiApplication>

#include <memory>

// report and print: a report of a database file, as tab-separated text or printed as the
// console prints it. Both only read the database; their output is the only file written. They
// read the command line with a parser of their own, which also knows the other commands'
// options, so that one given to them is named as such rather than as unknown.
class ReportingCommand : public Command {
public:
    // Whether help is asked for anywhere after the command's name, an option's value included.
    static bool asksForHelp(int argc, char* argv[]);
    // Printing measures text with fonts, which takes a GUI application; a command line shows no
    // window, so it needs no display.
    static std::unique_ptr<QGuiApplication> application(int& argc, char* argv[]);

    std::optional<QString> check(const CommandLine& line) final;
    int run(const CommandLine& line) final;

    // The options both take.
    static const QCommandLineOption ColumnsOption;
    static const QCommandLineOption SortOption;

protected:
    using Command::Command;

    // What only this command checks, once the kind, DBFILE, columns and sorting are.
    virtual std::optional<QString> checkOwnOptions(const QCommandLineParser& parser) = 0;
    // Before the database is read: the output refused or not (the exit code).
    virtual std::optional<int> refuseOutput(const QStringList& inputs) const = 0;
    // Returns the exit code.
    virtual int deliver(QList<ReportRow> rows) const = 0;

    // An output file that is one of inputs or cannot be replaced, refused with unwritable.
    static std::optional<int> refuseOutputFile(const QString& target, const QStringList& inputs,
                                               Cli::ExitCode unwritable);

    ReportKind kind_ = ReportKind::Pagers;
    QList<bool> chosenColumns_;

private:
    QString databaseFile_;
    int sortColumn_ = -1;
    bool ascending_ = true;
};
