// The unit's status text as the console prints it, from any bytes the unit may send. What comes
// out must be safe on a terminal and still say everything the unit said: no control character
// but the line breaks and tabs it keeps, every printable byte in its place and order, every line
// break kept, and text without control characters shown exactly as sent.
#include "FuzzCheck.h"
#include "UnitText.h"

#include <cstddef>
#include <cstdint>

namespace {

bool isControl(char16_t c)
{
    return c < 0x20 || (c >= 0x7F && c <= 0x9F);
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    const QByteArray fromUnit(reinterpret_cast<const char*>(data), static_cast<qsizetype>(size));
    const QString shown = UnitText::visible(fromUnit);

    for (const QChar c : shown) {
        FUZZ_CHECK(c.unicode() <= 0xFF);
        FUZZ_CHECK(!isControl(c.unicode()) || c == u'\n' || c == u'\t');
    }

    // The printable bytes and line breaks appear in the output in the same order.
    QString kept;
    bool anyControl = false;
    for (const char byte : fromUnit) {
        const auto code = static_cast<uint8_t>(byte);
        if (!isControl(code) || code == '\n' || code == '\t')
            kept += QChar(code);
        anyControl = anyControl || isControl(code);
    }
    FUZZ_CHECK(shown.size() >= kept.size());
    qsizetype at = 0;
    for (const QChar c : kept) {
        at = shown.indexOf(c, at);
        FUZZ_CHECK(at >= 0);
        ++at;
    }
    FUZZ_CHECK(shown.count(u'\n') == fromUnit.count('\n'));

    if (!anyControl)
        FUZZ_CHECK(shown == QString::fromLatin1(fromUnit));
    return 0;
}
