#pragma once

#include "RecordView.h"

// 23 bytes: the local ID, ten member local IDs (0xFFFF = empty) and the group flags
// (bit 4 rotary; bits 0-3 are cleared whenever the member list is rewritten; bits 5-7 belong
// to the unit and are carried along untouched).
template <bool Writable> class BasicGroupRecord : public BasicRecordView<Writable> {
    using View = BasicRecordView<Writable>;

public:
    static constexpr int Size = 23;
    static constexpr int MemberCount = 10;
    static constexpr ImageField localIdField{0, 2};
    static constexpr ImageField groupFlagsField{22, 1};
    static constexpr ImageField memberField(int index) { return {2 + 2 * index, 2}; }
    static constexpr uint8_t RotaryFlag = 0x10;

    using View::View;

    uint16_t localId() const { return static_cast<uint16_t>(this->value(localIdField)); }
    void setLocalId(uint16_t id) requires Writable { this->setValue(localIdField, id); }
    bool isFree() const { return localId() == 0xFFFF; }

    uint16_t member(int index) const
    {
        return static_cast<uint16_t>(this->value(memberField(index)));
    }
    void setMember(int index, uint16_t id) requires Writable
    {
        this->setValue(memberField(index), id);
    }

    uint8_t groupFlags() const { return static_cast<uint8_t>(this->value(groupFlagsField)); }
    void setGroupFlags(uint8_t flags) requires Writable { this->setValue(groupFlagsField, flags); }
    bool isRotary() const { return (groupFlags() & RotaryFlag) != 0; }
    void setRotary(bool rotary) requires Writable
    {
        setGroupFlags(rotary ? (groupFlags() | RotaryFlag) : (groupFlags() & ~RotaryFlag));
    }
};

using GroupRecord = BasicGroupRecord<true>;
using ConstGroupRecord = BasicGroupRecord<false>;
