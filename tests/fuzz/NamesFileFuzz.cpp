// The names file reader over any bytes. What it took must survive a write and a second read
// unchanged, or a save would quietly alter the user's names.
#include "FuzzCheck.h"
#include "NameTable.h"

#include <QBuffer>

#include <cstddef>
#include <cstdint>

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    QByteArray file(reinterpret_cast<const char*>(data), static_cast<qsizetype>(size));
    QBuffer device(&file);
    device.open(QIODevice::ReadOnly);
    NameTable table;
    const qsizetype taken = table.readFrom(device);
    // Entries with the same key replace each other, so the table may hold fewer than were taken.
    FUZZ_CHECK(taken >= table.size());
    FUZZ_CHECK(device.pos() <= file.size());

    QBuffer written;
    written.open(QIODevice::WriteOnly);
    FUZZ_CHECK(table.writeTo(written));
    QByteArray copy = written.data();
    QBuffer again(&copy);
    again.open(QIODevice::ReadOnly);
    NameTable reread;
    FUZZ_CHECK(reread.readFrom(again) == table.size());
    FUZZ_CHECK(reread.entries() == table.entries());
    FUZZ_CHECK(again.atEnd());
    return 0;
}
