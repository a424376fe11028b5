#include "ConfigurationImage.h"

#include <algorithm>
#include <numeric>

namespace {

constexpr std::array<uint16_t, 9> ValidBaudRates{300,  600,   1200,  2400, 4800,
                                                 9600, 19200, 38400, 57600};

} // namespace

ConfigurationImage::ConfigurationImage()
{
    createImage();
}

uint16_t ConfigurationImage::u16At(int offset) const
{
    return static_cast<uint16_t>(ImageBytes::readNumber(bytes_, {offset, 2}));
}

uint32_t ConfigurationImage::u32At(int offset) const
{
    return ImageBytes::readNumber(bytes_, {offset, 4});
}

void ConfigurationImage::setU16At(int offset, uint16_t value)
{
    ImageBytes::writeNumber(bytes_, {offset, 2}, value);
}

void ConfigurationImage::setU32At(int offset, uint32_t value)
{
    ImageBytes::writeNumber(bytes_, {offset, 4}, value);
}

void ConfigurationImage::createImage()
{
    bytes_.fill(0);
    resetToDefaults();
    localIdIndex_.fill(NoIndexEntry);
    setTextAt(header, QString::fromLatin1(HeaderText));
    repairImage();
}

void ConfigurationImage::resetToDefaults()
{
    setTextAt(header, QString::fromLatin1(HeaderText));
    setTextAt(startupLabel1, QStringLiteral("BrindlecoSignals"));
    setTextAt(startupLabel2Line1, QStringLiteral("Service number"));
    setTextAt(startupLabel2Line2, QStringLiteral("99 9 5550 0100"));

    for (int slot = 0; slot < PagerCount; ++slot)
        clearPager(slot);
    for (int slot = 0; slot < GroupCount; ++slot)
        clearGroup(slot);

    for (int i = 0; i < AlarmCount; ++i) {
        AlarmRecord entry = alarm(i);
        entry.setInputType(AlarmRecord::Disabled);
        entry.setDelay(0);
        entry.setFirstTarget(NoLocalId);
        entry.setSecondTarget(NoLocalId);
        entry.setEscalation(60);
        // Tone "C" and no reset; the unit's own bits 4-7 stay.
        entry.setAlarmFlags(static_cast<uint8_t>((entry.alarmFlags() & ~0x0D) | 0x02));
        entry.setMessage({});
    }
    for (int i = 0; i < FunctionKeyCount; ++i) {
        FunctionKeyRecord key = functionKey(i);
        key.setTarget(NoLocalId);
        key.setMessage({});
        key.setTone(0);
    }
    for (int i = 0; i < ReminderCount; ++i) {
        ReminderRecord entry = reminder(i);
        entry.setTarget(NoLocalId);
        entry.setTimeOfDay(0);
        entry.setMessage({});
    }
    for (int i = 0; i < CommonMessageCount; ++i)
        commonMessage(i).setText({});

    settings().resetToDefaults();
}

void ConfigurationImage::repairImage()
{
    UnitSettings s = settings();
    auto replaceWhen = [&s](ImageField field, auto isBad, uint32_t replacement) {
        if (isBad(s.value(field)))
            s.setValue(field, replacement);
    };
    auto above = [](uint32_t limit) {
        return [limit](uint32_t v) {
            return v > limit;
        };
    };
    auto isBadCapcode = [](uint32_t v) {
        return !isValidCapcode(v);
    };

    replaceWhen(UnitSettings::answerRings, above(9), 2);
    replaceWhen(
        UnitSettings::inactivityTime, [](uint32_t v) { return v == 0; }, 3);
    replaceWhen(
        UnitSettings::interfaceBaudRate,
        [](uint32_t v) {
            return std::find(ValidBaudRates.begin(), ValidBaudRates.end(), v) ==
                   ValidBaudRates.end();
        },
        9600);
    replaceWhen(
        UnitSettings::interfaceDataBits, [](uint32_t v) { return v != 7 && v != 8; }, 8);
    replaceWhen(UnitSettings::interfaceStopBits, above(1), 0);
    replaceWhen(UnitSettings::interfaceParity, above(2), 0);
    replaceWhen(UnitSettings::interfaceFlowControl, above(2), 0);
    replaceWhen(UnitSettings::interfaceProtocol, above(6), 0);
    replaceWhen(
        UnitSettings::comp1LocalId,
        [this](uint32_t v) { return !isLocalIdInUse(static_cast<uint16_t>(v)); }, NoLocalId);
    replaceWhen(UnitSettings::pocsagDataRate, above(2), 0);
    replaceWhen(UnitSettings::defaultBeepTone, above(3), 0);
    // An unknown encoding falls back to numeric, not to the alphanumeric default.
    replaceWhen(
        UnitSettings::encodingMethod, [](uint32_t v) { return v != 0 && v != 4 && v != 7; }, 4);
    replaceWhen(UnitSettings::antiTheftInterval, above(999), 30);
    replaceWhen(UnitSettings::antiTheftCapCode, isBadCapcode, 8);
    replaceWhen(UnitSettings::groupCapCode, isBadCapcode, 8);
    replaceWhen(UnitSettings::locateCapCode, isBadCapcode, 8);
    replaceWhen(
        UnitSettings::localIdLength, [](uint32_t v) { return v == 0; }, 1);
    replaceWhen(UnitSettings::localIdLength, above(4), 4);
    replaceWhen(UnitSettings::voicePagingTimeout, above(99), 30);
}

