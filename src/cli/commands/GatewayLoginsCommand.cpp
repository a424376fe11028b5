#include "GatewayLoginsCommand.h"

#include "CliFiles.h"
#include "CommandLine.h"
#include "GatewaySettings.h"

#include <QSettings>

GatewayLoginsCommand::GatewayLoginsCommand()
    : Command({QStringLiteral("gateway-logins"),
               QString(),
               QStringLiteral("list the gateway's logins and tokens by name, one a line:\n"
                              "\"login NAME\" or \"token NAME\""),
               {}})
{}

std::optional<QString> GatewayLoginsCommand::check(const CommandLine& line)
{
    if (line.arguments().size() != 1)
        return QStringLiteral("gateway-logins takes no arguments");
    return std::nullopt;
}

int GatewayLoginsCommand::run(const CommandLine&)
{
    if (const std::optional<int> refused = CliFiles::refuseStandardOutput({QSettings().fileName()}))
        return *refused;
    const GatewaySettings settings = GatewaySettings::load();
    QByteArray list;
    for (const Credential& login : settings.logins)
        list += "login " + login.name.toUtf8() + '\n';
    for (const Credential& token : settings.tokens)
        list += "token " + token.name.toUtf8() + '\n';
    return CliFiles::writeStandardOutput(list) ? CliFiles::Success : CliFiles::FileProblem;
}
