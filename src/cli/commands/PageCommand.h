#pragma once

#include "UnitCommand.h"

#include <cstdint>

// page --to LOCALID TEXT: one page, confirmed by the unit.
class PageCommand : public UnitCommand {
public:
    PageCommand();
    std::optional<QString> check(const CommandLine& line) override;
    // Hands the page to a console running for this user, or pages through the port itself
    // when none runs.
    int run(const CommandLine& line) override;

protected:
    int talk(Unit& unit) override;

private:
    uint16_t localId_ = 0;
    QString text_;
};
