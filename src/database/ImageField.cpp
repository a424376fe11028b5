#include "ImageField.h"

#include <cassert>

namespace ImageBytes {

uint32_t readNumber(std::span<const uint8_t> bytes, ImageField field)
{
    assert(field.size >= 1 && field.size <= 4);
    const auto here = bytes.subspan(field.offset, field.size);
    uint32_t value = 0;
    for (int i = field.size - 1; i >= 0; --i)
        value = (value << 8) | here[i];
    return value;
}

void writeNumber(std::span<uint8_t> bytes, ImageField field, uint32_t value)
{
    assert(field.size >= 1 && field.size <= 4);
    auto here = bytes.subspan(field.offset, field.size);
    for (auto& byte : here) {
        byte = static_cast<uint8_t>(value & 0xFF);
        value >>= 8;
    }
}

QString readText(std::span<const uint8_t> bytes, ImageField field)
{
    const auto here = bytes.subspan(field.offset, field.size);
    qsizetype length = 0;
    while (length < field.size && here[length] != 0)
        ++length;
    return QString::fromLatin1(reinterpret_cast<const char*>(here.data()), length);
}

void writeText(std::span<uint8_t> bytes, ImageField field, const QString& text)
{
    auto here = bytes.subspan(field.offset, field.size);
    const QByteArray latin1 = text.left(field.size - 1).toLatin1();
    std::copy(latin1.begin(), latin1.end(), here.begin());
    here[latin1.size()] = 0;
}

} // namespace ImageBytes
