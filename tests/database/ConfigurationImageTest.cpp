#include "ConfigurationImage.h"
#include "../support/SiteBuilder.h"
#include "SlotClaim.h"

#include <gtest/gtest.h>

#include <optional>
#include <type_traits>
#include <utility>
#include <vector>

namespace {

constexpr uint16_t None = ConfigurationImage::NoLocalId;

void addPager(ConfigurationImage& image, int slot, uint16_t localId, uint32_t capcode = 1000)
{
    SiteBuilder(image).pager(localId, capcode, nullptr, std::nullopt, slot);
}

void addGroup(ConfigurationImage& image, int slot, uint16_t localId, std::vector<uint16_t> members)
{
    SiteBuilder(image).group(localId, nullptr, std::move(members), false, slot);
}

// Each order is read both ways: by the iteration, and at once through a const image, which must
// list the same.
std::vector<uint16_t> pagerOrder(ConfigurationImage& image)
{
    std::vector<uint16_t> ids;
    for (auto slot = image.firstPager(); slot; slot = image.nextPager(*slot))
        ids.push_back(image.pager(*slot).localId());
    const ConfigurationImage& readOnly = image;
    std::vector<uint16_t> listed;
    for (const int slot : readOnly.listedPagerSlots())
        listed.push_back(readOnly.pager(slot).localId());
    EXPECT_EQ(listed, ids);
    return ids;
}

std::vector<uint16_t> groupOrder(ConfigurationImage& image)
{
    std::vector<uint16_t> ids;
    for (auto slot = image.firstGroup(); slot; slot = image.nextGroup(*slot))
        ids.push_back(image.group(*slot).localId());
    const ConfigurationImage& readOnly = image;
    std::vector<uint16_t> listed;
    for (const int slot : readOnly.listedGroupSlots())
        listed.push_back(readOnly.group(slot).localId());
    EXPECT_EQ(listed, ids);
    return ids;
}

std::vector<uint16_t> members(ConfigurationImage& image, int groupSlot)
{
    std::vector<uint16_t> ids;
    for (uint16_t id = image.firstMember(groupSlot); id != None; id = image.nextMember())
        ids.push_back(id);
    EXPECT_EQ(std::as_const(image).members(groupSlot), ids);
    return ids;
}

// A const image gives views that only read.
template <typename Record> constexpr bool writesLocalId = requires(Record record)
{
    record.setLocalId(1);
};
template <typename Record> constexpr bool writesTarget = requires(Record record)
{
    record.setTarget(1);
};
template <typename Record> constexpr bool writesDelay = requires(Record record)
{
    record.setDelay(1);
};
template <typename Record> constexpr bool writesText = requires(Record record)
{
    record.setText(QString());
};
template <typename Settings> constexpr bool writesSetting = requires(Settings settings)
{
    settings.setValue(UnitSettings::localIdLength, 1);
};
static_assert(writesLocalId<PagerRecord> && !writesLocalId<ConstPagerRecord>);
static_assert(writesLocalId<GroupRecord> && !writesLocalId<ConstGroupRecord>);
static_assert(writesDelay<AlarmRecord> && !writesDelay<ConstAlarmRecord>);
static_assert(writesTarget<ReminderRecord> && !writesTarget<ConstReminderRecord>);
static_assert(writesTarget<FunctionKeyRecord> && !writesTarget<ConstFunctionKeyRecord>);
static_assert(writesText<CommonMessageRecord> && !writesText<ConstCommonMessageRecord>);
static_assert(writesSetting<UnitSettings> && !writesSetting<ConstUnitSettings>);
static_assert(
    std::is_same_v<decltype(std::declval<const ConfigurationImage&>().pager(0)), ConstPagerRecord>);

} // namespace

