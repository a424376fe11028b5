#pragma once

#include "CliHost.h"
#include "Command.h"
#include "Database.h"
#include "PortSettings.h"
#include "UnitSession.h"

#include <functional>

// What the commands run with: the console's saved line settings (with the port the command line
// names), the database the transfers use, and the session on the unit.
class Unit {
public:
    Unit(PortSettings settings, int answerTimeoutMs);
    Unit(const Unit&) = delete;
    Unit& operator=(const Unit&) = delete;

    PortSettings settings;
    Database database;
    CliHost host;
    UnitSession session;
};

// The saved settings checked and the port opened, or why not (said; the exit code).
std::optional<int> openPort(Unit& unit);

// A command that talks to the unit. Everything that can be refused without the line is
// refused first; then the port is opened (or the command fails), the unit connected, the
// command's own dialogue held, and the unit disconnected.
class UnitCommand : public Command {
public:
    using Command::Command;
    // Makes the Unit from the saved line settings and the command line's --port and --timeout.
    int run(const CommandLine& line) override;

    // The options every unit command takes.
    static const QCommandLineOption PortOption;
    static const QCommandLineOption TimeoutOption;

protected:
    // Before the line is touched: files read, outputs checked. An exit code ends the command.
    virtual std::optional<int> prepare(Unit&) { return std::nullopt; }
    // What SIGINT or SIGTERM leaves the unit with once the line is touched; empty when the
    // command changes nothing on the unit.
    virtual QString interruptedState() const { return {}; }
    // Says state instead when a signal comes from now on (also used for interruptedState()).
    static void sayOnInterrupt(const QString& state);
    // False for the firmware update, whose boot loader has a dialogue of its own.
    virtual bool connectsFirst() const { return true; }
    // The command's own dialogue with the unit; returns the exit code.
    virtual int talk(Unit& unit) = 0;
};
