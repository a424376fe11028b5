#include "GatewayCredentialCommand.h"

#include "CommandLine.h"
#include "ExitCode.h"

#include <QSettings>

#include <algorithm>

const QCommandLineOption
    GatewayCredentialCommand::RemoveOption(QStringLiteral("remove"),
                                           QStringLiteral("Take NAME's login or token away."));

GatewayCredentialCommand::GatewayCredentialCommand(CommandDeclaration declaration, QString kind)
    : Command(std::move(declaration))
    , kind_(std::move(kind))
{}

std::optional<QString> GatewayCredentialCommand::check(const CommandLine& line)
{
    if (line.arguments().size() != 2)
        return QStringLiteral("%1 needs one NAME").arg(name());
    name_ = line.arguments().at(1);
    if (!GatewaySettings::isLoginName(name_))
        return QStringLiteral("\"%1\" is no %2 name: 1 to 32 letters, digits, '.', '_', '-' or '@'")
            .arg(name_, kind_);
    remove_ = line.parser().isSet(RemoveOption);
    return std::nullopt;
}

int GatewayCredentialCommand::run(const CommandLine&)
{
    GatewaySettings settings = GatewaySettings::load();
    QList<Credential>& credentials = credentialsIn(settings);
    const auto held = std::ranges::find(credentials, name_, &Credential::name);
    if (remove_) {
        if (held == credentials.end()) {
            Cli::fail(QStringLiteral("there is no %1 named %2").arg(kind_, name_));
            return Cli::UsageError;
        }
        credentials.erase(held);
    } else {
        std::variant<Credential, int> made = make(name_);
        if (const int* code = std::get_if<int>(&made))
            return *code;
        // A new secret for a name takes the old one's place.
        if (held != credentials.end())
            *held = std::get<Credential>(made);
        else
            credentials.append(std::get<Credential>(made));
    }
    if (!settings.save()) {
        Cli::fail(QStringLiteral("%1 could not be written; the %2 %3 is as it was")
                      .arg(QSettings().fileName(), kind_, name_));
        return Cli::FileProblem;
    }
    return Cli::Success;
}
