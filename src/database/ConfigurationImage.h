#pragma once

#include "AlarmRecord.h"
#include "CommonMessageRecord.h"
#include "FunctionKeyRecord.h"
#include "GroupRecord.h"
#include "PagerRecord.h"
#include "ReminderRecord.h"
#include "UnitSettings.h"

#include <array>
#include <optional>
#include <vector>

// The unit's whole configuration as the 7738 bytes that travel to and from the unit and sit in
// the database file behind the version byte. The layout is a wire format: every offset counts.
//
// A slot is a record's index in its table (pager slot 0-999, group slot 0-19); std::nullopt
// stands for "no slot".
class ConfigurationImage {
public:
    static constexpr int Size = 7738;

    static constexpr ImageField header{0, 17};
    static constexpr ImageField startupLabel1{17, 17};
    static constexpr ImageField startupLabel2Line1{34, 17};
    static constexpr ImageField startupLabel2Line2{51, 17};
    static constexpr ImageField checksumField{7736, 2};

    static constexpr int PagersOffset = 68;
    static constexpr int GroupsOffset = 6068;
    static constexpr int CommonMessagesOffset = 6528;
    static constexpr int FunctionKeysOffset = 6868;
    static constexpr int AlarmsOffset = 7164;
    static constexpr int RemindersOffset = 7288;
    static constexpr int ChecksummedBytes = 7736;

    static constexpr int PagerCount = 1000;
    static constexpr int GroupCount = 20;
    static constexpr int CommonMessageCount = 10;
    static constexpr int FunctionKeyCount = 8; // F1-F4, then Del F1-Del F4
    static constexpr int AlarmCount = 4;
    static constexpr int ReminderCount = 10;

    static constexpr uint16_t NoLocalId = 0xFFFF;
    static constexpr uint16_t MaxLocalId = 9999;
    static constexpr uint32_t MinCapcode = 8;
    static constexpr uint32_t MaxCapcode = 2097150;

    static constexpr const char* HeaderText = "Tavolux    v3.05";

    using Bytes = std::array<uint8_t, Size>;
    using Slot = std::optional<int>;

    // A new image holds the default contents.
    ConfigurationImage();

    const Bytes& bytes() const { return bytes_; }
    // Replaces all 7738 bytes, checksum included, as an upload or a file read does.
    void setBytes(const Bytes& bytes) { bytes_ = bytes; }

    uint8_t u8At(int offset) const { return bytes_[offset]; }
    uint16_t u16At(int offset) const;
    uint32_t u32At(int offset) const;
    void setU8At(int offset, uint8_t value) { bytes_[offset] = value; }
    void setU16At(int offset, uint16_t value);
    void setU32At(int offset, uint32_t value);
    QString textAt(ImageField field) const { return ImageBytes::readText(bytes_, field); }
    void setTextAt(ImageField field, const QString& text)
    {
        ImageBytes::writeText(bytes_, field, text);
    }

    // Each record as a view that writes through, and over a const image as one that only reads.
    PagerRecord pager(int slot) { return view<PagerRecord>(PagersOffset, slot); }
    ConstPagerRecord pager(int slot) const { return view<ConstPagerRecord>(PagersOffset, slot); }
    GroupRecord group(int slot) { return view<GroupRecord>(GroupsOffset, slot); }
    ConstGroupRecord group(int slot) const { return view<ConstGroupRecord>(GroupsOffset, slot); }
    CommonMessageRecord commonMessage(int index)
    {
        return view<CommonMessageRecord>(CommonMessagesOffset, index);
    }
    ConstCommonMessageRecord commonMessage(int index) const
    {
        return view<ConstCommonMessageRecord>(CommonMessagesOffset, index);
    }
    FunctionKeyRecord functionKey(int index)
    {
        return view<FunctionKeyRecord>(FunctionKeysOffset, index);
    }
    ConstFunctionKeyRecord functionKey(int index) const
    {
        return view<ConstFunctionKeyRecord>(FunctionKeysOffset, index);
    }
    AlarmRecord alarm(int index) { return view<AlarmRecord>(AlarmsOffset, index); }
    ConstAlarmRecord alarm(int index) const { return view<ConstAlarmRecord>(AlarmsOffset, index); }
    ReminderRecord reminder(int index) { return view<ReminderRecord>(RemindersOffset, index); }
    ConstReminderRecord reminder(int index) const
    {
        return view<ConstReminderRecord>(RemindersOffset, index);
    }
    UnitSettings settings() { return UnitSettings(bytes_); }
    ConstUnitSettings settings() const { return ConstUnitSettings(bytes_); }

    uint16_t checksum() const { return u16At(checksumField.offset); }
    void setChecksum(uint16_t sum) { setU16At(checksumField.offset, sum); }

