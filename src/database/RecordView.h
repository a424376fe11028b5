#pragma once

#include "ImageField.h"

#include <type_traits>

// A window onto one record inside the configuration image. Fields are given relative to the
// record's first byte; reads and writes go straight to the image's bytes. A read-only view
// (over a const image) has no setters.
template <bool Writable> class BasicRecordView {
public:
    using Byte = std::conditional_t<Writable, uint8_t, const uint8_t>;

    explicit BasicRecordView(std::span<Byte> bytes)
        : bytes_(bytes)
    {}

    uint32_t value(ImageField field) const { return ImageBytes::readNumber(bytes_, field); }
    void setValue(ImageField field, uint32_t value) requires Writable
    {
        ImageBytes::writeNumber(bytes_, field, value);
    }
    QString text(ImageField field) const { return ImageBytes::readText(bytes_, field); }
    void setText(ImageField field, const QString& text) requires Writable
    {
        ImageBytes::writeText(bytes_, field, text);
    }

    std::span<const uint8_t> bytes() const { return bytes_; }

protected:
    std::span<Byte> bytes_;
};

using RecordView = BasicRecordView<true>;
using ConstRecordView = BasicRecordView<false>;
