#pragma once

#include "RecordView.h"

// 31 bytes: one alarm input. The flags hold the tone in bits 0-2 and "Send Reset" in bit 3;
// bits 4-7 belong to the unit and are carried along untouched.
class AlarmRecord : public RecordView {
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

    using RecordView::RecordView;

    int inputType() const { return static_cast<int>(value(inputTypeField)); }
    void setInputType(int type) { setValue(inputTypeField, static_cast<uint32_t>(type)); }
    uint16_t delay() const { return static_cast<uint16_t>(value(delayField)); }
    void setDelay(uint16_t delay) { setValue(delayField, delay); }
    uint16_t firstTarget() const { return static_cast<uint16_t>(value(firstTargetField)); }
    void setFirstTarget(uint16_t id) { setValue(firstTargetField, id); }
    uint16_t secondTarget() const { return static_cast<uint16_t>(value(secondTargetField)); }
    void setSecondTarget(uint16_t id) { setValue(secondTargetField, id); }
    uint16_t escalation() const { return static_cast<uint16_t>(value(escalationField)); }
    void setEscalation(uint16_t escalation) { setValue(escalationField, escalation); }

    uint8_t alarmFlags() const { return static_cast<uint8_t>(value(alarmFlagsField)); }
    void setAlarmFlags(uint8_t flags) { setValue(alarmFlagsField, flags); }
    int tone() const { return alarmFlags() & ToneMask; }
    void setTone(int tone)
    {
        setAlarmFlags(static_cast<uint8_t>((alarmFlags() & ~ToneMask) | (tone & ToneMask)));
    }
    bool sendReset() const { return (alarmFlags() & SendResetFlag) != 0; }
    void setSendReset(bool on)
    {
        setAlarmFlags(static_cast<uint8_t>(on ? (alarmFlags() | SendResetFlag)
                                              : (alarmFlags() & ~SendResetFlag)));
    }

    QString message() const { return text(messageField); }
    void setMessage(const QString& message) { setText(messageField, message); }
};
