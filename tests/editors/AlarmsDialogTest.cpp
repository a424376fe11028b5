#include "AlarmsDialog.h"
#include "../support/Mnemonics.h"
#include "EditorFixture.h"

#include <QCheckBox>
#include <QComboBox>

#include <gtest/gtest.h>

#include <memory>

namespace {

class AlarmsDialogTest : public ::testing::Test, public EditorFixture {
protected:
    AlarmsDialogTest() { image().resetToDefaults(); }

    std::unique_ptr<AlarmsDialog> open()
    {
        auto dialog = std::make_unique<AlarmsDialog>(database);
        showActive(*dialog);
        return dialog;
    }
    static int selectedId(const QComboBox* list)
    {
        const auto id = RecipientPickList::selectedLocalId(list);
        return id ? *id : -1;
    }
    static QList<QWidget*> dependentControls(const AlarmsDialog::Row& row)
    {
        return {row.firstTarget, row.delay,   row.escalation, row.secondTarget,
                row.tone,        row.message, row.sendReset};
    }
};

TEST_F(AlarmsDialogTest, AFreshImageShowsFourDisabledRows)
{
    auto dialog = open();
    EXPECT_EQ(dialog->windowTitle(), QStringLiteral("Alarms"));
    for (int index = 0; index < ConfigurationImage::AlarmCount; ++index) {
        SCOPED_TRACE(index);
        const auto& row = dialog->row(index);
        EXPECT_EQ(row.type->currentText(), QStringLiteral("Disabled"));
        EXPECT_TRUE(row.type->isEnabled());
        EXPECT_EQ(row.firstTarget->currentText(), QStringLiteral("None"));
        EXPECT_EQ(row.secondTarget->currentText(), QStringLiteral("None"));
        EXPECT_EQ(row.delay->text(), QStringLiteral("0"));
        EXPECT_EQ(row.escalation->text(), QStringLiteral("60"));
        EXPECT_EQ(row.tone->currentText(), QStringLiteral("C"));
        EXPECT_EQ(row.message->text(), QString());
        EXPECT_FALSE(row.sendReset->isChecked());
        for (QWidget* control : dependentControls(row))
            EXPECT_FALSE(control->isEnabled());
    }
}

TEST_F(AlarmsDialogTest, ChangingATypeEnablesThatRowOnly)
{
    auto dialog = open();
    dialog->row(1).type->setCurrentIndex(AlarmRecord::NormallyOpen);
    for (int index = 0; index < ConfigurationImage::AlarmCount; ++index)
        for (QWidget* control : dependentControls(dialog->row(index)))
            EXPECT_EQ(control->isEnabled(), index == 1) << index;
    dialog->row(1).type->setCurrentIndex(AlarmRecord::Disabled);
    for (QWidget* control : dependentControls(dialog->row(1)))
        EXPECT_FALSE(control->isEnabled());
}

TEST_F(AlarmsDialogTest, OkWritesEveryRowAndKeepsTheUnitsFlagBits)
{
    addPager(0, 5, "Five");
    addGroup(0, 40, "Kitchen", {5});
    image().alarm(2).setAlarmFlags(0xA0 | AlarmRecord::SendResetFlag);
    auto dialog = open();
    const auto& row = dialog->row(2);
    row.type->setCurrentIndex(AlarmRecord::StateChange);
    RecipientPickList::select(row.firstTarget, 40);
    RecipientPickList::select(row.secondTarget, 5);
    retype(row.delay, QStringLiteral("999"));
    retype(row.escalation, QStringLiteral("9999"));
    row.tone->setCurrentIndex(3);
    retype(row.message, QStringLiteral("Freezer door"));
    row.sendReset->setChecked(false);
    // A disabled row is written too.
    dialog->row(3).message->setText(QStringLiteral("off"));
    dialog->accept();

    EXPECT_EQ(dialog->result(), QDialog::Accepted);
    const AlarmRecord alarm = image().alarm(2);
    EXPECT_EQ(alarm.inputType(), AlarmRecord::StateChange);
    EXPECT_EQ(alarm.firstTarget(), 40);
    EXPECT_EQ(alarm.secondTarget(), 5);
    EXPECT_EQ(alarm.delay(), 999);
    EXPECT_EQ(alarm.escalation(), 9999);
    EXPECT_EQ(alarm.alarmFlags(), 0xA3);
    EXPECT_EQ(alarm.message(), QStringLiteral("Freezer door"));
    EXPECT_EQ(image().alarm(3).message(), QStringLiteral("off"));
    EXPECT_TRUE(database.isModified());
}

// Opening and OK give back every record as stored: targets are chosen by local ID, so an
// unnamed pager, the second of two pagers of one name, or an ID no list offers all survive.
TEST_F(AlarmsDialogTest, OkWithoutAChangeLeavesTheImageByteForByte)
{
    addPager(0, 5, "Same");
    addPager(1, 7, "same");
    addPager(2, 9, nullptr);
    addGroup(0, 40, nullptr, {5});
    const struct {
        uint16_t first, second;
        int firstShown, secondShown;
    } cases[] = {{7, 9, 7, 9}, {9, 40, 9, 40}, {0xFFFF, 7, 0xFFFF, 7}, {1234, 5, -1, 5}};
    for (int index = 0; index < ConfigurationImage::AlarmCount; ++index) {
        AlarmRecord alarm = image().alarm(index);
        alarm.setInputType(AlarmRecord::NormallyClosed);
        alarm.setFirstTarget(cases[index].first);
        alarm.setSecondTarget(cases[index].second);
        alarm.setAlarmFlags(0xF5);
    }
    const auto before = image().bytes();
    auto dialog = open();
    for (int index = 0; index < ConfigurationImage::AlarmCount; ++index) {
        EXPECT_EQ(selectedId(dialog->row(index).firstTarget), cases[index].firstShown) << index;
        EXPECT_EQ(selectedId(dialog->row(index).secondTarget), cases[index].secondShown) << index;
    }
    EXPECT_EQ(dialog->row(0).secondTarget->currentText(), QStringLiteral("9"));
    dialog->accept();
    EXPECT_EQ(dialog->result(), QDialog::Accepted);
    EXPECT_EQ(image().bytes(), before);
    EXPECT_FALSE(database.isModified());
}

TEST_F(AlarmsDialogTest, CancelAfterChangesWritesNothing)
{
    const auto before = image().bytes();
    auto dialog = open();
    dialog->row(0).type->setCurrentIndex(AlarmRecord::NormallyOpen);
    retype(dialog->row(0).message, QStringLiteral("changed"));
    retype(dialog->row(1).delay, QStringLiteral("12"));
    dialog->reject();
    EXPECT_EQ(image().bytes(), before);
    EXPECT_FALSE(database.isModified());
}

// An empty field, or a stored value beyond the field's range, stops OK with the focus on it.
TEST_F(AlarmsDialogTest, NumbersOkRefusesShowTheirMessageWithTheFocusOnTheField)
{
    const struct {
        const char* what;
        QLineEdit* AlarmsDialog::Row::*field;
        uint16_t stored;
        bool cleared;
        const char* message;
    } cases[] = {
        {"empty delay", &AlarmsDialog::Row::delay, 0, true, "Please enter an integer."},
        {"empty escalation", &AlarmsDialog::Row::escalation, 0, true, "Please enter an integer."},
        {"stored delay", &AlarmsDialog::Row::delay, 5000, false,
         "Please enter an integer between 0 and 999."},
        {"stored escalation", &AlarmsDialog::Row::escalation, 10000, false,
         "Please enter an integer between 0 and 9999."},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.what);
        MessageBox::resetScript();
        image().resetToDefaults();
        if (c.field == &AlarmsDialog::Row::delay)
            image().alarm(2).setDelay(c.stored);
        else if (c.stored)
            image().alarm(2).setEscalation(c.stored);
        const auto before = image().bytes();
        auto dialog = open();
        retype(dialog->row(0).message, QStringLiteral("not written"));
        dialog->row(2).type->setCurrentIndex(AlarmRecord::NormallyOpen);
        QLineEdit* field = dialog->row(2).*c.field;
        if (c.cleared)
            field->clear();
        else
            EXPECT_EQ(field->text(), QString::number(c.stored));
        dialog->accept();
        EXPECT_EQ(shownTexts(), QStringList{QString::fromLatin1(c.message)});
        EXPECT_TRUE(field->hasFocus());
        EXPECT_NE(dialog->result(), QDialog::Accepted);
        EXPECT_EQ(image().bytes(), before);
    }
}

