#pragma once

#include "ImageField.h"

// A window onto one record inside the configuration image. Fields are given relative to the
// record's first byte; reads and writes go straight to the image's bytes.
class RecordView {
public:
    explicit RecordView(std::span<uint8_t> bytes)
        : bytes_(bytes)
    {}

    uint32_t value(ImageField field) const { return ImageBytes::readNumber(bytes_, field); }
    void setValue(ImageField field, uint32_t value)
    {
        ImageBytes::writeNumber(bytes_, field, value);
    }
    QString text(ImageField field) const { return ImageBytes::readText(bytes_, field); }
    void setText(ImageField field, const QString& text)
    {
        ImageBytes::writeText(bytes_, field, text);
    }

    std::span<const uint8_t> bytes() const { return bytes_; }

protected:
    std::span<uint8_t> bytes_;
};
