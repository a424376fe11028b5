#include "VoiceCommand.h"

#include "CommandLine.h"
#include "ExitCode.h"
#include "VoicePrompts.h"

#include <QDir>

namespace {

const QCommandLineOption
    LanguageOption(QStringLiteral("language"),
                   QStringLiteral("The voice prompts' language: 0 to 10 or its name."),
                   QStringLiteral("N|NAME"));
const QCommandLineOption DirOption(QStringLiteral("dir"),
                                   QStringLiteral("The folder of the WAV files."),
                                   QStringLiteral("DIR"));

} // namespace

VoiceCommand::VoiceCommand()
    : UnitCommand(
          {QStringLiteral("voice"),
           QStringLiteral("--language N|NAME [--dir DIR]"),
           QStringLiteral("send the six voice prompts of a language (0 to 10, or its name:\n"
                          "English (US), Spanish, ...) from DIR/<name in lower case>1.wav\n"
                          "to 6.wav; DIR is the current folder unless given"),
           {PortOption, TimeoutOption, LanguageOption, DirOption}})
{}

std::optional<QString> VoiceCommand::check(const CommandLine& line)
{
    const std::optional<int> language =
        VoicePrompts::languageIndex(line.parser().value(LanguageOption));
    if (line.arguments().size() != 1 || !language)
        return QStringLiteral("voice needs --language with 0 to 10 or a language's name, and "
                              "nothing else; see --help");
    language_ = *language;
    folder_ = line.parser().isSet(DirOption) ? line.parser().value(DirOption) : QDir::currentPath();
    if (folder_.isEmpty())
        return QStringLiteral("--dir is empty; name a folder");
    return std::nullopt;
}

std::optional<int> VoiceCommand::prepare(Unit& unit)
{
    QString error;
    const std::optional<QByteArray> block = VoicePrompts::build(folder_, language_, &error);
    if (!block) {
        Cli::fail(error);
        return Cli::FileProblem;
    }
    unit.host.setVoiceBlock(*block);
    return std::nullopt;
}

QString VoiceCommand::interruptedState() const
{
    return QStringLiteral("the unit's voice prompts may be incomplete: run voice again");
}

int VoiceCommand::talk(Unit& unit)
{
    unit.session.VoicePromptUpdateCommand();
    return unit.host.failed() ? Cli::TransferFailed : Cli::Success;
}
