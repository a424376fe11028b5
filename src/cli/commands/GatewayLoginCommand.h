#pragma once

#include "GatewayCredentialCommand.h"

// gateway-login [--remove] NAME: the password from stdin, one line; from a terminal, asked twice
// without echo. Only its salted hash is kept.
class GatewayLoginCommand : public GatewayCredentialCommand {
public:
    // The longest password taken: the key derivation reads all of it for every login.
    static constexpr int MaxPasswordLength = 128;
    // How long a line of stdin is waited for.
    static constexpr int PasswordWaitMs = 60000;

    GatewayLoginCommand();

protected:
    QList<Credential>& credentialsIn(GatewaySettings& settings) const override
    {
        return settings.logins;
    }
    std::variant<Credential, int> make(const QString& name) override;
};
