#pragma once

#include "RecordView.h"

#include <array>

// The unit-wide settings at the end of the configuration image. Field offsets are offsets in the
// whole image, so the view spans the image.
class UnitSettings : public RecordView {
public:
    static constexpr int Offset = 7668;
    static constexpr int Size = 68;

    static constexpr ImageField maintenancePassword{7668, 7};
    static constexpr ImageField administratorPassword{7675, 7};
    static constexpr ImageField auxiliaryCode{7682, 7};
    static constexpr ImageField answerRings{7689, 1};
    static constexpr ImageField promptDelay{7690, 1};
    static constexpr ImageField inactivityTime{7691, 1};
    static constexpr ImageField messagesBeforeDisconnect{7692, 1};
    static constexpr ImageField interfaceDataBits{7693, 1};
    static constexpr ImageField interfaceStopBits{7694, 1};
    static constexpr ImageField interfaceParity{7695, 1};
    static constexpr ImageField interfaceFlowControl{7696, 1};
    static constexpr ImageField lookupLocalId{7697, 1};
    static constexpr ImageField interfaceBaudRate{7698, 2};
    static constexpr ImageField interfaceProtocol{7700, 1};
    static constexpr ImageField comp1LocalId{7701, 2};
    static constexpr ImageField ignoreChecksum{7703, 1};
    static constexpr ImageField acceptInvalidPagers{7704, 1};
    static constexpr ImageField neverDisconnect{7705, 1};
    static constexpr ImageField sendIdEveryTwoSeconds{7706, 1};
    static constexpr ImageField pocsagDataRate{7707, 1};
    static constexpr ImageField defaultBeepTone{7708, 1};
    static constexpr ImageField encodingMethod{7709, 1};
    static constexpr ImageField reservedFlagA{7710, 1};
    static constexpr ImageField transmitterInverted{7711, 1};
    static constexpr ImageField reservedFlagB{7712, 1};
    static constexpr ImageField ignoreBusy{7713, 1};
    static constexpr ImageField antiTheftInterval{7714, 2};
    static constexpr ImageField antiTheftCapCode{7716, 4};
    static constexpr ImageField antiTheftEnabled{7720, 1};
    static constexpr ImageField groupCapCode{7721, 4};
    static constexpr ImageField locateCapCode{7725, 4};
    static constexpr ImageField localIdLength{7729, 1};
    static constexpr ImageField voicePagerType{7730, 1};
    static constexpr ImageField twoToneDurationA{7731, 1};
    static constexpr ImageField twoToneDurationB{7732, 1};
    static constexpr ImageField twoToneGap{7733, 1};
    static constexpr ImageField voicePagingTimeout{7734, 1};
    static constexpr ImageField reservedFlagC{7735, 1};

    struct NumberDefault {
        ImageField field;
        uint32_t value;
    };
    struct TextDefault {
        ImageField field;
        const char* value;
    };

    static constexpr std::array<TextDefault, 3> textDefaults{{
        {maintenancePassword, "482915"},
        {administratorPassword, ""},
        {auxiliaryCode, "730264"},
    }};

    static constexpr std::array<NumberDefault, 35> numberDefaults{{
        {answerRings, 2},         {promptDelay, 0},
        {inactivityTime, 3},      {messagesBeforeDisconnect, 0},
        {interfaceDataBits, 8},   {interfaceStopBits, 0},
        {interfaceParity, 0},     {interfaceFlowControl, 0},
        {lookupLocalId, 0},       {interfaceBaudRate, 9600},
        {interfaceProtocol, 0},   {comp1LocalId, 0xFFFF},
        {ignoreChecksum, 1},      {acceptInvalidPagers, 0},
        {neverDisconnect, 0},     {sendIdEveryTwoSeconds, 1},
        {pocsagDataRate, 0},      {defaultBeepTone, 0},
        {encodingMethod, 7},      {reservedFlagA, 0},
        {transmitterInverted, 0}, {reservedFlagB, 0},
        {ignoreBusy, 1},          {antiTheftInterval, 30},
        {antiTheftCapCode, 8},    {antiTheftEnabled, 0},
        {groupCapCode, 8},        {locateCapCode, 8},
        {localIdLength, 4},       {voicePagerType, 0},
        {twoToneDurationA, 10},   {twoToneDurationB, 30},
        {twoToneGap, 0},          {voicePagingTimeout, 30},
        {reservedFlagC, 1},
    }};

    using RecordView::RecordView;

    void resetToDefaults()
    {
        for (const auto& entry : textDefaults)
            setText(entry.field, QString::fromLatin1(entry.value));
        for (const auto& entry : numberDefaults)
            setValue(entry.field, entry.value);
    }
};