    void createImage();
    void resetToDefaults();
    void repairImage();
    uint16_t computeChecksum() const;

    // The record a local ID stands for everywhere in the console is the one the lists show (an
    // image from a file or the unit may give one ID to several): a group hides a pager with its
    // ID, and of two records of a kind the later slot counts. A pager the lists leave out (an
    // invalid capcode) is found only when no listed pager has its ID. 0xFFFF finds the first
    // free slot.
    Slot findPager(uint16_t localId) const;
    Slot findGroup(uint16_t localId) const;
    // Any slot counts, a hidden one too.
    bool isLocalIdInUse(uint16_t localId) const;
    // Local IDs (0 to 9999) that more than one pager or group slot holds, in ascending order.
    std::vector<uint16_t> duplicatedLocalIds() const;
    int countPagers() const;
    int countGroups() const;

    // The slots the lists show, in ascending local ID: what the ordered iteration below visits,
    // for readers of a const image.
    std::vector<int> listedPagerSlots() const { return listedSlots(false); }
    std::vector<int> listedGroupSlots() const { return listedSlots(true); }
    // Ordered iteration by ascending local ID over the index rebuilt by firstPager/firstGroup.
    Slot firstPager();
    Slot nextPager(int slot) const;
    Slot firstGroup();
    Slot nextGroup(int slot) const;

    void clearPager(int slot);
    void clearGroup(int slot);
    void clearGroupMembers(int slot);
    // Every reference follows the number: group members, alarm, function-key and reminder
    // targets and the COMP1 pager. Refuses (false, nothing changed) to renumber from or to
    // 0xFFFF: it marks every free slot and every empty reference, so no pager or group goes by it.
    bool renumberLocalId(uint16_t oldId, uint16_t newId);
    // Every reference to the deleted local ID is emptied, so that no pager later given the number
    // inherits it; member lists close the gap, so no member behind it is lost.
    void deleteLocalId(uint16_t localId);
    // Takes the local ID out of every group's member list, closing the gaps.
    void removeFromAllGroups(uint16_t localId);

    bool groupContains(int groupSlot, uint16_t localId) const;
    bool groupHasMember(Slot groupSlot, uint16_t localId) const;
    bool groupsRelated(int a, Slot b) const;

    // Members in slot order, passing over empty slots, so that a gap in a group read from a file
    // hides no member behind it.
    uint16_t firstMember(int groupSlot);
    uint16_t nextMember();
    // The same members at once, for readers of a const image.
    std::vector<uint16_t> members(int groupSlot) const;

    static bool isValidCapcode(uint32_t capcode)
    {
        return capcode >= MinCapcode && capcode <= MaxCapcode;
    }

private:
    // The record `index` of the table at `tableOffset`.
    template <typename Record> Record view(int tableOffset, int index)
    {
        return Record(
            std::span<uint8_t>(bytes_).subspan(tableOffset + Record::Size * index, Record::Size));
    }
    template <typename Record> Record view(int tableOffset, int index) const
    {
        return Record(std::span<const uint8_t>(bytes_).subspan(tableOffset + Record::Size * index,
                                                               Record::Size));
    }
    uint16_t pagerLocalId(int slot) const { return u16At(PagersOffset + PagerRecord::Size * slot); }
    uint16_t groupLocalId(int slot) const { return u16At(GroupsOffset + GroupRecord::Size * slot); }
    uint16_t groupMember(int slot, int index) const
    {
        return u16At(GroupsOffset + GroupRecord::Size * slot +
                     GroupRecord::memberField(index).offset);
    }
    // Whether the ordered iteration visits this pager slot (when no later slot or group hides it).
    bool isListedPager(int slot) const;
    using LocalIdIndex = std::array<uint16_t, MaxLocalId + 1>;
    void fillLocalIdIndex(LocalIdIndex& index) const;
    void rebuildLocalIdIndex() { fillLocalIdIndex(localIdIndex_); }
    static Slot scanIndex(const LocalIdIndex& index, int fromLocalId, bool groups);
    std::vector<int> listedSlots(bool groups) const;
    // Moves the members up over empty slots; a list that changes or lost a member is rewritten.
    void closeMemberGaps(int groupSlot, bool lostMember);
    void replaceReferences(uint16_t oldId, uint16_t newId);

    static constexpr uint16_t NoIndexEntry = 0xFFFF;

    Bytes bytes_{};
    // Derived from the image by each ordered iteration: local ID -> pager slot, or 1000 + group
    // slot.
    LocalIdIndex localIdIndex_{};
    int memberGroup_ = 0;
    int memberPosition_ = 0;
};
