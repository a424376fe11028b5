// A WAV file as the voice prompt update reads it, from any bytes on disk. What comes out is
// the body of the first "data" chunk and nothing else: never more than the file holds, never
// more than the chunk says, never more than the room left, and its bytes are the file's own at
// the chunk's place. A refusal always says why.
#include "FuzzCheck.h"
#include "VoicePrompts.h"
#include "WavReader.h"

#include <QBuffer>
#include <QtEndian>

#include <cstddef>
#include <cstdint>

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    QByteArray file(reinterpret_cast<const char*>(data), static_cast<qsizetype>(size));
    // Once with all the room the unit has, once with less room than the file's length.
    const qint64 smallRoom = static_cast<qint64>(size / 2);
    for (const qint64 room : {qint64(VoicePrompts::MaxBlockLength), smallRoom}) {
        QBuffer buffer(&file);
        buffer.open(QIODevice::ReadOnly);
        QString problem;
        const std::optional<QByteArray> samples = WavReader::samples(buffer, room, &problem);
        FUZZ_CHECK(samples.has_value() == problem.isEmpty());
        if (samples)
            FUZZ_CHECK(samples->size() <= room);
    }
    QBuffer buffer(&file);
    buffer.open(QIODevice::ReadOnly);
    const std::optional<QByteArray> samples =
        WavReader::samples(buffer, VoicePrompts::MaxBlockLength, nullptr);
    if (!samples)
        return 0;
    FUZZ_CHECK(file.startsWith("RIFF") && file.mid(8, 4) == "WAVE");
    // Walk the chunks independently, to the first "data" one.
    qsizetype at = 12;
    for (;;) {
        FUZZ_CHECK(at + 8 <= file.size());
        const quint32 chunkSize = qFromLittleEndian<quint32>(file.constData() + at + 4);
        if (file.mid(at, 4) == "data") {
            const qsizetype expected = std::min<qsizetype>(chunkSize, file.size() - at - 8);
            FUZZ_CHECK(samples->size() == expected);
            FUZZ_CHECK(*samples == file.mid(at + 8, expected));
            return 0;
        }
        at += 8 + static_cast<qsizetype>(chunkSize) + (chunkSize & 1);
    }
}
