#pragma once

#include "RecordView.h"

// 38 bytes: the pager or group to remind, the time of day in minutes after midnight and the
// message.
template <bool Writable> class BasicReminderRecord : public BasicRecordView<Writable> {
    using View = BasicRecordView<Writable>;

public:
    static constexpr int Size = 38;
    static constexpr ImageField targetField{0, 2};
    static constexpr ImageField timeOfDayField{2, 2};
    static constexpr ImageField messageField{4, 34};

    using View::View;

    uint16_t target() const { return static_cast<uint16_t>(this->value(targetField)); }
    void setTarget(uint16_t id) requires Writable { this->setValue(targetField, id); }
    uint16_t timeOfDay() const { return static_cast<uint16_t>(this->value(timeOfDayField)); }
    void setTimeOfDay(uint16_t minutes) requires Writable
    {
        this->setValue(timeOfDayField, minutes);
    }
    QString message() const { return this->text(messageField); }
    void setMessage(const QString& message) requires Writable
    {
        this->setText(messageField, message);
    }
};

using ReminderRecord = BasicReminderRecord<true>;
using ConstReminderRecord = BasicReminderRecord<false>;
