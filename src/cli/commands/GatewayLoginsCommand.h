#pragma once

#include "Command.h"

// gateway-logins: the names of the gateway's logins and tokens, never their secrets.
class GatewayLoginsCommand : public Command {
public:
    GatewayLoginsCommand();
    std::optional<QString> check(const CommandLine& line) override;
    int run(const CommandLine& line) override;
};
