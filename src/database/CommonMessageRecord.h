#pragma once

#include "RecordView.h"

// 34 bytes: one common message of at most 33 characters.
template <bool Writable> class BasicCommonMessageRecord : public BasicRecordView<Writable> {
    using View = BasicRecordView<Writable>;

public:
    static constexpr int Size = 34;
    static constexpr ImageField textField{0, 34};

    using View::View;

    QString text() const { return View::text(textField); }
    void setText(const QString& text) requires Writable { View::setText(textField, text); }
};

using CommonMessageRecord = BasicCommonMessageRecord<true>;
using ConstCommonMessageRecord = BasicCommonMessageRecord<false>;
