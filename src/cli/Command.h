#pragma once

#include <QCommandLineOption>
#include <QList>
#include <QString>
#include <QStringList>

#include <optional>
#include <utility>

class CommandLine;

// What a command says about itself, once: the whole help, its own --help and the parser are
// made from it.
struct CommandDeclaration {
    QString name;
    // The positional arguments and options as its usage line shows them; a \n breaks the line.
    QString arguments;
    // What it does, one line of the help per \n.
    QString description;
    // The options it takes, in the order the whole help lists them.
    QList<QCommandLineOption> options;

    // Its lines in the whole help: the usage, then the description from column 28.
    QString usage() const;
    // COMMAND --help: the usage on stdout; returns the exit code.
    int showHelp() const;
};

// Whether options holds an option of the same names as option.
bool hasOption(const QList<QCommandLineOption>& options, const QCommandLineOption& option);

// One command of tavolux-cli: it checks what only it takes, then runs.
class Command {
public:
    explicit Command(CommandDeclaration declaration)
        : declaration_(std::move(declaration))
    {}
    virtual ~Command() = default;
    Command(const Command&) = delete;
    Command& operator=(const Command&) = delete;

    const CommandDeclaration& declaration() const { return declaration_; }
    const QString& name() const { return declaration_.name; }

    // Before the line or a file is touched: what is wrong with the command line, if anything.
    virtual std::optional<QString> check(const CommandLine& line) = 0;
    // Returns the exit code.
    virtual int run(const CommandLine& line) = 0;

private:
    CommandDeclaration declaration_;
};
