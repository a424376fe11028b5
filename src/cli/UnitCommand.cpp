#include "UnitCommand.h"

#include "CommandLine.h"
#include "ExitCode.h"
#include "SerialPort.h"
#include "SettingsStore.h"

#include <algorithm>
#include <csignal>
#include <cstring>
#include <unistd.h>

namespace {

// What SIGINT or SIGTERM leaves behind while a command changes the unit: said from the
// handler, which may only write and end.
char interruptedText[512];
size_t interruptedLength = 0;

extern "C" void endInterrupted(int signalNumber)
{
    [[maybe_unused]] const ssize_t written =
        ::write(STDERR_FILENO, interruptedText, interruptedLength);
    ::_exit(128 + signalNumber);
}

} // namespace

// From here on SIGINT and SIGTERM end the command with their conventional code, saying what the
// unit may be left with.
void UnitCommand::sayOnInterrupt(const QString& state)
{
    const QByteArray text =
        QStringLiteral("\ntavolux-cli: ended by a signal; %1\n").arg(state).toLocal8Bit();
    // The handler must not see the text half changed.
    sigset_t interrupts;
    sigemptyset(&interrupts);
    sigaddset(&interrupts, SIGINT);
    sigaddset(&interrupts, SIGTERM);
    sigset_t previous;
    ::sigprocmask(SIG_BLOCK, &interrupts, &previous);
    interruptedLength = std::min<size_t>(static_cast<size_t>(text.size()), sizeof interruptedText);
    std::memcpy(interruptedText, text.constData(), interruptedLength);
    ::sigprocmask(SIG_SETMASK, &previous, nullptr);
    struct sigaction action {};
    action.sa_handler = endInterrupted;
    sigemptyset(&action.sa_mask);
    ::sigaction(SIGINT, &action, nullptr);
    ::sigaction(SIGTERM, &action, nullptr);
}

std::optional<int> openPort(Unit& unit)
{
    if (!unit.settings.usable()) {
        Cli::fail(UnitSession::unusableSettingText(unit.settings));
        return Cli::PortProblem;
    }
    unit.session.openPort(unit.settings);
    if (!unit.session.hasOpenPort()) {
        Cli::fail(QStringLiteral("cannot open %1: %2")
                      .arg(unit.session.port()->GetName(), unit.session.port()->GetErrorText()));
        return Cli::PortProblem;
    }
    return std::nullopt;
}

Unit::Unit(PortSettings saved, int answerTimeoutMs)
    : settings(std::move(saved))
    , host(database.image(), settings)
    , session(host)
{
    session.setAnswerTimeout(answerTimeoutMs);
    host.setSession(&session);
}

const QCommandLineOption UnitCommand::PortOption(QStringLiteral("port"),
                                                 QStringLiteral("The port the unit is on."),
                                                 QStringLiteral("DEV"));
const QCommandLineOption UnitCommand::TimeoutOption(
    QStringLiteral("timeout"),
    QStringLiteral("Seconds the unit may take over each answer (default 5)."),
    QStringLiteral("SECONDS"));

int UnitCommand::run(const CommandLine& line)
{
    PortSettings settings = SettingsStore::portSettings();
    if (!line.port().isEmpty())
        settings.port = line.port();
    Unit unit(settings, line.answerTimeoutMs());
    if (const std::optional<int> refused = prepare(unit))
        return *refused;
    const QString state = interruptedState();
    if (!state.isEmpty())
        sayOnInterrupt(state);
    if (const std::optional<int> failed = openPort(unit))
        return *failed;
    if (!connectsFirst())
        return talk(unit);
    unit.session.ConnectCommand();
    if (!unit.session.isOnline())
        return Cli::NotConnected;
    const int code = talk(unit);
    if (unit.host.linkFailed())
        return Cli::NotConnected;
    if (unit.session.isOnline())
        unit.session.DisconnectCommand();
    return code;
}