// The offsets are written out here rather than taken from the class, so that a wrong constant
// in the class shows up as a wrong byte.
TEST(ConfigurationImageLayout, NewImageHoldsTheDefaultsAtTheirOffsets)
{
    ConfigurationImage image;
    const auto& bytes = image.bytes();
    ASSERT_EQ(bytes.size(), 7738u);

    struct Text {
        int offset;
        const char* text;
    };
    for (const Text& t :
         {Text{0, "Tavolux    v3.05"}, Text{17, "BrindlecoSignals"}, Text{34, "Service number"},
          Text{51, "99 9 5550 0100"}, Text{7668, "482915"}, Text{7675, ""}, Text{7682, "730264"}}) {
        const std::string expected(t.text);
        EXPECT_EQ(std::string(reinterpret_cast<const char*>(&bytes[t.offset]), expected.size()),
                  expected)
            << "text at " << t.offset;
        EXPECT_EQ(bytes[t.offset + expected.size()], 0) << "terminator at " << t.offset;
    }

    struct Number {
        int offset;
        int size;
        uint32_t value;
    };
    const Number numbers[] = {
        {7689, 1, 2},
        {7690, 1, 0},
        {7691, 1, 3},
        {7692, 1, 0},
        {7693, 1, 8},
        {7694, 1, 0},
        {7695, 1, 0},
        {7696, 1, 0},
        {7697, 1, 0},
        {7698, 2, 9600},
        {7700, 1, 0},
        {7701, 2, 0xFFFF},
        {7703, 1, 1},
        {7704, 1, 0},
        {7705, 1, 0},
        {7706, 1, 1},
        {7707, 1, 0},
        {7708, 1, 0},
        {7709, 1, 7},
        {7710, 1, 0},
        {7711, 1, 0},
        {7712, 1, 0},
        {7713, 1, 1},
        {7714, 2, 30},
        {7716, 4, 8},
        {7720, 1, 0},
        {7721, 4, 8},
        {7725, 4, 8},
        {7729, 1, 4},
        {7730, 1, 0},
        {7731, 1, 10},
        {7732, 1, 30},
        {7733, 1, 0},
        {7734, 1, 30},
        {7735, 1, 1},
        // first and last pager slot: free, cap word 0x08200000
        {68, 2, 0xFFFF},
        {70, 4, 0x08200000},
        {68 + 999 * 6, 2, 0xFFFF},
        // first and last group slot: free, no members, flags clear
        {6068, 2, 0xFFFF},
        {6070, 2, 0xFFFF},
        {6068 + 20, 2, 0xFFFF},
        {6090, 1, 0},
        {6068 + 19 * 23, 2, 0xFFFF},
        // function keys F1 and Del F4: no target, tone 0
        {6868, 2, 0xFFFF},
        {6868 + 36, 1, 0},
        {7127, 2, 0xFFFF},
        // alarm 1 and 4: disabled, no pagers, escalation 60, tone C
        {7164, 1, 0},
        {7165, 2, 0},
        {7167, 2, 0xFFFF},
        {7169, 2, 0xFFFF},
        {7171, 2, 60},
        {7173, 1, 0x02},
        {7164 + 3 * 31 + 9, 1, 0x02},
        // reminders 1 and 10: no target, midnight
        {7288, 2, 0xFFFF},
        {7290, 2, 0},
        {7288 + 9 * 38, 2, 0xFFFF},
    };
    for (const Number& n : numbers) {
        uint32_t value = 0;
        for (int i = n.size - 1; i >= 0; --i)
            value = (value << 8) | bytes[n.offset + i];
        EXPECT_EQ(value, n.value) << "number at " << n.offset;
    }

    // The record views and the settings table land on the same bytes.
    EXPECT_EQ(image.functionKey(4).target(), image.u16At(7016));
    image.functionKey(7).setTone(3);
    EXPECT_EQ(image.u8At(7127 + 36), 3);
    image.reminder(9).setTimeOfDay(1439);
    EXPECT_EQ(image.u16At(7288 + 9 * 38 + 2), 1439);
    image.commonMessage(9).setText(QString(40, QChar(u'x')));
    EXPECT_EQ(image.textAt({6528 + 9 * 34, 34}).size(), 33);
    EXPECT_EQ(image.u8At(6528 + 9 * 34 + 33), 0);
}

