#pragma once

#include "RecordView.h"

// 38 bytes: the pager or group to remind, the time of day in minutes after midnight and the
// message.
class ReminderRecord : public RecordView {
public:
    static constexpr int Size = 38;
    static constexpr ImageField targetField{0, 2};
    static constexpr ImageField timeOfDayField{2, 2};
    static constexpr ImageField messageField{4, 34};

    using RecordView::RecordView;

    uint16_t target() const { return static_cast<uint16_t>(value(targetField)); }
    void setTarget(uint16_t id) { setValue(targetField, id); }
    uint16_t timeOfDay() const { return static_cast<uint16_t>(value(timeOfDayField)); }
    void setTimeOfDay(uint16_t minutes) { setValue(timeOfDayField, minutes); }
    QString message() const { return text(messageField); }
    void setMessage(const QString& message) { setText(messageField, message); }
};
