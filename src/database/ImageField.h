#pragma once

#include <QString>

#include <cstdint>
#include <span>

// One field of the configuration image: where it starts and how many bytes it takes.
// Numbers are little-endian and 1, 2 or 4 bytes wide; a text field's size includes the
// terminating NUL, so it holds at most size - 1 characters.
struct ImageField {
    int offset;
    int size;
};

namespace ImageBytes {

uint32_t readNumber(std::span<const uint8_t> bytes, ImageField field);
void writeNumber(std::span<uint8_t> bytes, ImageField field, uint32_t value);

// Texts are 8-bit (Latin-1) and end at the first NUL or at the end of the field.
QString readText(std::span<const uint8_t> bytes, ImageField field);
// Writes the text, cut to the field, and one NUL; the bytes after the NUL keep their values.
void writeText(std::span<uint8_t> bytes, ImageField field, const QString& text);

} // namespace ImageBytes
