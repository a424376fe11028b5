#include "AlarmsDialog.h"
#include "CommonMessagesDialog.h"
#include "EditorFixture.h"
#include "FunctionKeysDialog.h"
#include "ReminderMessagesDialog.h"

#include <gtest/gtest.h>

#include <memory>

namespace {

template <typename Dialog> std::unique_ptr<QDialog> make(Database& database)
{
    return std::make_unique<Dialog>(database);
}

// A foreign or damaged file can fill a message field to its last byte, leaving no end marker.
// The field then holds one character more than its editor lets anybody type; OK without an edit
// must still leave those bytes alone.
class UnterminatedMessagesTest : public ::testing::Test, public EditorFixture {
protected:
    void fillWithoutEndMarker(int tableOffset, int recordSize, int fieldOffset, int fieldSize)
    {
        for (int index = 0; index < 2; ++index)
            for (int at = 0; at < fieldSize; ++at)
                image().setU8At(tableOffset + recordSize * index + fieldOffset + at,
                                static_cast<uint8_t>('a' + (at % 26)));
    }
};

TEST_F(UnterminatedMessagesTest, OkAloneKeepsAFullMessageField)
{
    struct Case {
        const char* dialog;
        int tableOffset;
        int recordSize;
        ImageField field;
        std::unique_ptr<QDialog> (*open)(Database&);
    };
    const Case cases[] = {
        {"alarms", ConfigurationImage::AlarmsOffset, AlarmRecord::Size, AlarmRecord::messageField,
         &make<AlarmsDialog>},
        {"reminders", ConfigurationImage::RemindersOffset, ReminderRecord::Size,
         ReminderRecord::messageField, &make<ReminderMessagesDialog>},
        {"function keys", ConfigurationImage::FunctionKeysOffset, FunctionKeyRecord::Size,
         FunctionKeyRecord::messageField, &make<FunctionKeysDialog>},
        {"common messages", ConfigurationImage::CommonMessagesOffset, CommonMessageRecord::Size,
         CommonMessageRecord::textField, &make<CommonMessagesDialog>},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.dialog);
        image().resetToDefaults();
        fillWithoutEndMarker(c.tableOffset, c.recordSize, c.field.offset, c.field.size);
        database.clearModified();
        const auto before = image().bytes();
        auto dialog = c.open(database);
        showActive(*dialog);
        dialog->accept();
        EXPECT_TRUE(image().bytes() == before);
        EXPECT_FALSE(database.isModified());
    }
}

} // namespace
