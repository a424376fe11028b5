#include "GroupsDialog.h"
#include "../support/Mnemonics.h"
#include "EditorFixture.h"
#include "MembersDialog.h"
#include "ModalRunner.h"

#include <QCheckBox>
#include <QPushButton>

#include <gtest/gtest.h>

#include <memory>

namespace {

class GroupsDialogTest : public ::testing::Test, public EditorFixture {
protected:
    std::unique_ptr<GroupsDialog> open()
    {
        auto dialog = std::make_unique<GroupsDialog>(database, recordTestPages());
        showActive(*dialog);
        return dialog;
    }
    std::unique_ptr<MembersDialog> members(GroupsDialog& groups)
    {
        auto dialog = std::make_unique<MembersDialog>(QStringLiteral("G"), groups.membersList(),
                                                      groups.candidateList());
        dialog->show();
        return dialog;
    }
    // Runs Edit with the Members dialog driven by `drive`, then OK.
    void editMembers(GroupsDialog& groups, std::function<void(MembersDialog&)> drive)
    {
        ModalRunner::setDriver([&](QDialog& dialog) {
            auto& members = dynamic_cast<MembersDialog&>(dialog);
            lastMembersTitle = members.windowTitle();
            drive(members);
            members.accept();
        });
        groups.editMembers();
    }
    static void select(QListWidget* list, const QStringList& texts)
    {
        list->clearSelection();
        for (int row = 0; row < list->count(); ++row)
            if (texts.contains(list->item(row)->text()))
                list->item(row)->setSelected(true);
    }
    QStringList candidateIds(GroupsDialog& dialog)
    {
        QStringList ids;
        for (const auto& entry : RecipientPickList::entriesOf(dialog.candidateList()))
            ids << QString::number(entry.localId);
        ids.sort();
        return ids;
    }