uint16_t ConfigurationImage::computeChecksum() const
{
    const uint32_t sum = std::accumulate(bytes_.begin(), bytes_.begin() + ChecksummedBytes, 0u);
    return static_cast<uint16_t>(sum & 0xFFFF);
}

bool ConfigurationImage::isListedPager(int slot) const
{
    const uint32_t capcode =
        u32At(PagersOffset + PagerRecord::Size * slot + 2) & PagerRecord::CapcodeMask;
    return pagerLocalId(slot) <= MaxLocalId && isValidCapcode(capcode);
}

ConfigurationImage::Slot ConfigurationImage::findPager(uint16_t localId) const
{
    if (localId == NoLocalId) {
        for (int slot = 0; slot < PagerCount; ++slot)
            if (pagerLocalId(slot) == NoLocalId)
                return slot;
        return std::nullopt;
    }
    // The pager the lists show by this local ID (see rebuildLocalIdIndex): none when a group
    // holds it, else the last listed slot that does. A pager the lists leave out is found only
    // when no listed one holds the ID.
    if (findGroup(localId))
        return std::nullopt;
    Slot unlisted;
    for (int slot = PagerCount - 1; slot >= 0; --slot) {
        if (pagerLocalId(slot) != localId)
            continue;
        if (isListedPager(slot))
            return slot;
        if (!unlisted)
            unlisted = slot;
    }
    return unlisted;
}

ConfigurationImage::Slot ConfigurationImage::findGroup(uint16_t localId) const
{
    if (localId == NoLocalId) {
        for (int slot = 0; slot < GroupCount; ++slot)
            if (groupLocalId(slot) == NoLocalId)
                return slot;
        return std::nullopt;
    }
    for (int slot = GroupCount - 1; slot >= 0; --slot)
        if (groupLocalId(slot) == localId)
            return slot;
    return std::nullopt;
}

bool ConfigurationImage::isLocalIdInUse(uint16_t localId) const
{
    // Hidden records count too: a new record must not make a third of one local ID.
    for (int slot = 0; slot < PagerCount; ++slot)
        if (pagerLocalId(slot) == localId)
            return true;
    for (int slot = 0; slot < GroupCount; ++slot)
        if (groupLocalId(slot) == localId)
            return true;
    return false;
}

std::vector<uint16_t> ConfigurationImage::duplicatedLocalIds() const
{
    std::array<uint8_t, MaxLocalId + 1> holders{};
    auto count = [&holders](uint16_t id) {
        if (id <= MaxLocalId && holders[id] < 2)
            ++holders[id];
    };
    for (int slot = 0; slot < PagerCount; ++slot)
        count(pagerLocalId(slot));
    for (int slot = 0; slot < GroupCount; ++slot)
        count(groupLocalId(slot));
    std::vector<uint16_t> duplicated;
    for (int id = 0; id <= MaxLocalId; ++id)
        if (holders[id] > 1)
            duplicated.push_back(static_cast<uint16_t>(id));
    return duplicated;
}

int ConfigurationImage::countPagers() const
{
    int count = 0;
    for (int slot = 0; slot < PagerCount; ++slot)
        count += pagerLocalId(slot) != NoLocalId;
    return count;
}

int ConfigurationImage::countGroups() const
{
    int count = 0;
    for (int slot = 0; slot < GroupCount; ++slot)
        count += groupLocalId(slot) != NoLocalId;
    return count;
}

