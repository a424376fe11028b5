#include "WavReader.h"

#include "VoicePrompts.h"

#include <QIODevice>
#include <QtEndian>

std::optional<QByteArray> WavReader::samples(QIODevice& file, qint64 limit, QString* problem)
{
    const auto refuse = [problem](const QString& text) {
        if (problem)
            *problem = text;
        return std::nullopt;
    };
    const QByteArray header = file.read(12);
    if (header.size() != 12 || !header.startsWith("RIFF") || header.mid(8, 4) != "WAVE")
        return refuse(tr("it is not a RIFF/WAVE file"));
    for (;;) {
        const QByteArray chunk = file.read(8);
        if (chunk.size() != 8)
            return refuse(tr("it has no \"data\" chunk"));
        const quint32 size = qFromLittleEndian<quint32>(chunk.constData() + 4);
        const qint64 left = file.size() - file.pos();
        if (chunk.startsWith("data")) {
            const qint64 length = std::min<qint64>(size, left);
            if (length > limit)
                return refuse(tr("the voice prompts are too large: the unit takes at most %1 "
                                 "bytes of sample data in all")
                                  .arg(VoicePrompts::MaxBlockLength - VoicePrompts::TableSize));
            QByteArray data = file.read(length);
            if (data.size() != length)
                return refuse(file.errorString());
            return data;
        }
        // Chunks are padded to an even size; the pad byte is not counted in the size.
        const qint64 skip = static_cast<qint64>(size) + (size & 1);
        if (skip > left || !file.seek(file.pos() + skip))
            return refuse(tr("a chunk before its \"data\" chunk runs past the end of the file"));
    }
}