TEST(ConfigurationImageLayout, RecordViewsKeepTheUnitsBits)
{
    ConfigurationImage image;
    PagerRecord pager = image.pager(3);
    pager.setCapWord(0xFF000000);
    pager.setCapcode(2097150);
    pager.setReceiverType(PagerRecord::Coaster);
    EXPECT_EQ(pager.capWord(), 0xFF000000u | (3u << 21) | 2097150u);

    struct ClearCase {
        uint32_t before;
        uint32_t after;
    };
    for (const ClearCase& c : {ClearCase{0xFFFFFFFF, 0xF9200000}, ClearCase{0x00000000, 0x08200000},
                               ClearCase{0x16DFFFFF, 0x18200000}}) {
        pager.setCapWord(c.before);
        image.clearPager(3);
        EXPECT_EQ(pager.capWord(), c.after) << std::hex << c.before;
        EXPECT_TRUE(pager.isFree());
    }

    GroupRecord group = image.group(0);
    group.setGroupFlags(0xFF);
    image.clearGroupMembers(0);
    EXPECT_EQ(group.groupFlags(), 0xF0);
    image.clearGroup(0);
    EXPECT_EQ(group.groupFlags(), 0xE0);

    AlarmRecord alarm = image.alarm(2);
    alarm.setAlarmFlags(0xFD);
    image.resetToDefaults();
    EXPECT_EQ(alarm.alarmFlags(), 0xF2);
    EXPECT_EQ(alarm.tone(), 2);
    EXPECT_FALSE(alarm.sendReset());
}

TEST(ConfigurationImageChecksum, SumsTheFirst7736BytesIntoSixteenBits)
{
    ConfigurationImage image;
    ConfigurationImage::Bytes bytes;
    bytes.fill(0xFF);
    image.setBytes(bytes);
    EXPECT_EQ(image.computeChecksum(), 0x19C8);

    bytes.fill(0);
    bytes[0] = 1;
    bytes[7735] = 2;
    bytes[7736] = 0x77; // the checksum itself is not summed
    bytes[7737] = 0x77;
    image.setBytes(bytes);
    EXPECT_EQ(image.computeChecksum(), 3);
}

TEST(ConfigurationImageRepair, ReplacesOnlyOutOfRangeSettings)
{
    struct Case {
        ImageField field;
        uint32_t stored;
        uint32_t expected;
    };
    const Case cases[] = {
        {UnitSettings::answerRings, 10, 2},
        {UnitSettings::answerRings, 9, 9},
        {UnitSettings::inactivityTime, 0, 3},
        {UnitSettings::inactivityTime, 200, 200},
        {UnitSettings::interfaceBaudRate, 115, 9600},
        {UnitSettings::interfaceBaudRate, 600, 600},
        {UnitSettings::interfaceBaudRate, 57600, 57600},
        {UnitSettings::interfaceDataBits, 6, 8},
        {UnitSettings::interfaceDataBits, 7, 7},
        {UnitSettings::interfaceStopBits, 2, 0},
        {UnitSettings::interfaceParity, 3, 0},
        {UnitSettings::interfaceFlowControl, 3, 0},
        {UnitSettings::interfaceProtocol, 7, 0},
        {UnitSettings::interfaceProtocol, 6, 6},
        {UnitSettings::pocsagDataRate, 3, 0},
        {UnitSettings::defaultBeepTone, 4, 0},
        {UnitSettings::encodingMethod, 3, 4},
        {UnitSettings::encodingMethod, 0, 0},
        {UnitSettings::antiTheftInterval, 1000, 30},
        {UnitSettings::antiTheftCapCode, 7, 8},
        {UnitSettings::groupCapCode, 2097151, 8},
        {UnitSettings::locateCapCode, 2097150, 2097150},
        {UnitSettings::localIdLength, 0, 1},
        {UnitSettings::localIdLength, 5, 4},
        {UnitSettings::voicePagingTimeout, 100, 30},
        // not examined
        {UnitSettings::promptDelay, 200, 200},
        {UnitSettings::messagesBeforeDisconnect, 0, 0},
        {UnitSettings::ignoreBusy, 7, 7},
    };
    for (const Case& c : cases) {
        ConfigurationImage image;
        UnitSettings settings = image.settings();
        settings.setValue(c.field, c.stored);
        image.repairImage();
        EXPECT_EQ(settings.value(c.field), c.expected)
            << "offset " << c.field.offset << " value " << c.stored;
    }

    ConfigurationImage image;
    UnitSettings settings = image.settings();
    addPager(image, 0, 12);
    settings.setValue(UnitSettings::comp1LocalId, 12);
    image.repairImage();
    EXPECT_EQ(settings.value(UnitSettings::comp1LocalId), 12u);
    settings.setValue(UnitSettings::comp1LocalId, 13);
    image.repairImage();
    EXPECT_EQ(settings.value(UnitSettings::comp1LocalId), 0xFFFFu);
}

