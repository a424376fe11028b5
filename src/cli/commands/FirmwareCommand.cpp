#include "FirmwareCommand.h"

#include "CommandLine.h"
#include "ExitCode.h"
#include "FirmwareLoader.h"
#include "HexFile.h"
#include "RegularFile.h"

#include <QFile>

namespace {

// How long the boot loader may take to answer unless --timeout says otherwise.
constexpr int LoaderAnswerTimeoutMs = 60000;

} // namespace

FirmwareCommand::FirmwareCommand()
    : UnitCommand(
          {QStringLiteral("firmware"),
           QStringLiteral("FILE.hex"),
           QStringLiteral("load new firmware through the unit's boot loader: switch the unit\n"
                          "off, run the command, switch the unit on. The loader is called\n"
                          "until it answers (for --timeout seconds, 60 unless given, which is\n"
                          "also how long it may stay quiet later); exit code 0 only once it\n"
                          "has reported the programming complete. A file that is not text or\n"
                          "holds no record is refused; blank lines are passed over"),
           {PortOption, TimeoutOption}})
{}

std::optional<QString> FirmwareCommand::check(const CommandLine& line)
{
    if (line.refuseOptionsOnlyFor(QStringLiteral("page")) || line.arguments().size() != 2 ||
        line.arguments()[1].isEmpty())
        return QStringLiteral("firmware needs the HEX file and nothing else");
    file_ = line.arguments()[1];
    loaderTimeoutMs_ = line.timeoutGiven() ? line.answerTimeoutMs() : LoaderAnswerTimeoutMs;
    return std::nullopt;
}

std::optional<int> FirmwareCommand::prepare(Unit& unit)
{
    // The file must be there before anybody switches the unit off.
    QFile hex;
    QString error;
    if (!RegularFile::openForReading(hex, file_, QIODevice::Text, &error)) {
        Cli::fail(QStringLiteral("%1 cannot be read: %2").arg(file_, error));
        return Cli::FileProblem;
    }
    error = HexFile::problem(hex, FirmwareLoader::MaxLineLength);
    if (!error.isEmpty()) {
        Cli::fail(QStringLiteral("%1 cannot be sent: %2").arg(file_, error));
        return Cli::FileProblem;
    }
    unit.host.setFirmware(file_, loaderTimeoutMs_);
    return std::nullopt;
}

QString FirmwareCommand::interruptedState() const
{
    return QStringLiteral("the unit's firmware may be partly written: run the update again before "
                          "the unit is used");
}

// The port at its saved settings, no connect: the loader has its own dialogue.
int FirmwareCommand::talk(Unit& unit)
{
    unit.session.FirmwareUpdateCommand();
    if (unit.host.firmwareComplete())
        return Cli::Success;
    return unit.host.linkFailed() ? Cli::NotConnected : Cli::TransferFailed;
}
