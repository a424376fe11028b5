#pragma once

#include "RecordView.h"

// 31 bytes: one alarm input. The flags hold the tone in bits 0-2 and "Send Reset" in bit 3;
// bits 4-7 belong to the unit and are carried along untouched.
template <bool Writable> class BasicAlarmRecord : public BasicRecordView<Writable> {
    using View = BasicRecordView<Writable>;

public:
    static constexpr int Size = 31;
    static constexpr ImageField inputTypeField{0, 1};
    static constexpr ImageField delayField{1, 2};
    static constexpr ImageField firstTargetField{3, 2};
    static constexpr ImageField secondTargetField{5, 2};
    static constexpr ImageField escalationField{7, 2};
    static constexpr ImageField alarmFlagsField{9, 1};
    static constexpr ImageField messageField{10, 21};

    static constexpr uint8_t ToneMask = 0x07;
    static constexpr uint8_t SendResetFlag = 0x08;

    enum InputType { Disabled, NormallyOpen, NormallyClosed, StateChange };

    using View::View;

    int inputType() const { return static_cast<int>(this->value(inputTypeField)); }
    void setInputType(int type) requires Writable
    {
        this->setValue(inputTypeField, static_cast<uint32_t>(type));
    }
    uint16_t delay() const { return static_cast<uint16_t>(this->value(delayField)); }
    void setDelay(uint16_t delay) requires Writable { this->setValue(delayField, delay); }
    uint16_t firstTarget() const { return static_cast<uint16_t>(this->value(firstTargetField)); }
    void setFirstTarget(uint16_t id) requires Writable { this->setValue(firstTargetField, id); }
    uint16_t secondTarget() const { return static_cast<uint16_t>(this->value(secondTargetField)); }
    void setSecondTarget(uint16_t id) requires Writable { this->setValue(secondTargetField, id); }
    uint16_t escalation() const { return static_cast<uint16_t>(this->value(escalationField)); }
    void setEscalation(uint16_t escalation) requires Writable
    {
        this->setValue(escalationField, escalation);
    }

    uint8_t alarmFlags() const { return static_cast<uint8_t>(this->value(alarmFlagsField)); }
    void setAlarmFlags(uint8_t flags) requires Writable { this->setValue(alarmFlagsField, flags); }
    int tone() const { return alarmFlags() & ToneMask; }
    void setTone(int tone) requires Writable
    {
        setAlarmFlags(static_cast<uint8_t>((alarmFlags() & ~ToneMask) | (tone & ToneMask)));
    }
    bool sendReset() const { return (alarmFlags() & SendResetFlag) != 0; }
    void setSendReset(bool on) requires Writable
    {
        setAlarmFlags(static_cast<uint8_t>(on ? (alarmFlags() | SendResetFlag)
                                              : (alarmFlags() & ~SendResetFlag)));
    }

    QString message() const { return this->text(messageField); }
    void setMessage(const QString& message) requires Writable
    {
        this->setText(messageField, message);
    }
};

using AlarmRecord = BasicAlarmRecord<true>;
using ConstAlarmRecord = BasicAlarmRecord<false>;