TEST(ConfigurationImageLookup, FindsCountsAndReportsUse)
{
    ConfigurationImage image;
    EXPECT_EQ(image.countPagers(), 0);
    EXPECT_EQ(image.countGroups(), 0);
    EXPECT_FALSE(image.firstPager());
    EXPECT_FALSE(image.firstGroup());
    EXPECT_EQ(image.findPager(None), 0);
    EXPECT_EQ(image.findGroup(None), 0);

    addPager(image, 0, 12, 0); // capcode 0: invalid, but the local ID is taken
    addPager(image, 1, 40);
    addGroup(image, 0, 50, {});
    EXPECT_EQ(image.findPager(None), 2);
    EXPECT_EQ(image.findGroup(None), 1);
    EXPECT_EQ(image.findPager(40), 1);
    EXPECT_FALSE(image.findPager(50));
    EXPECT_EQ(image.findGroup(50), 0);
    EXPECT_TRUE(image.isLocalIdInUse(12));
    EXPECT_TRUE(image.isLocalIdInUse(50));
    EXPECT_FALSE(image.isLocalIdInUse(13));
    EXPECT_EQ(image.countPagers(), 2);
    EXPECT_EQ(image.countGroups(), 1);
    EXPECT_EQ(pagerOrder(image), (std::vector<uint16_t>{40}));
}

// An image from a file or the unit may give one local ID to two records. Every part of the
// console means the one the lists show by it: lookups, renumbering and deleting act on that
// record alone and leave the hidden one as it is.
TEST(ConfigurationImageLookup, ALocalIdHeldTwiceMeansTheRecordTheListsShow)
{
    struct Record {
        bool group;
        int slot;
        uint32_t capcode; // pagers only
    };
    struct Case {
        const char* what;
        std::vector<Record> records; // all with local ID 12
        Record shown;
    };
    const Case cases[] = {
        {"a pager and a group", {{false, 0, 1000}, {true, 0, 0}}, {true, 0, 0}},
        {"a group and a pager in a later slot", {{true, 2, 0}, {false, 9, 1000}}, {true, 2, 0}},
        {"two pagers", {{false, 3, 300}, {false, 8, 800}}, {false, 8, 800}},
        {"two pagers, the later one with an invalid capcode",
         {{false, 3, 300}, {false, 8, 0}},
         {false, 3, 300}},
        {"two groups", {{true, 1, 0}, {true, 4, 0}}, {true, 4, 0}},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        for (const bool renumber : {false, true}) {
            ConfigurationImage image;
            for (const Record& r : c.records) {
                if (r.group)
                    addGroup(image, r.slot, 12, {});
                else
                    addPager(image, r.slot, 12, r.capcode);
            }
            // What the lists show for 12.
            std::optional<int> listedPager;
            for (auto slot = image.firstPager(); slot; slot = image.nextPager(*slot))
                listedPager = *slot;
            std::optional<int> listedGroup;
            for (auto slot = image.firstGroup(); slot; slot = image.nextGroup(*slot))
                listedGroup = *slot;
            ASSERT_EQ(listedGroup.has_value(), c.shown.group);
            EXPECT_EQ(c.shown.group ? listedGroup : listedPager, c.shown.slot);

            EXPECT_EQ(image.findPager(12), listedPager);
            EXPECT_EQ(image.findGroup(12), listedGroup);

            if (renumber)
                EXPECT_TRUE(image.renumberLocalId(12, 40));
            else
                image.deleteLocalId(12);
            for (const Record& r : c.records) {
                const bool isShown = r.group == c.shown.group && r.slot == c.shown.slot;
                const uint16_t id =
                    r.group ? image.group(r.slot).localId() : image.pager(r.slot).localId();
                const uint16_t expected = !isShown ? 12 : renumber ? 40 : None;
                EXPECT_EQ(id, expected) << (r.group ? "group" : "pager") << " slot " << r.slot
                                        << (renumber ? " after renumbering" : " after deleting");
            }
        }
    }
}

