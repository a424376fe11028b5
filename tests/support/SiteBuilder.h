#pragma once

// The pagers, groups and names of a test site, written into an image and its name table.
#include "ConfigurationImage.h"
#include "Database.h"
#include "NameTable.h"

#include <QString>

#include <gtest/gtest.h>

#include <functional>
#include <optional>
#include <vector>

// Each record goes into the slot given, or else into the first free one; a null name leaves the
// name table as it is, and so does a builder without one.
//
//     SiteBuilder site(database);
//     site.pager(12, 1012, "Bar", PagerRecord::AlphaNumeric).group(200, "Floor", {12});
class SiteBuilder {
public:
    explicit SiteBuilder(Database& database)
        : image_(database.image())
        , names_(&database.names())
    {}
    explicit SiteBuilder(ConfigurationImage& image, NameTable* names = nullptr)
        : image_(image)
        , names_(names)
    {}

    // Without a receiver type the slot keeps the one it holds.
    SiteBuilder& pager(uint16_t localId, uint32_t capcode, const char* name = nullptr,
                       std::optional<int> receiverType = std::nullopt,
                       std::optional<int> slot = std::nullopt)
    {
        PagerRecord pager = image_.pager(slot ? *slot : freeSlot(&ConfigurationImage::findPager));
        pager.setLocalId(localId);
        pager.setCapcode(capcode);
        if (receiverType)
            pager.setReceiverType(*receiverType);
        return named(localId, name);
    }

    // Members fill the list from its start; the rest of it is empty.
    SiteBuilder& group(uint16_t localId, const char* name, std::vector<uint16_t> members = {},
                       bool rotary = false, std::optional<int> slot = std::nullopt)
    {
        GroupRecord group = image_.group(slot ? *slot : freeSlot(&ConfigurationImage::findGroup));
        group.setLocalId(localId);
        for (int i = 0; i < GroupRecord::MemberCount; ++i)
            group.setMember(i, i < static_cast<int>(members.size())
                                   ? members[i]
                                   : ConfigurationImage::NoLocalId);
        if (rotary)
            group.setRotary(true);
        return named(localId, name);
    }

    // `count` pagers in the free slots, local IDs and capcodes counting up from the first ones,
    // each named by `name` from its index (0 to count - 1).
    SiteBuilder& pagers(int count, uint16_t firstLocalId, uint32_t firstCapcode,
                        const std::function<QString(int index)>& name)
    {
        for (int index = 0; index < count; ++index) {
            const auto localId = static_cast<uint16_t>(firstLocalId + index);
            pager(localId, firstCapcode + static_cast<uint32_t>(index));
            if (names_)
                names_->setName(localId, name(index));
        }
        return *this;
    }

private:
    int freeSlot(ConfigurationImage::Slot (ConfigurationImage::*find)(uint16_t) const) const
    {
        const ConfigurationImage::Slot slot = (image_.*find)(ConfigurationImage::NoLocalId);
        EXPECT_TRUE(slot.has_value()) << "the table is full";
        return slot.value_or(0);
    }
    SiteBuilder& named(uint16_t localId, const char* name)
    {
        if (names_ && name)
            names_->setName(localId, QString::fromLatin1(name));
        return *this;
    }

    ConfigurationImage& image_;
    NameTable* names_;
};