void ConfigurationImage::fillLocalIdIndex(LocalIdIndex& index) const
{
    index.fill(NoIndexEntry);
    // Later slots overwrite earlier ones, and groups overwrite pagers with the same local ID.
    for (int slot = 0; slot < PagerCount; ++slot)
        if (isListedPager(slot))
            index[pagerLocalId(slot)] = static_cast<uint16_t>(slot);
    for (int slot = 0; slot < GroupCount; ++slot) {
        const uint16_t id = groupLocalId(slot);
        if (id <= MaxLocalId)
            index[id] = static_cast<uint16_t>(PagerCount + slot);
    }
}

ConfigurationImage::Slot ConfigurationImage::scanIndex(const LocalIdIndex& index, int fromLocalId,
                                                       bool groups)
{
    for (int id = fromLocalId; id <= MaxLocalId; ++id) {
        const uint16_t entry = index[id];
        if (entry == NoIndexEntry)
            continue;
        if (!groups && entry < PagerCount)
            return entry;
        if (groups && entry >= PagerCount)
            return entry - PagerCount;
    }
    return std::nullopt;
}

std::vector<int> ConfigurationImage::listedSlots(bool groups) const
{
    LocalIdIndex index;
    fillLocalIdIndex(index);
    std::vector<int> listed;
    for (const uint16_t entry : index) {
        if (entry == NoIndexEntry)
            continue;
        if (!groups && entry < PagerCount)
            listed.push_back(entry);
        if (groups && entry >= PagerCount)
            listed.push_back(entry - PagerCount);
    }
    return listed;
}

ConfigurationImage::Slot ConfigurationImage::firstPager()
{
    rebuildLocalIdIndex();
    return scanIndex(localIdIndex_, 0, false);
}

ConfigurationImage::Slot ConfigurationImage::nextPager(int slot) const
{
    return scanIndex(localIdIndex_, pagerLocalId(slot) + 1, false);
}

ConfigurationImage::Slot ConfigurationImage::firstGroup()
{
    rebuildLocalIdIndex();
    return scanIndex(localIdIndex_, 0, true);
}

ConfigurationImage::Slot ConfigurationImage::nextGroup(int slot) const
{
    return scanIndex(localIdIndex_, groupLocalId(slot) + 1, true);
}

void ConfigurationImage::clearPager(int slot)
{
    PagerRecord record = pager(slot);
    record.setLocalId(NoLocalId);
    // Capcode 0, receiver type 1, bit 27 set, bits 25-26 cleared; the unit's bits 24 and 28-31
    // stay.
    record.setCapWord((record.capWord() & 0xF9200000u) | 0x08200000u);
}

void ConfigurationImage::clearGroup(int slot)
{
    GroupRecord record = group(slot);
    record.setLocalId(NoLocalId);
    for (int i = 0; i < GroupRecord::MemberCount; ++i)
        record.setMember(i, NoLocalId);
    record.setGroupFlags(record.groupFlags() & 0xE0);
}

void ConfigurationImage::clearGroupMembers(int slot)
{
    GroupRecord record = group(slot);
    for (int i = 0; i < GroupRecord::MemberCount; ++i)
        record.setMember(i, NoLocalId);
    record.setGroupFlags(record.groupFlags() & 0xF0);
}

void ConfigurationImage::replaceReferences(uint16_t oldId, uint16_t newId)
{
    for (int i = 0; i < FunctionKeyCount; ++i) {
        FunctionKeyRecord key = functionKey(i);
        if (key.target() == oldId)
            key.setTarget(newId);
    }
    for (int i = 0; i < AlarmCount; ++i) {
        AlarmRecord entry = alarm(i);
        if (entry.firstTarget() == oldId)
            entry.setFirstTarget(newId);
        if (entry.secondTarget() == oldId)
            entry.setSecondTarget(newId);
    }
    for (int i = 0; i < ReminderCount; ++i) {
        ReminderRecord entry = reminder(i);
        if (entry.target() == oldId)
            entry.setTarget(newId);
    }
    UnitSettings unit = settings();
    if (unit.value(UnitSettings::comp1LocalId) == oldId)
        unit.setValue(UnitSettings::comp1LocalId, newId);
    // Every member slot, also those behind an empty one.
    for (int slot = 0; slot < GroupCount; ++slot) {
        GroupRecord record = group(slot);
        for (int i = 0; i < GroupRecord::MemberCount; ++i)
            if (record.member(i) == oldId)
                record.setMember(i, newId);
    }
}