    QString lastMembersTitle;
};

TEST_F(GroupsDialogTest, SaveWithoutMembersIsRefusedAndWritesNothing)
{
    addPager(0, 5, "Five");
    auto dialog = open();
    dialog->newRecord();
    retype(dialog->nameField(), QStringLiteral("Bar"));
    const auto before = image().bytes();
    dialog->save();
    EXPECT_EQ(
        shownTexts(),
        QStringList{QStringLiteral(
            "You have not assigned any members to this Group\nPlease add at least one member")});
    EXPECT_TRUE(dialog->localIdField()->hasFocus());
    EXPECT_EQ(image().bytes(), before);
}

TEST_F(GroupsDialogTest, MembersAreStoredAlphabeticallyWhateverOrderTheyArrivedIn)
{
    addPager(0, 1, "delta");
    addPager(1, 2, "Alpha");
    addPager(2, 3, "charlie");
    addPager(3, 4, "Bravo");
    auto dialog = open();
    dialog->newRecord();
    retype(dialog->nameField(), QStringLiteral("Crew"));
    QStringList arrived;
    editMembers(*dialog, [&](MembersDialog& members) {
        select(members.notInGroupList(), {QStringLiteral("Alpha"), QStringLiteral("charlie")});
        members.addSelected();
        select(members.notInGroupList(), {QStringLiteral("delta"), QStringLiteral("Bravo")});
        QTest::mouseClick(members.addButton(), Qt::LeftButton);
        arrived = texts(members.inGroupList());
    });
    // Each move puts the last selected entry first.
    EXPECT_EQ(arrived, (QStringList{QStringLiteral("delta"), QStringLiteral("Bravo"),
                                    QStringLiteral("charlie"), QStringLiteral("Alpha")}));
    EXPECT_EQ(lastMembersTitle, QStringLiteral("Members of: "));
    EXPECT_TRUE(dialog->saveButton()->isEnabled());
    dialog->save();
    EXPECT_TRUE(MessageBox::shown().isEmpty());
    const auto slot = image().findGroup(5);
    ASSERT_TRUE(slot);
    EXPECT_EQ(EditorFixture::members(*slot), (std::vector<uint16_t>{2, 4, 3, 1}));
    EXPECT_TRUE(database.isModified());
    dialog->testSelected();
    EXPECT_EQ(testPages, std::vector<uint16_t>{5});
}

TEST_F(GroupsDialogTest, NoWayOfAddingGoesBeyondTenMembers)
{
    std::vector<uint16_t> eight;
    for (uint16_t id = 1; id <= 11; ++id) {
        addPager(id - 1, id, QByteArray("p").append(QByteArray::number(id)).constData());
        if (id <= 8)
            eight.push_back(id);
    }
    addGroup(0, 100, "Full", eight);
    auto dialog = open();
    const auto m = members(*dialog);
    const QStringList three{QStringLiteral("p9"), QStringLiteral("p10"), QStringLiteral("p11")};
    const QString limit = QStringLiteral("Maximum group members allowed is 10");

    select(m->notInGroupList(), three);
    QTest::mouseClick(m->addButton(), Qt::LeftButton);
    EXPECT_EQ(shownTexts(), QStringList{limit});
    EXPECT_EQ(MessageBox::beeps(), QList<MessageBox::Beep>{MessageBox::Beep::Default});

    select(m->notInGroupList(), three);
    m->beginDrag(m->notInGroupList());
    m->endDragOver(m->inGroupList()->viewport());
    EXPECT_EQ(shownTexts(), (QStringList{limit, limit}));

    select(m->notInGroupList(), {three.first()});
    emit m->notInGroupList()->itemDoubleClicked(m->notInGroupList()->selectedItems().first());
    select(m->notInGroupList(), three.mid(1));
    emit m->notInGroupList()->itemDoubleClicked(m->notInGroupList()->selectedItems().first());
    EXPECT_EQ(shownTexts(), (QStringList{limit, limit, limit}));
    EXPECT_EQ(m->inGroupList()->count(), 9);

    // A drop on the source list or elsewhere moves nothing; on the other list it does.
    select(m->notInGroupList(), {QStringLiteral("p10")});
    m->beginDrag(m->notInGroupList());
    m->endDragOver(m->notInGroupList()->viewport());
    m->beginDrag(m->notInGroupList());
    m->endDragOver(m->addButton());
    EXPECT_EQ(m->inGroupList()->count(), 9);
    m->beginDrag(m->notInGroupList());
    m->endDragOver(m->inGroupList()->viewport());
    EXPECT_EQ(m->inGroupList()->count(), 10);
}

TEST_F(GroupsDialogTest, ARealDragWithTheMouseMovesTheEntries)
{
    addPager(0, 1, "one");
    addPager(1, 2, "two");
    addGroup(0, 100, "G", {1});
    auto dialog = open();
    const auto m = members(*dialog);
    showActive(*m);
    QWidget* from = m->notInGroupList()->viewport();
    const QPoint start = m->notInGroupList()->visualItemRect(m->notInGroupList()->item(0)).center();
    QTest::mousePress(from, Qt::LeftButton, {}, start);
    QTest::mouseMove(from, start + QPoint(0, 2 * QApplication::startDragDistance()));
    ASSERT_FALSE(m->inGroupList()->count() == 2);
    const QPoint target = m->inGroupList()->viewport()->mapTo(m.get(), QPoint(10, 40));
    QTest::mouseMove(from, from->mapFrom(m.get(), target));
    QTest::mouseRelease(from, Qt::LeftButton, {}, from->mapFrom(m.get(), target));
    EXPECT_EQ(texts(m->inGroupList()), (QStringList{QStringLiteral("two"), QStringLiteral("one")}));
}

TEST_F(GroupsDialogTest, CandidatesLeaveOutVoicePagersMembersAndLoops)
{
    addPager(0, 1, "numeric", PagerRecord::Numeric);
    addPager(1, 2, "voice", PagerRecord::Voice);
    addPager(2, 3, "tone", PagerRecord::GroupTone);
    addPager(3, 4, "beeper", PagerRecord::Beeper);
    addGroup(0, 10, "A", {11}); // A holds B
    addGroup(1, 11, "B", {12}); // B holds C
    addGroup(2, 12, "C", {1});  // C holds pager 1
    addGroup(3, 13, "D", {4});  // D stands apart
    auto dialog = open();
    struct Case {
        uint16_t group;
        QStringList expected;
    };
    const Case cases[] = {
        {10, {QStringLiteral("1"), QStringLiteral("13"), QStringLiteral("4")}},
        {12, {QStringLiteral("13"), QStringLiteral("4")}},
        {13,
         {QStringLiteral("1"), QStringLiteral("10"), QStringLiteral("11"), QStringLiteral("12")}},
    };
    for (const Case& c : cases) {
        RecipientPickList::select(dialog->list(), c.group);
        EXPECT_EQ(candidateIds(*dialog), c.expected) << c.group;
    }
    // A group not yet saved may take every saved group.
    dialog->newRecord();
    EXPECT_EQ(candidateIds(*dialog),
              (QStringList{QStringLiteral("1"), QStringLiteral("10"), QStringLiteral("11"),
                           QStringLiteral("12"), QStringLiteral("13"), QStringLiteral("4")}));
}

TEST_F(GroupsDialogTest, AGroupReadWithAGapShowsAndKeepsEveryMember)
{
    addPager(0, 5, "a");
    addPager(1, 9, "b");
    addPager(2, 6, "c");
    addGroup(0, 100, "G", {5, 0xFFFF, 9});
    auto dialog = open();
    EXPECT_EQ(texts(dialog->membersList()),
              (QStringList{QStringLiteral("a"), QStringLiteral("b")}));
    EXPECT_EQ(candidateIds(*dialog), QStringList{QStringLiteral("6")});
    dialog->rotaryBox()->click();
    dialog->save();
    EXPECT_EQ(EditorFixture::members(0), (std::vector<uint16_t>{5, 9}));
    EXPECT_TRUE(image().group(0).isRotary());
}

TEST_F(GroupsDialogTest, GivingUpANewGroupNeverRewritesTheSelectedOne)
{
    addPager(0, 1, "one");
    addPager(1, 2, "two");
    addGroup(0, 100, "Old", {1});
    image().alarm(0).setFirstTarget(100);
    auto dialog = open();
    dialog->newRecord();
    EXPECT_EQ(dialog->localIdField()->text(), QStringLiteral("101"));
    dialog->list()->setFocus();
    EXPECT_FALSE(dialog->hasPendingNew());
    EXPECT_EQ(dialog->localIdField()->text(), QStringLiteral("100"));
    EXPECT_EQ(texts(dialog->membersList()), QStringList{QStringLiteral("one")});

    editMembers(*dialog, [](MembersDialog& members) {
        members.notInGroupList()->selectAll();
        members.addSelected();
    });
    EXPECT_EQ(lastMembersTitle, QStringLiteral("Members of: Old"));
    dialog->save();
    EXPECT_EQ(image().group(0).localId(), 100);
    EXPECT_EQ(EditorFixture::members(0), (std::vector<uint16_t>{1, 2}));
    EXPECT_EQ(image().alarm(0).firstTarget(), 100);
    EXPECT_EQ(image().countGroups(), 1);
}

TEST_F(GroupsDialogTest, RenumberingAGroupMovesItsReferences)
{
    addPager(0, 1, "one");
    addGroup(0, 300, "Inner", {1});
    addGroup(1, 400, "Outer", {300});
    image().alarm(2).setSecondTarget(300);
    image().functionKey(4).setTarget(300);
    auto dialog = open();
    RecipientPickList::select(dialog->list(), 300);
    retype(dialog->localIdField(), QStringLiteral("301"));
    dialog->save();
    EXPECT_EQ(image().group(0).localId(), 301);
    EXPECT_EQ(EditorFixture::members(1), std::vector<uint16_t>{301});
    EXPECT_EQ(image().alarm(2).secondTarget(), 301);
    EXPECT_EQ(image().functionKey(4).target(), 301);
}

TEST_F(GroupsDialogTest, AStoredLocalIdLongerThanTheLengthSettingStaysEditable)
{
    image().settings().setValue(UnitSettings::localIdLength, 2);
    addPager(0, 1, "one");
    addGroup(0, 1234, "Long", {1});
    auto dialog = open();
    dialog->rotaryBox()->click();
    dialog->save();
    EXPECT_TRUE(MessageBox::shown().isEmpty());
    EXPECT_TRUE(image().group(0).isRotary());

    dialog->newRecord();
    EXPECT_EQ(dialog->localIdField()->text(), QStringLiteral("2"));
    dialog->list()->setFocus();
    dialog->deleteSelected();
    EXPECT_TRUE(MessageBox::shown().isEmpty());
    EXPECT_EQ(image().countGroups(), 0);
}

TEST_F(GroupsDialogTest, AnEditAbandonedForAnotherGroupLeavesNewUsable)
{
    addPager(0, 1, "one");
    addGroup(0, 100, "A", {1});
    addGroup(1, 200, "B", {1});
    auto dialog = open();
    retype(dialog->nameField(), QStringLiteral("changed"));
    EXPECT_FALSE(dialog->newButton()->isEnabled());
    RecipientPickList::select(dialog->list(), 200);
    EXPECT_TRUE(dialog->newButton()->isEnabled());
    EXPECT_FALSE(dialog->saveButton()->isEnabled());
    dialog->newRecord();
    EXPECT_TRUE(dialog->hasPendingNew());
}

TEST_F(GroupsDialogTest, TwentyGroupsAreTheLimitAndDeleteWalksOn)
{
    addPager(0, 1, "one");
    for (int slot = 0; slot < ConfigurationImage::GroupCount; ++slot)
        addGroup(slot, static_cast<uint16_t>(100 + slot), nullptr, {1});
    auto dialog = open();
    dialog->newRecord();
    EXPECT_EQ(shownTexts(), QStringList{QStringLiteral("Maximum groups allowed is 20")});
    EXPECT_EQ(MessageBox::beeps(), QList<MessageBox::Beep>{MessageBox::Beep::Default});
    EXPECT_FALSE(dialog->hasPendingNew());
    for (int left = ConfigurationImage::GroupCount; left > 0; --left)
        dialog->deleteSelected();
    EXPECT_EQ(image().countGroups(), 0);
    EXPECT_FALSE(dialog->editButton()->isEnabled());
    EXPECT_FALSE(dialog->testButton()->isEnabled());
    EXPECT_TRUE(dialog->newButton()->isEnabled());
}

// An entry without a name shows its local ID, as in every other list, whether or not other
// entries have names.
TEST_F(GroupsDialogTest, EntriesWithoutANameShowTheirLocalId)
{
    addPager(0, 1, nullptr);
    addPager(1, 2, "Two");
    addGroup(0, 100, nullptr, {1, 2});
    addGroup(1, 200, "Named", {100});
    for (const bool otherNames : {false, true}) {
        SCOPED_TRACE(otherNames);
        if (!otherNames) {
            database.names().remove(2);
            database.names().remove(200);
        }
        auto dialog = open();
        RecipientPickList::select(dialog->list(), 100);
        EXPECT_TRUE(texts(dialog->list()).contains(QStringLiteral("100")));
        EXPECT_TRUE(texts(dialog->membersList()).contains(QStringLiteral("1")));
        // The name field shows the name, and an unnamed group has none.
        EXPECT_EQ(dialog->nameField()->text(), QString());
        database.names().setName(2, QStringLiteral("Two"));
        database.names().setName(200, QStringLiteral("Named"));
    }
    auto dialog = open();
    RecipientPickList::select(dialog->list(), 200);
    EXPECT_TRUE(texts(dialog->candidateList()).contains(QStringLiteral("1")));
}

TEST_F(GroupsDialogTest, NoTwoControlsShareAMnemonicInEitherLanguage)
{
    addPager(0, 1, "one");
    addGroup(0, 100, "G", {1});
    for (bool spanish : {false, true}) {
        std::unique_ptr<mnemonics::SpanishTexts> texts;
        if (spanish)
            texts = std::make_unique<mnemonics::SpanishTexts>();
        auto dialog = open();
        const auto m = members(*dialog);
        EXPECT_EQ(mnemonics::windowClashes(*dialog), QStringList()) << spanish;
        EXPECT_EQ(mnemonics::windowClashes(*m), QStringList()) << spanish;
        if (spanish) {
            EXPECT_EQ(dialog->windowTitle(), QStringLiteral("Grupos"));
            EXPECT_EQ(m->windowTitle(), QStringLiteral("Miembros de: G"));
        }
    }
}

} // namespace

// A file may give a pager and a group one local ID; the list shows the group, so Delete and a
// new number act on the group and leave the pager behind it as it was.
TEST_F(GroupsDialogTest, DeleteAndRenumberActOnTheGroupAPagerWithItsIdHidesBehind)
{
    for (const bool renumber : {false, true}) {
        SCOPED_TRACE(renumber ? "renumber" : "delete");
        database = Database();
        addPager(0, 5, "Five");
        addPager(1, 12, "Hidden pager", PagerRecord::Numeric, 1200);
        addGroup(0, 12, "Bar", {5});
        auto dialog = open();
        ASSERT_EQ(texts(dialog->list()), QStringList{QStringLiteral("Bar")});
        dialog->list()->setCurrentRow(0);
        if (renumber) {
            retype(dialog->localIdField(), QStringLiteral("44"));
            dialog->save();
            EXPECT_EQ(image().group(0).localId(), 44);
        } else {
            dialog->deleteSelected();
            EXPECT_TRUE(image().group(0).isFree());
        }
        EXPECT_EQ(image().pager(1).localId(), 12);
        EXPECT_EQ(image().pager(1).capcode(), 1200u);
        EXPECT_EQ(image().pager(0).localId(), 5);
    }
}
