#pragma once

#include "ConfigurationImage.h"

#include <cstdint>
#include <optional>

// Save's choice of the slot a pager or group editor writes, without the dialog: the pending new
// slot once the local ID is free, or the slot of the entry shown, renumbered first when its Local
// ID field changed to another number.
struct SlotClaim {
    enum class Outcome { Write, IdTaken, NothingShown };
    using FindSlot = std::optional<int> (ConfigurationImage::*)(uint16_t) const;

    Outcome outcome = Outcome::NothingShown;
    // Empty on Write when the entry shown is no longer in the image.
    std::optional<int> slot;
    bool renumber = false;

    // `fieldChanged`: the Local ID field's text differs from the shown ID's ("0012" for 12 does).
    static SlotClaim decide(const ConfigurationImage& image, FindSlot find,
                            std::optional<int> pendingSlot, std::optional<uint16_t> shown,
                            bool fieldChanged, uint16_t newId)
    {
        if (pendingSlot) {
            if (image.isLocalIdInUse(newId))
                return {Outcome::IdTaken, std::nullopt, false};
            return {Outcome::Write, pendingSlot, false};
        }
        if (!shown)
            return {};
        if (fieldChanged && image.isLocalIdInUse(newId))
            return {Outcome::IdTaken, std::nullopt, false};
        const std::optional<int> slot = (image.*find)(*shown);
        return {Outcome::Write, slot, slot && *shown != newId};
    }
};