// Rewriting a member list clears the flag bits 0-3 of its group; a list left as it was keeps
// them, and bits 4-7 always stay.
TEST(ConfigurationImageReferences, RewritingAMemberListClearsItsLowFlagBits)
{
    struct Case {
        const char* what;
        std::vector<uint16_t> members;
        bool deleteIt; // deleteLocalId, else removeFromAllGroups
        uint16_t id;
        std::vector<uint16_t> after;
        uint8_t flagsAfter;
    };
    const Case cases[] = {
        {"a member from the middle", {5, 7, 9}, true, 7, {5, 9}, 0xF0},
        {"the last member", {5, 7}, true, 7, {5}, 0xF0},
        {"a gap read from a file is closed", {5, None, 9}, true, 30, {5, 9}, 0xF0},
        {"a list the delete does not touch", {5, 9}, true, 30, {5, 9}, 0xFF},
        {"taken out of every group", {7, 3}, false, 7, {3}, 0xF0},
        {"not in the group", {5, 9}, false, 7, {5, 9}, 0xFF},
    };
    for (const Case& c : cases) {
        ConfigurationImage image;
        int slot = 0;
        for (const uint16_t id : {5, 7, 9, 30})
            addPager(image, slot++, id);
        addGroup(image, 0, 100, c.members);
        image.group(0).setGroupFlags(0xFF);

        if (c.deleteIt)
            image.deleteLocalId(c.id);
        else
            image.removeFromAllGroups(c.id);

        EXPECT_EQ(members(image, 0), c.after) << c.what;
        EXPECT_EQ(image.group(0).member(static_cast<int>(c.after.size())), None) << c.what;
        EXPECT_EQ(image.group(0).groupFlags(), c.flagsAfter) << c.what;
    }
}

TEST(ConfigurationImageIteration, VisitsAscendingLocalIdsAndSkipsWhatTheIndexHides)
{
    ConfigurationImage image;
    addPager(image, 7, 30);
    addPager(image, 2, 10);
    addPager(image, 5, 20);
    EXPECT_EQ(pagerOrder(image), (std::vector<uint16_t>{10, 20, 30}));

    addPager(image, 8, 25, 7);        // capcode below 8
    addPager(image, 9, 26, 2097151);  // capcode above 2097150
    addPager(image, 10, 27, 2097150); // the highest valid capcode
    addPager(image, 11, 10000);       // beyond the local ID range
    addPager(image, 12, 9999, 8);
    EXPECT_EQ(pagerOrder(image), (std::vector<uint16_t>{10, 20, 27, 30, 9999}));

    // A group hides a pager with the same local ID from the pager iteration.
    addGroup(image, 3, 20, {});
    addGroup(image, 1, 5, {});
    addGroup(image, 4, 10001, {});
    EXPECT_EQ(pagerOrder(image), (std::vector<uint16_t>{10, 27, 30, 9999}));
    EXPECT_EQ(groupOrder(image), (std::vector<uint16_t>{5, 20}));

    // Of two pagers with one local ID, the later slot is visited.
    addPager(image, 100, 30, 555);
    const auto slot = image.nextPager(*image.firstPager());
    ASSERT_TRUE(slot);
    EXPECT_EQ(image.pager(*image.nextPager(*slot)).capcode(), 555u);
}

