#pragma once

#include "UnitCommand.h"

// firmware FILE.hex: new firmware through the unit's boot loader.
class FirmwareCommand : public UnitCommand {
public:
    FirmwareCommand();
    std::optional<QString> check(const CommandLine& line) override;

protected:
    std::optional<int> prepare(Unit& unit) override;
    QString interruptedState() const override;
    bool connectsFirst() const override { return false; }
    int talk(Unit& unit) override;

private:
    QString file_;
    int loaderTimeoutMs_ = 0;
};