// A disabled row's boxes cannot take the focus: a value out of range there must not block OK,
// and OK keeps it as stored.
TEST_F(AlarmsDialogTest, AStoredNumberOutOfRangeInADisabledRowIsKept)
{
    image().alarm(1).setDelay(5000);
    image().alarm(3).setEscalation(10000);
    const auto before = image().bytes();
    auto dialog = open();
    EXPECT_FALSE(dialog->row(1).delay->isEnabled());
    dialog->accept();
    EXPECT_TRUE(MessageBox::shown().isEmpty());
    EXPECT_EQ(dialog->result(), QDialog::Accepted);
    EXPECT_EQ(image().bytes(), before);
}

TEST_F(AlarmsDialogTest, TypingIsLimitedInAdvance)
{
    auto dialog = open();
    const auto& row = dialog->row(0);
    row.type->setCurrentIndex(AlarmRecord::NormallyOpen);
    retype(row.message, QString(21, u'm'));
    retype(row.delay, QStringLiteral("12a34"));
    retype(row.escalation, QStringLiteral("123456"));
    EXPECT_EQ(row.delay->text(), QStringLiteral("123"));
    EXPECT_EQ(row.escalation->text(), QStringLiteral("1234"));
    dialog->accept();
    EXPECT_EQ(image().alarm(0).message(), QString(20, u'm'));
    EXPECT_EQ(image().alarm(0).delay(), 123);
    EXPECT_EQ(image().alarm(0).escalation(), 1234);
}

TEST_F(AlarmsDialogTest, NoTwoControlsShareAMnemonicInEitherLanguage)
{
    EXPECT_EQ(mnemonics::windowClashes(*open()), QStringList());
    const mnemonics::SpanishTexts spanish;
    ASSERT_TRUE(spanish.loaded());
    auto dialog = open();
    EXPECT_NE(dialog->windowTitle(), QStringLiteral("Alarms"));
    EXPECT_EQ(mnemonics::windowClashes(*dialog), QStringList());
}

} // namespace
