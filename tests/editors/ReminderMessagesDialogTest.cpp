#include "ReminderMessagesDialog.h"
#include "../support/Mnemonics.h"
#include "EditorFixture.h"

#include <QComboBox>
#include <QTimeEdit>

#include <gtest/gtest.h>

#include <ctime>
#include <memory>

namespace {

class ReminderMessagesDialogTest : public ::testing::Test, public EditorFixture {
protected:
    ReminderMessagesDialogTest() { image().resetToDefaults(); }

    std::unique_ptr<ReminderMessagesDialog> open()
    {
        auto dialog = std::make_unique<ReminderMessagesDialog>(database);
        showActive(*dialog);
        return dialog;
    }
};

// The time zone of the process for as long as it lives.
class TimeZone {
public:
    explicit TimeZone(const char* zone)
        : had_(qEnvironmentVariableIsSet("TZ"))
        , saved_(qgetenv("TZ"))
    {
        qputenv("TZ", zone);
        tzset();
    }
    ~TimeZone()
    {
        if (had_)
            qputenv("TZ", saved_);
        else
            qunsetenv("TZ");
        tzset();
    }
    TimeZone(const TimeZone&) = delete;
    TimeZone& operator=(const TimeZone&) = delete;

private:
    bool had_;
    QByteArray saved_;
};

TEST_F(ReminderMessagesDialogTest, AFreshImageShowsTenEmptyRowsAtMidnight)
{
    auto dialog = open();
    EXPECT_EQ(dialog->windowTitle(), QStringLiteral("Reminder Messages"));
    for (int index = 0; index < ConfigurationImage::ReminderCount; ++index) {
        SCOPED_TRACE(index);
        EXPECT_EQ(dialog->row(index).target->currentText(), QStringLiteral("None"));
        EXPECT_EQ(dialog->row(index).time->text(), QStringLiteral("12:00 AM"));
        EXPECT_EQ(dialog->row(index).message->text(), QString());
    }
}

// Zones with summer time in either hemisphere, so that whatever today is some are in summer and
// some in winter, and zones whose offset is not whole hours: the stored minutes show and come
// back the same everywhere.
TEST_F(ReminderMessagesDialogTest, TimesArePlainHoursAndMinutesInEveryZoneAndSeason)
{
    const char* zones[] = {"UTC",
                           "America/New_York",
                           "Europe/Berlin",
                           "Asia/Kolkata",
                           "America/St_Johns",
                           "Australia/Sydney",
                           "Pacific/Chatham",
                           "America/Santiago"};
    for (const char* zone : zones) {
        const TimeZone inZone(zone);
        {
            SCOPED_TRACE(zone);
            image().reminder(0).setTimeOfDay(1439);
            image().reminder(1).setTimeOfDay(450);
            image().reminder(2).setTimeOfDay(0);
            auto dialog = open();
            EXPECT_EQ(dialog->row(0).time->text(), QStringLiteral("11:59 PM"));
            EXPECT_EQ(dialog->row(1).time->text(), QStringLiteral("07:30 AM"));
            EXPECT_EQ(dialog->row(2).time->text(), QStringLiteral("12:00 AM"));
            dialog->row(2).time->setTime(QTime(7, 30));
            dialog->accept();
            EXPECT_EQ(image().reminder(0).timeOfDay(), 1439);
            EXPECT_EQ(image().reminder(1).timeOfDay(), 450);
            EXPECT_EQ(image().reminder(2).timeOfDay(), 450);
        }
    }
}

TEST_F(ReminderMessagesDialogTest, OkTrimsMessagesAndKeepsTargetsByLocalId)
{
    addPager(0, 5, "Same");
    addPager(1, 7, "SAME");
    addPager(2, 9, nullptr);
    const uint16_t targets[] = {7, 9, 0xFFFF, 1234};
    for (int index = 0; index < 4; ++index)
        image().reminder(index).setTarget(targets[index]);
    const auto before = image().bytes();

    auto dialog = open();
    EXPECT_EQ(RecipientPickList::selectedLocalId(dialog->row(0).target), 7);
    EXPECT_EQ(dialog->row(1).target->currentText(), QStringLiteral("9"));
    // A number no list offers shows as itself, in its own row only, and stays as stored.
    EXPECT_EQ(dialog->row(3).target->currentText(), QStringLiteral("1234"));
    EXPECT_EQ(dialog->row(2).target->findText(QStringLiteral("1234")), -1);
    dialog->accept();
    EXPECT_EQ(image().bytes(), before);
    EXPECT_FALSE(database.isModified());

    dialog = open();
    retype(dialog->row(4).message, QString(34, u'r'));
    EXPECT_EQ(dialog->row(4).message->text(), QString(33, u'r'));
    retype(dialog->row(9).message, QStringLiteral("Take pills   "));
    RecipientPickList::select(dialog->row(9).target, 5);
    dialog->accept();
    EXPECT_EQ(image().reminder(4).message(), QString(33, u'r'));
    EXPECT_EQ(image().reminder(9).message(), QStringLiteral("Take pills"));
    EXPECT_EQ(image().reminder(9).target(), 5);
    EXPECT_TRUE(database.isModified());
}

TEST_F(ReminderMessagesDialogTest, CancelAfterChangesWritesNothing)
{
    const auto before = image().bytes();
    auto dialog = open();
    dialog->row(0).time->setTime(QTime(9, 15));
    retype(dialog->row(5).message, QStringLiteral("changed"));
    dialog->reject();
    EXPECT_EQ(image().bytes(), before);
}

TEST_F(ReminderMessagesDialogTest, NoTwoControlsShareAMnemonicInEitherLanguage)
{
    EXPECT_EQ(mnemonics::windowClashes(*open()), QStringList());
    const mnemonics::SpanishTexts spanish;
    ASSERT_TRUE(spanish.loaded());
    auto dialog = open();
    EXPECT_NE(dialog->windowTitle(), QStringLiteral("Reminder Messages"));
    EXPECT_EQ(mnemonics::windowClashes(*dialog), QStringList());
}

} // namespace
