#pragma once

#include "Command.h"
#include "GatewaySettings.h"

#include <variant>

// gateway-login and gateway-token: NAME's login or token is set (a new one replacing any NAME
// had) or, with --remove, taken away, in the settings file the console and serve share. NAME is
// checked before the settings are read; nothing is written unless the whole change is ready.
class GatewayCredentialCommand : public Command {
public:
    static const QCommandLineOption RemoveOption;

    std::optional<QString> check(const CommandLine& line) override;
    int run(const CommandLine& line) override;

protected:
    // kind: "login" or "token", as the messages name it.
    GatewayCredentialCommand(CommandDeclaration declaration, QString kind);

    virtual QList<Credential>& credentialsIn(GatewaySettings& settings) const = 0;
    // The new credential for name, or the exit code that ends the command with nothing saved.
    virtual std::variant<Credential, int> make(const QString& name) = 0;

private:
    QString kind_;
    QString name_;
    bool remove_ = false;
};
