#pragma once

#include "RecordView.h"

// 37 bytes: the pager or group the key pages, its message and its beep tone (0-3, "A"-"D").
class FunctionKeyRecord : public RecordView {
public:
    static constexpr int Size = 37;
    static constexpr ImageField targetField{0, 2};
    static constexpr ImageField messageField{2, 34};
    static constexpr ImageField toneField{36, 1};

    using RecordView::RecordView;

    uint16_t target() const { return static_cast<uint16_t>(value(targetField)); }
    void setTarget(uint16_t id) { setValue(targetField, id); }
    QString message() const { return text(messageField); }
    void setMessage(const QString& message) { setText(messageField, message); }
    int tone() const { return static_cast<int>(value(toneField)); }
    void setTone(int tone) { setValue(toneField, static_cast<uint32_t>(tone)); }
};
