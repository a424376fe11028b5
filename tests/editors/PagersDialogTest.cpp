#include "PagersDialog.h"
#include "../support/Mnemonics.h"
#include "EditorFixture.h"

#include <QComboBox>
#include <QPushButton>

#include <gtest/gtest.h>

#include <memory>

namespace {

const QString LocalIdInUse =
    QStringLiteral("LocalID is already in use!\nPlease choose another number");

class PagersDialogTest : public ::testing::Test, public EditorFixture {
protected:
    std::unique_ptr<PagersDialog> open()
    {
        auto dialog = std::make_unique<PagersDialog>(database, recordTestPages());
        showActive(*dialog);
        return dialog;
    }
    // Fields as the user would type them, then Save.
    void saveWith(PagersDialog& dialog, const QString& name, const QString& capcode,
                  const QString& localId)
    {
        retype(dialog.nameField(), name);
        retype(dialog.capcodeField(), capcode);
        retype(dialog.localIdField(), localId);
        dialog.save();
    }
};

TEST_F(PagersDialogTest, AnEmptyTableOffersOnlyNewWhichSuggestsTheFirstFreeNumber)
{
    addGroup(0, 1, "Bar", {});
    auto dialog = open();
    EXPECT_EQ(dialog->list()->count(), 0);
    EXPECT_EQ(dialog->localIdField()->text(), QStringLiteral("1"));
    EXPECT_EQ(dialog->capcodeField()->text(), QStringLiteral("8"));
    EXPECT_TRUE(dialog->newButton()->isEnabled());
    for (QWidget* off : std::initializer_list<QWidget*>{
             dialog->saveButton(), dialog->deleteButton(), dialog->testButton(),
             dialog->nameField(), dialog->capcodeField(), dialog->localIdField(),
             dialog->receiverTypeList()})
        EXPECT_FALSE(off->isEnabled()) << off->metaObject()->className();

    dialog->newRecord();
    EXPECT_EQ(dialog->localIdField()->text(), QStringLiteral("2")); // the group holds 1
    EXPECT_EQ(dialog->capcodeField()->text(), QStringLiteral("8"));
    EXPECT_EQ(dialog->receiverTypeList()->currentIndex(), PagerRecord::Beeper);
    EXPECT_TRUE(dialog->saveButton()->isEnabled());
    // No list entry is selected: Test has nobody to page.
    EXPECT_FALSE(dialog->testButton()->isEnabled());
    dialog->testSelected();
    EXPECT_TRUE(testPages.empty());

    saveWith(*dialog, QStringLiteral("Kitchen  "), QStringLiteral("8"), QStringLiteral("2"));
    EXPECT_EQ(image().countPagers(), 1);
    EXPECT_EQ(database.names().name(2), QStringLiteral("Kitchen"));
    EXPECT_TRUE(database.isModified());
    EXPECT_EQ(texts(dialog->list()), QStringList{QStringLiteral("Kitchen")});
    EXPECT_TRUE(dialog->testButton()->isEnabled());
    dialog->testSelected();
    EXPECT_EQ(testPages, std::vector<uint16_t>{2});
}

TEST_F(PagersDialogTest, NewInAnEmptyDatabaseSuggestsOne)
{
    auto dialog = open();
    dialog->newRecord();
    EXPECT_EQ(dialog->localIdField()->text(), QStringLiteral("1"));
}

TEST_F(PagersDialogTest, AnEditAbandonedForAnotherPagerLeavesNewUsable)
{
    addPager(0, 5, "a");
    addPager(1, 7, "b");
    auto dialog = open();
    RecipientPickList::select(dialog->list(), 5);
    retype(dialog->nameField(), QStringLiteral("changed"));
    EXPECT_FALSE(dialog->newButton()->isEnabled());
    RecipientPickList::select(dialog->list(), 7);
    EXPECT_TRUE(dialog->newButton()->isEnabled());
    EXPECT_FALSE(dialog->saveButton()->isEnabled());
    EXPECT_EQ(dialog->nameField()->text(), QStringLiteral("b"));
    dialog->newRecord();
    EXPECT_TRUE(dialog->hasPendingNew());
}

TEST_F(PagersDialogTest, NewSuggestsTheNextFreeNumberAndKeepsTheCapcode)
{
    addPager(0, 5, "Five", PagerRecord::Numeric, 1234);
    addGroup(0, 6, "Six", {5});
    auto dialog = open();
    dialog->newRecord();
    EXPECT_EQ(dialog->localIdField()->text(), QStringLiteral("7"));
    EXPECT_EQ(dialog->capcodeField()->text(), QStringLiteral("1234"));
    EXPECT_TRUE(dialog->nameField()->text().isEmpty());
    EXPECT_TRUE(dialog->nameField()->hasFocus());
    EXPECT_FALSE(dialog->newButton()->isEnabled());
    EXPECT_FALSE(dialog->deleteButton()->isEnabled());

    // The group's number is taken: the edit is undone and the slot stays pending.
    saveWith(*dialog, QStringLiteral("Seven"), QStringLiteral("1234"), QStringLiteral("6"));
    EXPECT_EQ(shownTexts(), QStringList{LocalIdInUse});
    EXPECT_TRUE(dialog->localIdField()->hasFocus());
    EXPECT_EQ(image().countPagers(), 1);
    EXPECT_TRUE(dialog->hasPendingNew());
}

struct Refusal {
    const char* what;
    const char* name;
    const char* capcode;
    const char* localId;
    const char* message;
    int focus; // 0 name, 1 capcode, 2 local ID
};

TEST_F(PagersDialogTest, SaveChecksInOrderAndFocusesTheField)
{
    const Refusal refusals[] = {
        {"blank name", "   ", "7", "", "Please enter a valid name", 0},
        {"empty local ID", "A", "7", "", "Please enter a valid Local ID", 2},
        {"capcode too low", "A", "7", "12", "Please enter a valid Cap Code", 1},
        {"capcode too high", "A", "2097151", "12", "Please enter a valid Cap Code", 1},
        {"empty capcode", "A", "", "12", "Please enter a valid Cap Code", 1},
    };
    addPager(0, 12, "Twelve");
    for (const Refusal& r : refusals) {
        MessageBox::resetScript();
        auto dialog = open();
        const auto before = image().bytes();
        saveWith(*dialog, QString::fromLatin1(r.name), QString::fromLatin1(r.capcode),
                 QString::fromLatin1(r.localId));
        EXPECT_EQ(shownTexts(), QStringList{QString::fromLatin1(r.message)}) << r.what;
        QWidget* fields[] = {dialog->nameField(), dialog->capcodeField(), dialog->localIdField()};
        EXPECT_TRUE(fields[r.focus]->hasFocus()) << r.what;
        EXPECT_EQ(image().bytes(), before) << r.what;
        EXPECT_EQ(selectedId(dialog->list()), 12) << r.what;
    }
    for (const char* capcode : {"8", "2097150"}) {
        MessageBox::resetScript();
        auto dialog = open();
        saveWith(*dialog, QStringLiteral("Twelve"), QString::fromLatin1(capcode),
                 QStringLiteral("12"));
        EXPECT_TRUE(MessageBox::shown().isEmpty()) << capcode;
        EXPECT_EQ(image().pager(0).capcode(), QString::fromLatin1(capcode).toUInt());
    }
}

TEST_F(PagersDialogTest, ALocalIdAboveTheNumberSpaceIsRefused)
{
    // A five-digit limit (a file written by hand) lets the field take 10000.
    image().settings().setValue(UnitSettings::localIdLength, 5);
    addPager(0, 12, "Twelve");
    auto dialog = open();
    saveWith(*dialog, QStringLiteral("Twelve"), QStringLiteral("1000"), QStringLiteral("10000"));
    EXPECT_EQ(shownTexts(), QStringList{QStringLiteral("Please enter a valid Local ID")});
    EXPECT_EQ(image().pager(0).localId(), 12);

    // With the usual four digits a suggestion of five is refused by its length.
    image().settings().setValue(UnitSettings::localIdLength, 4);
    MessageBox::resetScript();
    auto fourDigits = open();
    fourDigits->localIdField()->setText(QStringLiteral("10000"));
    fourDigits->save();
    EXPECT_EQ(shownTexts(), QStringList{QStringLiteral("Please enter no more than 4 characters.")});
}

// The Local ID length limits what the user types, not what is already stored: after the setting
// went down from 4 to 2, pager 1234 must still take a new capcode and go away with Delete.
TEST_F(PagersDialogTest, AStoredLocalIdLongerThanTheLengthSettingStaysEditable)
{
    image().settings().setValue(UnitSettings::localIdLength, 2);
    addPager(0, 1234, "Long", PagerRecord::Numeric, 1000);
    addPager(1, 1, "One");
    auto dialog = open();
    RecipientPickList::select(dialog->list(), 1234);
    retype(dialog->capcodeField(), QStringLiteral("4321"));
    dialog->save();
    EXPECT_TRUE(MessageBox::shown().isEmpty());
    EXPECT_EQ(image().pager(0).capcode(), 4321u);
    EXPECT_EQ(image().pager(0).localId(), 1234);

    // New suggests a number that the field can hold and Save takes.
    dialog->newRecord();
    EXPECT_EQ(dialog->localIdField()->text(), QStringLiteral("2"));
    retype(dialog->nameField(), QStringLiteral("Two"));
    dialog->save();
    EXPECT_TRUE(MessageBox::shown().isEmpty());
    EXPECT_TRUE(image().findPager(2).has_value());

    RecipientPickList::select(dialog->list(), 1234);
    dialog->deleteSelected();
    EXPECT_TRUE(MessageBox::shown().isEmpty());
    EXPECT_FALSE(image().findPager(1234).has_value());
}

// A type no list entry stands for (a file from elsewhere) stays as stored unless one is chosen.
TEST_F(PagersDialogTest, AStoredReceiverTypeTheListDoesNotOfferIsKept)
{
    for (const int type : {6, 7}) {
        SCOPED_TRACE(type);
        image().resetToDefaults();
        addPager(0, 5, "Five", type);
        auto dialog = open();
        EXPECT_EQ(dialog->receiverTypeList()->currentIndex(), -1);
        retype(dialog->nameField(), QStringLiteral("Renamed"));
        dialog->save();
        EXPECT_EQ(image().pager(0).receiverType(), type);
        EXPECT_EQ(database.names().name(5), QStringLiteral("Renamed"));
    }
}

TEST_F(PagersDialogTest, RenumberingMovesEveryReference)
{
    addPager(0, 12, "Twelve");
    addPager(1, 13, "Thirteen");
    addGroup(0, 60, "G", {13, 12});
    image().alarm(0).setFirstTarget(12);
    image().functionKey(0).setTarget(12);
    image().functionKey(7).setTarget(12);
    image().reminder(0).setTarget(12);
    image().settings().setValue(UnitSettings::comp1LocalId, 12);
    auto dialog = open();
    RecipientPickList::select(dialog->list(), 12);
    saveWith(*dialog, QStringLiteral("Twelve"), QStringLiteral("1000"), QStringLiteral("40"));
    EXPECT_TRUE(MessageBox::shown().isEmpty());
    EXPECT_EQ(image().pager(0).localId(), 40);
    EXPECT_EQ(members(0), (std::vector<uint16_t>{13, 40}));
    EXPECT_EQ(image().alarm(0).firstTarget(), 40);
    EXPECT_EQ(image().functionKey(0).target(), 40);
    EXPECT_EQ(image().functionKey(7).target(), 40);
    EXPECT_EQ(image().reminder(0).target(), 40);
    EXPECT_EQ(image().settings().value(UnitSettings::comp1LocalId), 40u);
    EXPECT_EQ(selectedId(dialog->list()), 40);

    // A field reading 013 for pager 13 counts as a change, and 13 is in use.
    RecipientPickList::select(dialog->list(), 13);
    MessageBox::resetScript();
    saveWith(*dialog, QStringLiteral("Thirteen"), QStringLiteral("1000"), QStringLiteral("013"));
    EXPECT_EQ(shownTexts(), QStringList{LocalIdInUse});
}

TEST_F(PagersDialogTest, AFailedSaveThenACorrectedOneUpdatesTheSamePager)
{
    addPager(0, 12, "Twelve");
    auto dialog = open();
    saveWith(*dialog, QStringLiteral("Twelve"), QStringLiteral("7"), QStringLiteral("12"));
    EXPECT_EQ(MessageBox::shown().size(), 1);
    MessageBox::resetScript();
    retype(dialog->capcodeField(), QStringLiteral("4321"));
    dialog->save();
    EXPECT_TRUE(MessageBox::shown().isEmpty());
    EXPECT_EQ(image().countPagers(), 1);
    EXPECT_EQ(image().pager(0).capcode(), 4321u);
}

TEST_F(PagersDialogTest, DeleteEmptiesReferencesAndKeepsTheOtherMembers)
{
    addPager(0, 5, "a");
    addPager(1, 7, "b");
    addPager(2, 9, "c");
    addGroup(0, 100, "G", {5, 7, 9});
    image().alarm(1).setSecondTarget(7);
    image().functionKey(3).setTarget(7);
    image().reminder(2).setTarget(7);
    image().settings().setValue(UnitSettings::comp1LocalId, 7);
    auto dialog = open();
    RecipientPickList::select(dialog->list(), 7);
    dialog->deleteSelected();
    EXPECT_EQ(image().reminder(2).target(), 0xFFFF);
    EXPECT_EQ(image().settings().value(UnitSettings::comp1LocalId), 0xFFFFu);
    EXPECT_EQ(members(0), (std::vector<uint16_t>{5, 9}));
    EXPECT_EQ(image().alarm(1).secondTarget(), 0xFFFF);
    EXPECT_EQ(image().functionKey(3).target(), 0xFFFF);
    EXPECT_FALSE(database.names().contains(7));
    EXPECT_TRUE(database.isModified());
    EXPECT_EQ(selectedId(dialog->list()), 9); // the entry now at the same position

    dialog->deleteSelected();
    dialog->deleteSelected();
    EXPECT_EQ(dialog->list()->count(), 0);
    EXPECT_FALSE(dialog->deleteButton()->isEnabled());
    EXPECT_FALSE(dialog->nameField()->isEnabled());
    EXPECT_TRUE(dialog->newButton()->isEnabled());
}

TEST_F(PagersDialogTest, AVoiceTypeLeavesEveryGroupOnlyWhenConfirmed)
{
    addPager(0, 5, "a");
    addPager(1, 7, "b");
    addPager(2, 9, "c");
    addGroup(0, 100, "G", {5, 7, 9});
    auto dialog = open();
    RecipientPickList::select(dialog->list(), 7);

    MessageBox::setNextAnswer(QMessageBox::Cancel);
    dialog->receiverTypeList()->setCurrentIndex(PagerRecord::Voice);
    emit dialog->receiverTypeList()->activated(PagerRecord::Voice);
    ASSERT_EQ(MessageBox::shown().size(), 1);
    EXPECT_EQ(MessageBox::shown().first().caption, QStringLiteral("WARNING"));
    EXPECT_EQ(dialog->receiverTypeList()->currentIndex(), PagerRecord::Numeric);
    dialog->save();
    EXPECT_EQ(members(0), (std::vector<uint16_t>{5, 7, 9}));

    // OK, then on to Group Tone before saving: asked again.
    MessageBox::resetScript();
    MessageBox::setNextAnswer(QMessageBox::Ok);
    MessageBox::setNextAnswer(QMessageBox::Ok);
    for (int type : {int(PagerRecord::Voice), int(PagerRecord::GroupTone)}) {
        dialog->receiverTypeList()->setCurrentIndex(type);
        emit dialog->receiverTypeList()->activated(type);
    }
    EXPECT_EQ(MessageBox::shown().size(), 2);
    dialog->save();
    EXPECT_EQ(image().pager(1).receiverType(), PagerRecord::GroupTone);
    EXPECT_EQ(members(0), (std::vector<uint16_t>{5, 9}));
}

// The confirmed voice warning belongs to the pager it was given for: whatever shows another
// pager, or gives up that pager, ends it before a Save of another pager could act on it.
TEST_F(PagersDialogTest, AConfirmedVoiceWarningEndsWithThePagerItWasGivenFor)
{
    struct Case {
        const char* what;
        bool newPager; // the warning is confirmed for a New instead of pager 5
        std::function<void(PagersDialog&)> leave;
        std::vector<uint16_t> members;
    };
    const Case cases[] = {
        {"another pager shown",
         false,
         [](PagersDialog& d) { RecipientPickList::select(d.list(), 7); },
         {5, 7, 9}},
        {"Delete", false, [](PagersDialog& d) { d.deleteSelected(); }, {7, 9}},
        {"a pending New dropped", true, [](PagersDialog& d) { d.list()->setFocus(); }, {5, 7, 9}},
    };
    for (const Case& c : cases) {
        image().resetToDefaults();
        database.names().clear();
        MessageBox::resetScript();
        addPager(0, 5, "a");
        addPager(1, 7, "b");
        addPager(2, 9, "c");
        addGroup(0, 100, "G", {5, 7, 9});
        auto dialog = open();
        RecipientPickList::select(dialog->list(), 5);
        if (c.newPager)
            dialog->newRecord();
        MessageBox::setNextAnswer(QMessageBox::Ok);
        dialog->receiverTypeList()->setCurrentIndex(PagerRecord::Voice);
        emit dialog->receiverTypeList()->activated(PagerRecord::Voice);
        c.leave(*dialog);

        const int shown = selectedId(dialog->list());
        retype(dialog->nameField(), QStringLiteral("Renamed"));
        dialog->save();
        EXPECT_EQ(members(0), c.members) << c.what;
        EXPECT_EQ(database.names().name(static_cast<uint16_t>(shown)), QStringLiteral("Renamed"))
            << c.what;
    }
}

TEST_F(PagersDialogTest, GivingTheListTheFocusDropsANewPagerAndShowsTheSelectedOne)
{
    addPager(0, 5, "Five", PagerRecord::Numeric, 1234);
    auto dialog = open();
    dialog->newRecord();
    retype(dialog->nameField(), QStringLiteral("Never"));
    dialog->list()->setFocus();
    EXPECT_FALSE(dialog->hasPendingNew());
    EXPECT_TRUE(dialog->newButton()->isEnabled());
    EXPECT_FALSE(dialog->saveButton()->isEnabled());
    EXPECT_EQ(dialog->localIdField()->text(), QStringLiteral("5"));
    EXPECT_EQ(dialog->nameField()->text(), QStringLiteral("Five"));
    EXPECT_EQ(image().countPagers(), 1);

    // Closing with a New pending leaves its slot free.
    dialog->newRecord();
    dialog->reject();
    EXPECT_EQ(image().countPagers(), 1);
    EXPECT_TRUE(image().pager(1).isFree());
}

TEST_F(PagersDialogTest, A1000thPagerIsTheLast)
{
    for (int slot = 0; slot < ConfigurationImage::PagerCount; ++slot)
        addPager(slot, static_cast<uint16_t>(slot + 1), nullptr);
    auto dialog = open();
    dialog->newRecord();
    EXPECT_EQ(MessageBox::beeps(), QList<MessageBox::Beep>{MessageBox::Beep::Default});
    EXPECT_EQ(shownTexts(), QStringList{QStringLiteral("Maximum pagers allowed is 1000")});
    EXPECT_FALSE(dialog->hasPendingNew());
}

TEST_F(PagersDialogTest, NoTwoControlsShareAMnemonicInEitherLanguage)
{
    EXPECT_EQ(mnemonics::windowClashes(*open()), QStringList());
    const mnemonics::SpanishTexts spanish;
    ASSERT_TRUE(spanish.loaded());
    auto dialog = open();
    EXPECT_EQ(dialog->windowTitle(), QStringLiteral("Buscas"));
    EXPECT_EQ(mnemonics::windowClashes(*dialog), QStringList());
}

} // namespace

