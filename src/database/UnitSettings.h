#pragma once

#include "RecordView.h"

#include <array>

// The unit-wide settings at the end of the configuration image. Field offsets are offsets in the
// whole image, so the view spans the image.
template <bool Writable> class BasicUnitSettings : public BasicRecordView<Writable> {
    using View = BasicRecordView<Writable>;

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

    // Every field once: its name, where it is, and what a new image holds there.
    struct FieldInfo {
        const char* name;
        ImageField field;
        bool text;
        uint32_t numberDefault;
        const char* textDefault;
    };

    static constexpr std::array<FieldInfo, 38> fieldTable{{
        {"maintenancePassword", maintenancePassword, true, 0, "482915"},
        {"administratorPassword", administratorPassword, true, 0, ""},
        {"auxiliaryCode", auxiliaryCode, true, 0, "730264"},
        {"answerRings", answerRings, false, 2, nullptr},
        {"promptDelay", promptDelay, false, 0, nullptr},
        {"inactivityTime", inactivityTime, false, 3, nullptr},
        {"messagesBeforeDisconnect", messagesBeforeDisconnect, false, 0, nullptr},
        {"interfaceDataBits", interfaceDataBits, false, 8, nullptr},
        {"interfaceStopBits", interfaceStopBits, false, 0, nullptr},
        {"interfaceParity", interfaceParity, false, 0, nullptr},
        {"interfaceFlowControl", interfaceFlowControl, false, 0, nullptr},
        {"lookupLocalId", lookupLocalId, false, 0, nullptr},
        {"interfaceBaudRate", interfaceBaudRate, false, 9600, nullptr},
        {"interfaceProtocol", interfaceProtocol, false, 0, nullptr},
        {"comp1LocalId", comp1LocalId, false, 0xFFFF, nullptr},
        {"ignoreChecksum", ignoreChecksum, false, 1, nullptr},
        {"acceptInvalidPagers", acceptInvalidPagers, false, 0, nullptr},
        {"neverDisconnect", neverDisconnect, false, 0, nullptr},
        {"sendIdEveryTwoSeconds", sendIdEveryTwoSeconds, false, 1, nullptr},
        {"pocsagDataRate", pocsagDataRate, false, 0, nullptr},
        {"defaultBeepTone", defaultBeepTone, false, 0, nullptr},
        {"encodingMethod", encodingMethod, false, 7, nullptr},
        {"reservedFlagA", reservedFlagA, false, 0, nullptr},
        {"transmitterInverted", transmitterInverted, false, 0, nullptr},
        {"reservedFlagB", reservedFlagB, false, 0, nullptr},
        {"ignoreBusy", ignoreBusy, false, 1, nullptr},
        {"antiTheftInterval", antiTheftInterval, false, 30, nullptr},
        {"antiTheftCapCode", antiTheftCapCode, false, 8, nullptr},
        {"antiTheftEnabled", antiTheftEnabled, false, 0, nullptr},
        {"groupCapCode", groupCapCode, false, 8, nullptr},
        {"locateCapCode", locateCapCode, false, 8, nullptr},
        {"localIdLength", localIdLength, false, 4, nullptr},
        {"voicePagerType", voicePagerType, false, 0, nullptr},
        {"twoToneDurationA", twoToneDurationA, false, 10, nullptr},
        {"twoToneDurationB", twoToneDurationB, false, 30, nullptr},
        {"twoToneGap", twoToneGap, false, 0, nullptr},
        {"voicePagingTimeout", voicePagingTimeout, false, 30, nullptr},
        {"reservedFlagC", reservedFlagC, false, 1, nullptr},
    }};

    using View::View;

    void resetToDefaults() requires Writable
    {
        for (const FieldInfo& info : fieldTable) {
            if (info.text)
                this->setText(info.field, QString::fromLatin1(info.textDefault));
            else
                this->setValue(info.field, info.numberDefault);
        }
    }
};

using UnitSettings = BasicUnitSettings<true>;
using ConstUnitSettings = BasicUnitSettings<false>;