TEST(ConfigurationImageReferences, RenumberMovesEveryReferenceRemindersAndComp1Too)
{
    ConfigurationImage image;
    addPager(image, 0, 12);
    addGroup(image, 0, 60, {5, None, 12}); // a member behind an empty slot moves too
    addGroup(image, 1, 61, {12});
    image.functionKey(0).setTarget(12);
    image.functionKey(7).setTarget(12);
    image.alarm(0).setFirstTarget(12);
    image.alarm(3).setSecondTarget(12);
    image.reminder(0).setTarget(12);
    image.settings().setValue(UnitSettings::comp1LocalId, 12);

    image.renumberLocalId(12, 40);

    EXPECT_EQ(image.pager(0).localId(), 40);
    EXPECT_EQ(image.group(0).member(2), 40);
    EXPECT_EQ(image.group(1).member(0), 40);
    EXPECT_EQ(image.functionKey(0).target(), 40);
    EXPECT_EQ(image.functionKey(7).target(), 40);
    EXPECT_EQ(image.alarm(0).firstTarget(), 40);
    EXPECT_EQ(image.alarm(3).secondTarget(), 40);
    EXPECT_EQ(image.reminder(0).target(), 40);
    EXPECT_EQ(image.settings().value(UnitSettings::comp1LocalId), 40u);

    // Nothing holds 77: no reference changes.
    image.functionKey(1).setTarget(77);
    image.renumberLocalId(77, 78);
    EXPECT_EQ(image.functionKey(1).target(), 77);

    image.renumberLocalId(60, 65);
    EXPECT_EQ(image.group(0).localId(), 65);
}

TEST(ConfigurationImageReferences, DeleteClosesTheGapItLeavesInMemberLists)
{
    ConfigurationImage image;
    addPager(image, 0, 5);
    addPager(image, 1, 7);
    addPager(image, 2, 9);
    addGroup(image, 0, 100, {5, 7, 9});
    addGroup(image, 1, 101, {7});
    image.functionKey(2).setTarget(7);
    image.alarm(1).setFirstTarget(7);
    image.reminder(4).setTarget(7);
    image.reminder(9).setTarget(7);
    image.settings().setValue(UnitSettings::comp1LocalId, 7);

    image.deleteLocalId(7);

    EXPECT_TRUE(image.pager(1).isFree());
    EXPECT_EQ(image.group(0).member(0), 5);
    EXPECT_EQ(image.group(0).member(1), 9);
    EXPECT_EQ(image.group(0).member(2), None);
    EXPECT_EQ(members(image, 0), (std::vector<uint16_t>{5, 9}));
    EXPECT_TRUE(image.groupHasMember(0, 9));
    EXPECT_EQ(members(image, 1), std::vector<uint16_t>{});
    EXPECT_EQ(image.functionKey(2).target(), None);
    EXPECT_EQ(image.alarm(1).firstTarget(), None);
    // Nothing may keep the freed number: a later pager given it would inherit these.
    EXPECT_EQ(image.reminder(4).target(), None);
    EXPECT_EQ(image.reminder(9).target(), None);
    EXPECT_EQ(image.settings().value(UnitSettings::comp1LocalId), None);

    image.deleteLocalId(100);
    EXPECT_TRUE(image.group(0).isFree());
    EXPECT_EQ(image.group(0).member(0), None);
}

TEST(ConfigurationImageReferences, RemovingAMemberFromEveryGroupKeepsTheOthers)
{
    ConfigurationImage image;
    addGroup(image, 0, 100, {5, 7, 9, 7});
    addGroup(image, 1, 101, {7, 3});
    image.alarm(0).setFirstTarget(7);

    image.removeFromAllGroups(7);

    EXPECT_EQ(members(image, 0), (std::vector<uint16_t>{5, 9}));
    EXPECT_EQ(members(image, 1), (std::vector<uint16_t>{3}));
    EXPECT_EQ(image.group(0).member(2), None);
    EXPECT_EQ(image.alarm(0).firstTarget(), 7);
}

