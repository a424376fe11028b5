#include "NameTable.h"

#include <QIODevice>
#include <QtEndian>

#include <optional>

namespace {

template <typename T> std::optional<T> readLittleEndian(QIODevice& device)
{
    char raw[sizeof(T)];
    if (device.read(raw, sizeof(T)) != static_cast<qint64>(sizeof(T)))
        return std::nullopt;
    return qFromLittleEndian<T>(raw);
}

template <typename T> bool writeLittleEndian(QIODevice& device, T value)
{
    char raw[sizeof(T)];
    qToLittleEndian<T>(value, raw);
    return device.write(raw, sizeof(T)) == static_cast<qint64>(sizeof(T));
}

struct StringLength {
    quint32 length;
    bool wide;
};

// One byte; 0xFF escapes to 16 bits; 0xFFFF escapes to 32 bits. 0xFFFE marks 16-bit characters,
// whose own length follows in the byte/16-bit/32-bit encoding.
std::optional<StringLength> readStringLength(QIODevice& device)
{
    bool wide = false;
    auto byte = readLittleEndian<quint8>(device);
    if (!byte)
        return std::nullopt;
    if (*byte < 0xFF)
        return StringLength{*byte, wide};
    auto word = readLittleEndian<quint16>(device);
    if (!word)
        return std::nullopt;
    if (*word == 0xFFFE) {
        wide = true;
        byte = readLittleEndian<quint8>(device);
        if (!byte)
            return std::nullopt;
        if (*byte < 0xFF)
            return StringLength{*byte, wide};
        word = readLittleEndian<quint16>(device);
        if (!word)
            return std::nullopt;
    }
    if (*word < 0xFFFF)
        return StringLength{*word, wide};
    const auto dword = readLittleEndian<quint32>(device);
    if (!dword)
        return std::nullopt;
    return StringLength{*dword, wide};
}

std::optional<QString> readString(QIODevice& device)
{
    const auto length = readStringLength(device);
    if (!length)
        return std::nullopt;
    const qint64 bytes = static_cast<qint64>(length->length) * (length->wide ? 2 : 1);
    // A length beyond the end of the file ends the reading before anything is allocated for it.
    if (bytes > device.bytesAvailable())
        return std::nullopt;
    const QByteArray raw = device.read(bytes);
    if (raw.size() != bytes)
        return std::nullopt;
    if (!length->wide)
        return QString::fromLatin1(raw);
    // 16-bit characters become 8-bit ones; what does not fit becomes '?'.
    QString text(static_cast<qsizetype>(length->length), Qt::Uninitialized);
    for (qsizetype i = 0; i < text.size(); ++i) {
        const quint16 unit = qFromLittleEndian<quint16>(raw.constData() + 2 * i);
        text[i] = unit <= 0xFF ? QChar(unit) : QChar(u'?');
    }
    return text;
}

bool writeString(QIODevice& device, const QString& text)
{
    const QByteArray latin1 = text.toLatin1();
    const auto length = static_cast<quint32>(latin1.size());
    bool ok = true;
    if (length <= 254) {
        ok = writeLittleEndian<quint8>(device, static_cast<quint8>(length));
    } else {
        ok = writeLittleEndian<quint8>(device, 0xFF);
        if (length <= 0xFFFD) {
            ok = ok && writeLittleEndian<quint16>(device, static_cast<quint16>(length));
        } else {
            ok = ok && writeLittleEndian<quint16>(device, 0xFFFF);
            ok = ok && writeLittleEndian<quint32>(device, length);
        }
    }
    return ok && device.write(latin1) == latin1.size();
}

} // namespace

qsizetype NameTable::readFrom(QIODevice& device)
{
    std::optional<quint32> count = readLittleEndian<quint16>(device);
    if (count && *count == 0xFFFF)
        count = readLittleEndian<quint32>(device);
    if (!count)
        return 0;
    // The count is never trusted for allocation: a short file simply ends the loop.
    qsizetype taken = 0;
    for (quint32 i = 0; i < *count; ++i) {
        const auto key = readString(device);
        if (!key)
            break;
        const auto name = readString(device);
        if (!name)
            break;
        entries_.insert(*key, *name);
        ++taken;
    }
    return taken;
}

bool NameTable::writeTo(QIODevice& device) const
{
    const auto count = static_cast<quint32>(entries_.size());
    bool ok = true;
    if (count < 0xFFFF) {
        ok = writeLittleEndian<quint16>(device, static_cast<quint16>(count));
    } else {
        ok =
            writeLittleEndian<quint16>(device, 0xFFFF) && writeLittleEndian<quint32>(device, count);
    }
    for (auto it = entries_.cbegin(); ok && it != entries_.cend(); ++it)
        ok = writeString(device, it.key()) && writeString(device, it.value());
    return ok;
}
