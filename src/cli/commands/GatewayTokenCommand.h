#pragma once

#include "GatewayCredentialCommand.h"

// gateway-token [--remove] NAME: a new bearer token printed once on stdout; only its hash is
// kept, and only once it has been printed.
class GatewayTokenCommand : public GatewayCredentialCommand {
public:
    GatewayTokenCommand();

protected:
    QList<Credential>& credentialsIn(GatewaySettings& settings) const override
    {
        return settings.tokens;
    }
    std::variant<Credential, int> make(const QString& name) override;
};
