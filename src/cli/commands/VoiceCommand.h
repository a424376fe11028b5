#pragma once

#include "UnitCommand.h"

// voice --language N|NAME [--dir DIR]: the six voice prompts of a language.
class VoiceCommand : public UnitCommand {
public:
    VoiceCommand();
    std::optional<QString> check(const CommandLine& line) override;

protected:
    std::optional<int> prepare(Unit& unit) override;
    QString interruptedState() const override;
    int talk(Unit& unit) override;

private:
    int language_ = 0;
    QString folder_;
};
