#pragma once

#include "ChildProcess.h"

#include "../../src/cli/ExitCode.h"

#include <QElapsedTimer>
#include <QString>
#include <QStringList>
#include <QTemporaryDir>

#include <functional>
#include <memory>

// tavolux-cli as a site's script runs it: started as a process of its own, with what it wrote
// and its exit code collected at the end.

struct CliRun {
    int exitCode;
    QByteArray out;
    QByteArray err;
    qint64 elapsedMs;
};

struct CliSetting {
    // The settings folder (XDG_CONFIG_HOME) of the run; empty: the environment's.
    QString configFolder = {};
    // A shell command line that sets the stage first (a file-size limit, where stdout goes):
    // "$0" is tavolux-cli, "$@" its arguments. Empty: tavolux-cli is started directly.
    QString shellStage = {};
    // Run while the command runs (a unit switched on, a file changed).
    std::function<void()> meanwhile = {};
    // A command still running after this long is killed and fails the test.
    int timeoutMs = 60000;
    // The runtime folder (XDG_RUNTIME_DIR) where page finds a running console; empty: a folder
    // no console uses, so that a console another test started does not take the page.
    QString runtimeFolder = {};
    // The data folder (XDG_DATA_HOME) where the page history is kept; empty: the environment's
    // (the test programs' mains point it at a folder of their own).
    QString dataFolder = {};
};

// A runtime folder of this test program's own, where no console runs.
inline QString privateRuntimeFolder()
{
    static const QTemporaryDir folder;
    return folder.path();
}

// Starts tavolux-cli, for a test that signals it while it runs.
inline std::unique_ptr<ChildProcess> startCli(const QStringList& arguments,
                                              const CliSetting& setting = {})
{
    QStringList environment{QStringLiteral("XDG_RUNTIME_DIR=") +
                            (setting.runtimeFolder.isEmpty() ? privateRuntimeFolder()
                                                             : setting.runtimeFolder)};
    if (!setting.dataFolder.isEmpty())
        environment << QStringLiteral("XDG_DATA_HOME=") + setting.dataFolder;
    if (!setting.configFolder.isEmpty())
        environment << QStringLiteral("XDG_CONFIG_HOME=") + setting.configFolder;
    if (setting.shellStage.isEmpty())
        return std::make_unique<ChildProcess>(QStringLiteral(TAVOLUX_CLI), arguments, environment);
    return std::make_unique<ChildProcess>(
        QStringLiteral("/bin/sh"),
        QStringList{QStringLiteral("-c"), setting.shellStage, QStringLiteral(TAVOLUX_CLI)} +
            arguments,
        environment);
}

// Runs tavolux-cli to its end.
inline CliRun runCli(const QStringList& arguments, const CliSetting& setting = {})
{
    QElapsedTimer clock;
    clock.start();
    const std::unique_ptr<ChildProcess> process = startCli(arguments, setting);
    if (setting.meanwhile)
        setting.meanwhile();
    const int code = process->wait(setting.timeoutMs);
    return {code, process->standardOutput(), process->standardError(), clock.elapsed()};
}
