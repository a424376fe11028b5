// A firmware HEX file as the firmware update reads it, from any bytes on disk: the check made
// before the port is opened, then the records one by one as the boot loader gets them. Every
// record holds more than white space and no line end, none is longer than a read allows, the
// check passes exactly when there is a record and none holds a NUL byte, and with lines of
// record length the records are the file's non-blank lines, in order.
#include "FirmwareLoader.h"
#include "FuzzCheck.h"
#include "HexFile.h"

#include <QBuffer>

#include <algorithm>
#include <cctype>
#include <cstddef>
#include <cstdint>

namespace {

bool blank(const QByteArray& line)
{
    return std::all_of(line.begin(), line.end(),
                       [](char c) { return std::isspace(static_cast<unsigned char>(c)) != 0; });
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    QByteArray file(reinterpret_cast<const char*>(data), static_cast<qsizetype>(size));
    const qint64 maxLength = FirmwareLoader::MaxLineLength;
    QBuffer buffer(&file);
    buffer.open(QIODevice::ReadOnly);
    const QString problem = HexFile::problem(buffer, maxLength);
    FUZZ_CHECK(buffer.pos() == 0);

    QList<QByteArray> records;
    for (;;) {
        const std::optional<QByteArray> record = HexFile::nextRecord(buffer, maxLength);
        FUZZ_CHECK(record.has_value());
        if (record->isEmpty())
            break;
        FUZZ_CHECK(record->size() <= maxLength - 1);
        FUZZ_CHECK(!record->contains('\n') && !record->endsWith('\r'));
        FUZZ_CHECK(!blank(*record));
        records << *record;
        FUZZ_CHECK(records.size() <= file.size());
    }
    const bool anyNul = std::any_of(records.begin(), records.end(),
                                    [](const QByteArray& r) { return r.contains('\0'); });
    FUZZ_CHECK(problem.isEmpty() == (!records.isEmpty() && !anyNul));

    QList<QByteArray> lines = file.split('\n');
    const bool recordLength = std::all_of(lines.begin(), lines.end(), [&](const QByteArray& line) {
        return line.size() + 1 <= maxLength - 1;
    });
    if (!recordLength)
        return 0;
    QList<QByteArray> expected;
    for (QByteArray& line : lines) {
        while (line.endsWith('\r'))
            line.chop(1);
        if (!blank(line))
            expected << line;
    }
    FUZZ_CHECK(records == expected);
    return 0;
}