TEST(ConfigurationImageReferences, TheFreeSlotMarkIsNeverRenumbered)
{
    ConfigurationImage image;
    addPager(image, 0, 12);
    addGroup(image, 0, 60, {12});
    image.functionKey(0).setTarget(None);
    image.alarm(0).setFirstTarget(None);
    const ConfigurationImage::Bytes before = image.bytes();

    EXPECT_FALSE(image.renumberLocalId(None, 40));
    EXPECT_FALSE(image.renumberLocalId(12, None));
    EXPECT_EQ(image.bytes(), before);
    EXPECT_TRUE(image.renumberLocalId(12, 40));
}

TEST(ConfigurationImageMembership, NestedGroupsRelationsAndLoops)
{
    ConfigurationImage image;
    addGroup(image, 0, 1, {2});    // A contains B
    addGroup(image, 1, 2, {3});    // B contains C
    addGroup(image, 2, 3, {8, 9}); // C holds pagers
    addGroup(image, 3, 4, {});     // D stands alone

    EXPECT_TRUE(image.groupContains(0, 9));
    EXPECT_FALSE(image.groupContains(2, 1));
    EXPECT_TRUE(image.groupsRelated(2, 0));
    EXPECT_TRUE(image.groupsRelated(0, 2));
    EXPECT_TRUE(image.groupsRelated(3, 3));
    EXPECT_FALSE(image.groupsRelated(3, 0));
    EXPECT_FALSE(image.groupsRelated(0, std::nullopt));
    EXPECT_FALSE(image.groupHasMember(std::nullopt, 2));

    // A loop in a loaded file ends the search.
    addGroup(image, 4, 10, {11});
    addGroup(image, 5, 11, {10});
    EXPECT_FALSE(image.groupContains(4, 99));
    EXPECT_TRUE(image.groupContains(4, 10));

    // Member iteration: slot order, ten at most; a member behind an empty slot (a file written
    // before gaps were closed) is not lost.
    std::vector<uint16_t> full{20, 21, 22, 23, 24, 25, 26, 27, 28, 29};
    addGroup(image, 6, 12, full);
    EXPECT_EQ(members(image, 6), full);
    EXPECT_EQ(members(image, 3), std::vector<uint16_t>{});
    addGroup(image, 7, 13, {5, None, 9, None, None, None, None, None, None, 30});
    EXPECT_EQ(members(image, 7), (std::vector<uint16_t>{5, 9, 30}));
    EXPECT_TRUE(image.groupHasMember(7, 9));
    EXPECT_TRUE(image.groupHasMember(7, 30));
}

TEST(SlotClaimDecision, PicksTheSlotSaveWritesWithoutADialog)
{
    using O = SlotClaim::Outcome;
    ConfigurationImage image;
    addPager(image, 3, 12);
    addPager(image, 5, 40);
    struct Case {
        const char* what;
        std::optional<int> pending;
        std::optional<uint16_t> shown;
        bool fieldChanged;
        uint16_t newId;
        O outcome;
        std::optional<int> slot;
        bool renumber;
    };
    const std::vector<Case> cases = {
        {"new slot, free ID", 9, std::nullopt, true, 77, O::Write, 9, false},
        {"new slot, taken ID", 9, std::nullopt, true, 40, O::IdTaken, std::nullopt, false},
        {"nothing shown", std::nullopt, std::nullopt, true, 77, O::NothingShown, std::nullopt,
         false},
        {"shown, unchanged", std::nullopt, 12, false, 12, O::Write, 3, false},
        {"shown, renumbered", std::nullopt, 12, true, 77, O::Write, 3, true},
        {"shown, renumbered onto a taken ID", std::nullopt, 12, true, 40, O::IdTaken, std::nullopt,
         false},
        {"shown, 0012 for 12 is a change to a taken ID", std::nullopt, 12, true, 12, O::IdTaken,
         std::nullopt, false},
        {"shown, no longer in the image", std::nullopt, 55, false, 55, O::Write, std::nullopt,
         false},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        const SlotClaim claim = SlotClaim::decide(image, &ConfigurationImage::findPager, c.pending,
                                                  c.shown, c.fieldChanged, c.newId);
        EXPECT_EQ(claim.outcome, c.outcome);
        EXPECT_EQ(claim.slot, c.slot);
        EXPECT_EQ(claim.renumber, c.renumber);
    }
}
