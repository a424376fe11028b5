#pragma once

#include "RecordView.h"

// 34 bytes: one common message of at most 33 characters.
class CommonMessageRecord : public RecordView {
public:
    static constexpr int Size = 34;
    static constexpr ImageField textField{0, 34};

    using RecordView::RecordView;

    QString text() const { return RecordView::text(textField); }
    void setText(const QString& text) { RecordView::setText(textField, text); }
};
