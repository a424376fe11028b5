#include "WavReader.h"

#include <QIODevice>
#include <QtEndian>

std::optional<QByteArray> WavReader::samples(QIODevice& file)
{
    const QByteArray header = file.read(12);
    if (header.size() != 12 || !header.startsWith("RIFF") || header.mid(8, 4) != "WAVE")
        return std::nullopt;
    for (;;) {
        const QByteArray chunk = file.read(8);
        if (chunk.size() != 8)
            return std::nullopt;
        const quint32 size = qFromLittleEndian<quint32>(chunk.constData() + 4);
        const qint64 left = file.size() - file.pos();
        if (chunk.startsWith("data"))
            return file.read(std::min<qint64>(size, left));
        // Chunks are padded to an even size; the pad byte is not counted in the size.
        const qint64 skip = static_cast<qint64>(size) + (size & 1);
        if (skip > left || !file.seek(file.pos() + skip))
            return std::nullopt;
    }
}
