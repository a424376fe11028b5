#include "GatewayTokenCommand.h"

#include "CliFiles.h"
#include "Credentials.h"

#include <QSettings>

GatewayTokenCommand::GatewayTokenCommand()
    : GatewayCredentialCommand(
          {QStringLiteral("gateway-token"),
           QStringLiteral("[--remove] NAME"),
           QStringLiteral("make a new gateway token NAME for HTTP and print it, once,\n"
                          "on stdout (NAME's old token stops working); --remove takes\n"
                          "the token away"),
           {RemoveOption}},
          QStringLiteral("token"))
{}

std::variant<Credential, int> GatewayTokenCommand::make(const QString& name)
{
    if (const std::optional<int> refused = CliFiles::refuseStandardOutput({QSettings().fileName()}))
        return *refused;
    const Credentials::NewToken token = Credentials::makeToken(name);
    // A token nobody saw would be kept for nothing.
    if (!CliFiles::writeStandardOutput(token.token + '\n'))
        return CliFiles::FileProblem;
    return token.stored;
}
