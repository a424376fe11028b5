#pragma once

#include "ConfigurationImage.h"

#include <QDialog>
#include <QTime>

#include <array>

class Database;
class QComboBox;
class QLineEdit;
class QTimeEdit;

// The Reminder Messages editor: ten reminders, each with the pager or group to page, the time
// of day and the message. OK writes the ten records (and marks the database modified when that
// changed them), Cancel writes nothing.
class ReminderMessagesDialog : public QDialog {
    Q_OBJECT
public:
    static constexpr int MaxMessageLength = 33;

    struct Row {
        QComboBox* target;
        QTimeEdit* time;
        QLineEdit* message;
    };

    explicit ReminderMessagesDialog(Database& database, QWidget* parent = nullptr);

    const Row& row(int index) const { return rows_[index]; }
    void accept() override;

    // A stored time of day is minutes after local midnight, the same in every time zone and
    // season, so it maps to a wall-clock time with no date or offset involved.
    static QTime wallClockTime(uint16_t minutes);
    static uint16_t minutesAfterMidnight(QTime time);

private:
    Database& database_;
    std::array<Row, ConfigurationImage::ReminderCount> rows_{};
};
