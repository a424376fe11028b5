#pragma once

#include "Database.h"

#include <QString>

// A site at the image's limits for the editors' benchmarks: 1000 pagers with names, local IDs
// 1 to 1000, and 20 groups (local IDs 2001 to 2020) of ten members each. Pager 1 is the first
// member of every group, so that renumbering or deleting it touches all of them.
inline void fillToCapacity(Database& database)
{
    ConfigurationImage& image = database.image();
    image.resetToDefaults();
    database.names().clear();
    for (int slot = 0; slot < ConfigurationImage::PagerCount; ++slot) {
        const auto id = static_cast<uint16_t>(slot + 1);
        PagerRecord pager = image.pager(slot);
        pager.setLocalId(id);
        pager.setCapcode(10000 + id);
        pager.setReceiverType(PagerRecord::Numeric);
        database.names().setName(id, QStringLiteral("Pager %1 at table %2").arg(id).arg(id % 97));
    }
    for (int slot = 0; slot < ConfigurationImage::GroupCount; ++slot) {
        const auto id = static_cast<uint16_t>(2001 + slot);
        GroupRecord group = image.group(slot);
        group.setLocalId(id);
        group.setMember(0, 1);
        for (int i = 1; i < GroupRecord::MemberCount; ++i)
            group.setMember(i, static_cast<uint16_t>(2 + slot * 9 + i));
        database.names().setName(id, QStringLiteral("Group %1").arg(id));
    }
}
