#pragma once

#include <QByteArray>
#include <QFile>
#include <QString>
#include <QtEndian>

#include <cstdint>

// Files the firmware and voice prompt updates read, written as a user's tools would.
namespace updatefiles {

// One Intel HEX record with its checksum, without a line end.
inline QByteArray hexRecord(uint16_t address, uint8_t type, const QByteArray& data)
{
    QByteArray bytes;
    bytes.append(static_cast<char>(data.size()));
    bytes.append(static_cast<char>(address >> 8));
    bytes.append(static_cast<char>(address & 0xFF));
    bytes.append(static_cast<char>(type));
    bytes.append(data);
    uint8_t sum = 0;
    for (const char c : bytes)
        sum = static_cast<uint8_t>(sum + static_cast<uint8_t>(c));
    bytes.append(static_cast<char>(-sum));
    return ':' + bytes.toHex().toUpper();
}

// dataRecords records of 16 bytes from address 0, and the end record unless told otherwise.
inline QByteArray hexFile(int dataRecords, bool endRecord = true, const char* lineEnd = "\n")
{
    QByteArray text;
    for (int i = 0; i < dataRecords; ++i) {
        QByteArray data(16, '\0');
        for (int b = 0; b < 16; ++b)
            data[b] = static_cast<char>(i * 16 + b);
        text += hexRecord(static_cast<uint16_t>(i * 16), 0, data) + lineEnd;
    }
    if (endRecord)
        text += QByteArray(":00000001FF") + lineEnd;
    return text;
}

inline QByteArray chunk(const QByteArray& id, const QByteArray& body, bool pad = true)
{
    QByteArray bytes = id;
    char size[4];
    qToLittleEndian<quint32>(static_cast<quint32>(body.size()), size);
    bytes.append(size, 4);
    bytes.append(body);
    if (pad && body.size() % 2 == 1)
        bytes.append('\0');
    return bytes;
}

// A RIFF/WAVE file: a format chunk, any chunks given, then the data chunk.
inline QByteArray wav(const QByteArray& samples, const QByteArray& chunksBeforeData = {})
{
    QByteArray fmt(16, '\0');
    qToLittleEndian<quint16>(1, fmt.data());
    qToLittleEndian<quint16>(1, fmt.data() + 2);
    qToLittleEndian<quint32>(8000, fmt.data() + 4);
    qToLittleEndian<quint32>(8000, fmt.data() + 8);
    qToLittleEndian<quint16>(1, fmt.data() + 12);
    qToLittleEndian<quint16>(8, fmt.data() + 14);
    QByteArray body = "WAVE" + chunk("fmt ", fmt) + chunksBeforeData + chunk("data", samples);
    QByteArray riff = "RIFF";
    char size[4];
    qToLittleEndian<quint32>(static_cast<quint32>(body.size()), size);
    riff.append(size, 4);
    return riff + body;
}

inline bool write(const QString& path, const QByteArray& bytes)
{
    QFile file(path);
    return file.open(QIODevice::WriteOnly) && file.write(bytes) == bytes.size();
}

} // namespace updatefiles
