#include "RecipientPickList.h"
#include "../support/SiteBuilder.h"
#include "ConfigurationImage.h"
#include "NameTable.h"

#include <QComboBox>
#include <QListWidget>

#include <gtest/gtest.h>

namespace {

using Options = RecipientPickList::Options;
using NonePlacement = RecipientPickList::NonePlacement;
constexpr uint16_t None = ConfigurationImage::NoLocalId;

// Pagers 30 "bar", 10 "Zed", 20 (no name) in slots out of local-ID order; groups 50 "alpha" and
// 40 "Bar" likewise.
class RecipientPickListTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        image.resetToDefaults();
        SiteBuilder(image, &names)
            .pager(30, 130, "bar")
            .pager(10, 110, "Zed")
            .pager(20, 120)
            .group(50, "alpha")
            .group(40, "Bar");
    }
    static QList<uint16_t> ids(const QList<RecipientPickList::Entry>& entries)
    {
        QList<uint16_t> result;
        for (const auto& entry : entries)
            result << entry.localId;
        return result;
    }

    ConfigurationImage image;
    NameTable names;
};

struct OrderCase {
    const char* what;
    Options options;
    QList<uint16_t> expected;
};

TEST_F(RecipientPickListTest, OrdersEntriesAsDescribed)
{
    auto with = [](auto change) {
        Options options;
        change(options);
        return options;
    };
    const auto noFilter = [](Options&) {
    };
    const QList<OrderCase> cases = {
        {"pagers then groups by local ID", with(noFilter), {10, 20, 30, 40, 50}},
        {"None first",
         with([](Options& o) { o.none = NonePlacement::First; }),
         {None, 10, 20, 30, 40, 50}},
        {"pagers only", with([](Options& o) { o.groups = false; }), {10, 20, 30}},
        {"groups only", with([](Options& o) { o.pagers = false; }), {40, 50}},
        // "20" < "alpha" < "bar" = "Bar" (local ID breaks the tie) < "Zed", case-insensitive.
        {"sorted by text", with([](Options& o) { o.sortByText = true; }), {20, 50, 30, 40, 10}},
        {"None among sorted names",
         with([](Options& o) {
             o.sortByText = true;
             o.none = NonePlacement::AmongNames;
         }),
         {20, 50, 30, 40, None, 10}},
        {"None first before sorted names",
         with([](Options& o) {
             o.sortByText = true;
             o.none = NonePlacement::First;
         }),
         {None, 20, 50, 30, 40, 10}},
        {"filtered",
         with([](Options& o) {
             o.accept = [](uint16_t id) {
                 return id != 20 && id != 40;
             };
         }),
         {10, 30, 50}},
        {"filter never drops None",
         with([](Options& o) {
             o.none = NonePlacement::First;
             o.accept = [](uint16_t) {
                 return false;
             };
         }),
         {None}},
    };
    for (const OrderCase& c : cases)
        EXPECT_EQ(ids(RecipientPickList::entries(image, names, c.options)), c.expected) << c.what;
}

// Names sort as the user's language sorts them: an accented letter beside its plain one, not
// after "Z" as its code point would put it.
TEST_F(RecipientPickListTest, NamesSortInTheUsersCollation)
{
    names.setName(30, QStringLiteral("\u00C1lvaro"));
    names.setName(10, QStringLiteral("Zoe"));
    names.setName(50, QStringLiteral("\u00E9mile"));
    names.setName(40, QStringLiteral("bob"));
    Options options;
    options.sortByText = true;
    EXPECT_EQ(ids(RecipientPickList::entries(image, names, options)),
              (QList<uint16_t>{20, 30, 40, 50, 10}));
}

TEST_F(RecipientPickListTest, UnnamedEntriesShowTheirLocalId)
{
    EXPECT_EQ(RecipientPickList::displayText(names, 30), QStringLiteral("bar"));
    EXPECT_EQ(RecipientPickList::displayText(names, 20), QStringLiteral("20"));
}

TEST_F(RecipientPickListTest, ControlsCarryTheLocalIdAndSelectByIt)
{
    // Two entries with one text: selecting by text would take the wrong one.
    names.setName(10, QStringLiteral("bar"));
    QComboBox combo;
    QListWidget list;
    Options options;
    options.sortByText = true;
    options.none = NonePlacement::First;
    RecipientPickList::fill(&combo, image, names, options);
    RecipientPickList::fill(&list, image, names, options);
    ASSERT_EQ(combo.count(), 6);
    ASSERT_EQ(list.count(), 6);
    EXPECT_EQ(combo.itemText(0), RecipientPickList::noneText());
    EXPECT_EQ(combo.itemData(0, RecipientPickList::LocalIdRole).toUInt(), None);
    EXPECT_FALSE(RecipientPickList::selectedLocalId(&combo));
    EXPECT_FALSE(RecipientPickList::selectedLocalId(&list));

    for (uint16_t id : {uint16_t(30), uint16_t(10), None}) {
        EXPECT_TRUE(RecipientPickList::select(&combo, id));
        EXPECT_TRUE(RecipientPickList::select(&list, id));
        EXPECT_EQ(RecipientPickList::selectedLocalId(&combo), id);
        EXPECT_EQ(RecipientPickList::selectedLocalId(&list), id);
    }
    EXPECT_FALSE(RecipientPickList::select(&combo, 77));
    EXPECT_FALSE(RecipientPickList::select(&list, 77));
    EXPECT_FALSE(RecipientPickList::selectedLocalId(&combo));
    EXPECT_FALSE(RecipientPickList::selectedLocalId(&list));
}

TEST_F(RecipientPickListTest, RefillReplacesTheOldEntries)
{
    QListWidget list;
    RecipientPickList::fill(&list, image, names, {});
    image.clearPager(0);
    RecipientPickList::fill(&list, image, names, {});
    EXPECT_EQ(ids(RecipientPickList::entriesOf(&list)), (QList<uint16_t>{10, 20, 40, 50}));
}

} // namespace
