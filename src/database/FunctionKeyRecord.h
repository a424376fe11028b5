#pragma once

#include "RecordView.h"

// 37 bytes: the pager or group the key pages, its message and its beep tone (0-3, "A"-"D").
template <bool Writable> class BasicFunctionKeyRecord : public BasicRecordView<Writable> {
    using View = BasicRecordView<Writable>;

public:
    static constexpr int Size = 37;
    static constexpr ImageField targetField{0, 2};
    static constexpr ImageField messageField{2, 34};
    static constexpr ImageField toneField{36, 1};

    using View::View;

    uint16_t target() const { return static_cast<uint16_t>(this->value(targetField)); }
    void setTarget(uint16_t id) requires Writable { this->setValue(targetField, id); }
    QString message() const { return this->text(messageField); }
    void setMessage(const QString& message) requires Writable
    {
        this->setText(messageField, message);
    }
    int tone() const { return static_cast<int>(this->value(toneField)); }
    void setTone(int tone) requires Writable
    {
        this->setValue(toneField, static_cast<uint32_t>(tone));
    }
};

using FunctionKeyRecord = BasicFunctionKeyRecord<true>;
using ConstFunctionKeyRecord = BasicFunctionKeyRecord<false>;