bool ConfigurationImage::renumberLocalId(uint16_t oldId, uint16_t newId)
{
    if (oldId == NoLocalId || newId == NoLocalId)
        return false;
    const Slot pagerSlot = findPager(oldId);
    const Slot groupSlot = findGroup(oldId);
    if (pagerSlot)
        pager(*pagerSlot).setLocalId(newId);
    if (groupSlot)
        group(*groupSlot).setLocalId(newId);
    if (!pagerSlot && !groupSlot)
        return false;
    replaceReferences(oldId, newId);
    return true;
}

void ConfigurationImage::deleteLocalId(uint16_t localId)
{
    if (const Slot pagerSlot = findPager(localId))
        clearPager(*pagerSlot);
    else if (const Slot groupSlot = findGroup(localId))
        clearGroup(*groupSlot);
    else
        return;
    std::array<bool, GroupCount> held{};
    for (int slot = 0; slot < GroupCount; ++slot)
        for (int i = 0; i < GroupRecord::MemberCount; ++i)
            held[slot] = held[slot] || groupMember(slot, i) == localId;
    replaceReferences(localId, NoLocalId);
    for (int slot = 0; slot < GroupCount; ++slot)
        closeMemberGaps(slot, held[slot]);
}

void ConfigurationImage::removeFromAllGroups(uint16_t localId)
{
    if (localId == NoLocalId)
        return;
    for (int slot = 0; slot < GroupCount; ++slot) {
        GroupRecord record = group(slot);
        bool held = false;
        for (int i = 0; i < GroupRecord::MemberCount; ++i) {
            if (record.member(i) == localId) {
                record.setMember(i, NoLocalId);
                held = true;
            }
        }
        closeMemberGaps(slot, held);
    }
}

void ConfigurationImage::closeMemberGaps(int groupSlot, bool lostMember)
{
    std::array<uint16_t, GroupRecord::MemberCount> kept;
    kept.fill(NoLocalId);
    int count = 0;
    bool moved = false;
    for (int i = 0; i < GroupRecord::MemberCount; ++i) {
        const uint16_t member = groupMember(groupSlot, i);
        if (member == NoLocalId)
            continue;
        moved = moved || count != i;
        kept[count++] = member;
    }
    if (!moved && !lostMember)
        return;
    // Rewritten as the groups editor writes a list, flag bits 0-3 cleared with it.
    clearGroupMembers(groupSlot);
    GroupRecord record = group(groupSlot);
    for (int i = 0; i < count; ++i)
        record.setMember(i, kept[i]);
}

bool ConfigurationImage::groupContains(int groupSlot, uint16_t localId) const
{
    std::array<bool, GroupCount> searched{};
    auto search = [&](auto& self, int slot) -> bool {
        searched[slot] = true;
        for (int i = 0; i < GroupRecord::MemberCount; ++i) {
            const uint16_t member = groupMember(slot, i);
            if (member == localId)
                return true;
            if (member == NoLocalId)
                continue;
            const Slot inner = findGroup(member);
            if (inner && !searched[*inner] && self(self, *inner))
                return true;
        }
        return false;
    };
    return search(search, groupSlot);
}

bool ConfigurationImage::groupHasMember(Slot groupSlot, uint16_t localId) const
{
    if (!groupSlot)
        return false;
    if (localId == NoLocalId)
        return false;
    for (int i = 0; i < GroupRecord::MemberCount; ++i)
        if (groupMember(*groupSlot, i) == localId)
            return true;
    return false;
}

bool ConfigurationImage::groupsRelated(int a, Slot b) const
{
    if (!b)
        return false;
    const uint16_t idA = groupLocalId(a);
    const uint16_t idB = groupLocalId(*b);
    return groupContains(a, idB) || idA == idB || groupContains(*b, idA);
}

uint16_t ConfigurationImage::firstMember(int groupSlot)
{
    memberGroup_ = groupSlot;
    memberPosition_ = -1;
    return nextMember();
}

uint16_t ConfigurationImage::nextMember()
{
    while (memberPosition_ < GroupRecord::MemberCount - 1) {
        const uint16_t next = groupMember(memberGroup_, ++memberPosition_);
        if (next != NoLocalId)
            return next;
    }
    return NoLocalId;
}

std::vector<uint16_t> ConfigurationImage::members(int groupSlot) const
{
    std::vector<uint16_t> ids;
    for (int i = 0; i < GroupRecord::MemberCount; ++i)
        if (const uint16_t id = groupMember(groupSlot, i); id != NoLocalId)
            ids.push_back(id);
    return ids;
}
