#include "ReminderMessagesDialog.h"

#include "DataExchange.h"
#include "Database.h"
#include "EditorRows.h"
#include "RecipientPickList.h"
#include "RecordEditing.h"

#include <QComboBox>
#include <QLineEdit>
#include <QTimeEdit>

ReminderMessagesDialog::ReminderMessagesDialog(Database& database, QWidget* parent)
    : QDialog(parent)
    , database_(database)
{
    setWindowTitle(tr("Reminder Messages"));
    ConfigurationImage& image = database_.image();
    RecipientPickList::Options options;
    options.none = RecipientPickList::NonePlacement::First;
    const auto targets = RecipientPickList::entries(image, database_.names(), options);

    EditorRows grid(this, {tr("Pager"), tr("Time to send"), tr("Message")});
    for (int index = 0; index < ConfigurationImage::ReminderCount; ++index) {
        Row& row = rows_[index];
        row.target = EditorRows::targetList(targets, this);
        row.time = new QTimeEdit(this);
        // Hours and minutes with the morning/afternoon marker in the language's own words.
        row.time->setDisplayFormat(QStringLiteral("hh:mm AP"));
        row.message = EditorRows::messageField(MaxMessageLength, this);
        grid.addRow(QString::number(index + 1), {row.target, row.time, row.message});

        const ReminderRecord reminder = image.reminder(index);
        // A number that no pager or group holds (a file from elsewhere) shows as itself rather
        // than as a blank box, and OK keeps it.
        if (!RecipientPickList::select(row.target, reminder.target())) {
            row.target->addItem(QString::number(reminder.target()), reminder.target());
            RecipientPickList::select(row.target, reminder.target());
        }
        row.time->setTime(wallClockTime(reminder.timeOfDay()));
        row.message->setText(reminder.message());
    }
    grid.addButtons(tr("&Ok"), tr("&Cancel"));
}

QTime ReminderMessagesDialog::wallClockTime(uint16_t minutes)
{
    return QTime(0, 0).addSecs(60 * (minutes % (24 * 60)));
}

uint16_t ReminderMessagesDialog::minutesAfterMidnight(QTime time)
{
    return static_cast<uint16_t>(time.hour() * 60 + time.minute());
}

void ReminderMessagesDialog::accept()
{
    ConfigurationImage& image = database_.image();
    const auto before = image.bytes();
    for (int index = 0; index < ConfigurationImage::ReminderCount; ++index) {
        const Row& row = rows_[index];
        ReminderRecord reminder = image.reminder(index);
        // A target the list does not offer stays as stored, so that OK alone changes nothing.
        if (const auto target = RecipientPickList::selectedLocalId(row.target))
            reminder.setTarget(*target);
        if (DataExchange::edited(row.message, reminder.message()))
            reminder.setMessage(RecordEditing::trimmedRight(row.message->text()));
        // A stored value past the end of the day keeps itself unless a time was picked.
        if (row.time->time() != wallClockTime(reminder.timeOfDay()))
            reminder.setTimeOfDay(minutesAfterMidnight(row.time->time()));
    }
    EditorRows::markIfChanged(database_, before);
    QDialog::accept();
}
