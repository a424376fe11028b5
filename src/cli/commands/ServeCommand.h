#pragma once

#include "Command.h"
#include "GatewaySettings.h"

// serve [DBFILE]: the paging gateway without a window. It holds the port, keeps the unit
// connected (reconnecting with a growing pause when the line breaks or the unit stops
// answering), takes pages from tavolux-cli page on this machine and from the gateway's
// listeners, and ends after the page on the line on SIGTERM or SIGINT.
class ServeCommand : public Command {
public:
    // The pause before the first retry, doubled after each failed one up to the last.
    static constexpr int FirstRetryMs = 1000;
    static constexpr int LastRetryMs = 30000;

    ServeCommand();
    std::optional<QString> check(const CommandLine& line) override;
    int run(const CommandLine& line) override;

private:
    QString databaseFile_;
    // The saved gateway settings with what --listen and --http say instead.
    GatewaySettings gatewaySettings_;
};