// A file may give one local ID to two records. The editor edits and deletes the pager its list
// shows, and says which local IDs are held twice so that the user can mend them.
TEST_F(PagersDialogTest, DuplicatedLocalIdsAreSaidAndTheListedPagerIsTheOneEdited)
{
    addPager(0, 30, "Early", PagerRecord::Numeric, 300);
    addPager(5, 30, "Late", PagerRecord::Numeric, 500);
    addPager(1, 12, "Hidden", PagerRecord::Numeric, 120);
    addGroup(0, 12, nullptr, {30});
    addPager(2, 40, "Single", PagerRecord::Numeric, 400);
    auto dialog = open();
    EXPECT_FALSE(dialog->duplicatesNote()->isHidden());
    EXPECT_TRUE(dialog->duplicatesNote()->text().contains(QStringLiteral(": 12, 30.")))
        << dialog->duplicatesNote()->text().toStdString();

    ASSERT_EQ(texts(dialog->list()),
              (QStringList{QStringLiteral("Late"), QStringLiteral("Single")}));
    dialog->list()->setCurrentRow(0);
    EXPECT_EQ(dialog->capcodeField()->text(), QStringLiteral("500"));
    retype(dialog->capcodeField(), QStringLiteral("555"));
    dialog->save();
    EXPECT_EQ(image().pager(5).capcode(), 555u);
    EXPECT_EQ(image().pager(0).capcode(), 300u);

    // Deleting the listed pager brings the other one to the list; 30 is then held once.
    dialog->list()->setCurrentRow(0);
    dialog->deleteSelected();
    EXPECT_TRUE(image().pager(5).isFree());
    EXPECT_EQ(image().pager(0).localId(), 30);
    EXPECT_EQ(image().pager(1).localId(), 12); // hidden behind the group, never touched
    EXPECT_TRUE(dialog->duplicatesNote()->text().contains(QStringLiteral(": 12.")))
        << dialog->duplicatesNote()->text().toStdString();

    // Once every local ID is held once, there is nothing to say.
    image().clearPager(1);
    auto mended = open();
    EXPECT_TRUE(mended->duplicatesNote()->isHidden());
}
