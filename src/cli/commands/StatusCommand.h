#pragma once

#include "UnitCommand.h"

// status: the unit's status text on stdout.
class StatusCommand : public UnitCommand {
public:
    StatusCommand();
    std::optional<QString> check(const CommandLine& line) override;

protected:
    std::optional<int> prepare(Unit& unit) override;
    int talk(Unit& unit) override;
};
