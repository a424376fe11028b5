#pragma once

#include "RecordView.h"

// 6 bytes: the local ID and the cap word (capcode in bits 0-20, receiver type in bits 21-23;
// bits 24-31 belong to the unit and are carried along untouched).
template <bool Writable> class BasicPagerRecord : public BasicRecordView<Writable> {
    using View = BasicRecordView<Writable>;

public:
    static constexpr int Size = 6;
    static constexpr ImageField localIdField{0, 2};
    static constexpr ImageField capWordField{2, 4};

    static constexpr uint32_t CapcodeMask = 0x1FFFFF;
    static constexpr int ReceiverTypeShift = 21;
    static constexpr uint32_t ReceiverTypeMask = 0x7u << ReceiverTypeShift;

    enum ReceiverType { Beeper, Numeric, AlphaNumeric, Coaster, Voice, GroupTone };

    using View::View;

    uint16_t localId() const { return static_cast<uint16_t>(this->value(localIdField)); }
    void setLocalId(uint16_t id) requires Writable { this->setValue(localIdField, id); }
    bool isFree() const { return localId() == 0xFFFF; }

    uint32_t capWord() const { return this->value(capWordField); }
    void setCapWord(uint32_t word) requires Writable { this->setValue(capWordField, word); }

    uint32_t capcode() const { return capWord() & CapcodeMask; }
    void setCapcode(uint32_t capcode) requires Writable
    {
        setCapWord((capWord() & ~CapcodeMask) | (capcode & CapcodeMask));
    }

    int receiverType() const
    {
        return static_cast<int>((capWord() & ReceiverTypeMask) >> ReceiverTypeShift);
    }
    void setReceiverType(int type) requires Writable
    {
        setCapWord((capWord() & ~ReceiverTypeMask) |
                   ((static_cast<uint32_t>(type) << ReceiverTypeShift) & ReceiverTypeMask));
    }
};

using PagerRecord = BasicPagerRecord<true>;
using ConstPagerRecord = BasicPagerRecord<false>;
