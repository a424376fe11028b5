#include "UnitText.h"

#include <gtest/gtest.h>

TEST(UnitText, StatusTextKeepsItsLinesAndWritesOutEveryControlCharacter)
{
    struct Case {
        QByteArray fromUnit;
        QString shown;
    };
    const Case cases[] = {
        {"Pages: 3\r\nUp", QStringLiteral("Pages: 3\nUp")},
        {"a\nb\tc", QStringLiteral("a\nb\tc")},
        {"50%\rdone", QStringLiteral("50%^Mdone")},
        {"end\r", QStringLiteral("end^M")},
        {"\r\r\n", QStringLiteral("^M\n")},
        {"\x1b[2J\x1b]0;x\x07", QStringLiteral("^[[2J^[]0;x^G")},
        {QByteArray("\0z", 2), QStringLiteral("^@z")},
        {"\x7f", QStringLiteral("^?")},
        {"\x9b"
         "31m\x85",
         QStringLiteral("\\x9b31m\\x85")},
        {"Caf\xe9 \xa0\xff", QStringLiteral("Caf\u00e9 \u00a0\u00ff")},
    };
    for (const Case& c : cases)
        EXPECT_EQ(UnitText::visible(c.fromUnit), c.shown) << c.fromUnit.toHex().constData();
}

TEST(UnitText, RefusedCharactersAreNamedByTheirCodePoint)
{
    struct Case {
        QString text;
        std::optional<char32_t> first;
        QString named;
    };
    const Case cases[] = {
        {QStringLiteral("Caf\u00e9\nready \u00bf"), std::nullopt, {}},
        {QStringLiteral("a\u03b1\u03b2"), U'\u03b1', QStringLiteral("U+03B1 '\u03b1'")},
        {QStringLiteral("Ready \U0001F37D"), U'\U0001F37D', QStringLiteral("U+1F37D '\U0001F37D'")},
        {QStringLiteral("12\x1e"
                        "a"),
         U'\x1e', QStringLiteral("U+001E")},
        {QStringLiteral("a\r\n"), U'\r', QStringLiteral("U+000D")},
        {QStringLiteral("\u0085"), U'\u0085', QStringLiteral("U+0085")},
        {QStringLiteral("\u200b"), U'\u200b', QStringLiteral("U+200B")},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.text.toStdString());
        EXPECT_EQ(UnitText::firstUnshowable(c.text), c.first);
        if (c.first) {
            EXPECT_EQ(UnitText::describe(*c.first), c.named);
        }
    }
}

TEST(UnitText, ALineBreakGoesOutAsCrLfAndTakesTwoPlaces)
{
    struct Case {
        QString text;
        int length;
        QByteArray bytes;
    };
    const Case cases[] = {
        {QString(), 0, {}},
        {QStringLiteral("Table 4"), 7, "Table 4"},
        {QStringLiteral("14:10\nBar"), 10, "14:10\r\nBar"},
        {QStringLiteral("\n\n"), 4, "\r\n\r\n"},
        {QStringLiteral("Caf\u00e9\n"), 6, "Caf\xe9\r\n"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.text.toStdString());
        EXPECT_EQ(UnitText::pageLength(c.text), c.length);
        EXPECT_EQ(UnitText::pageBytes(c.text), c.bytes);
    }
}

TEST(UnitText, AnInsertionIsCutWhereThePageBufferEnds)
{
    struct Case {
        QString insertion;
        int room;
        qsizetype fitting;
    };
    const Case cases[] = {
        {QStringLiteral("abc"), 3, 3},  {QStringLiteral("abc"), 2, 2},
        {QStringLiteral("abc"), 0, 0},  {QStringLiteral("a\nb"), 3, 2},
        {QStringLiteral("a\nb"), 2, 1}, {QStringLiteral("\n"), 1, 0},
        {QStringLiteral("a\nb"), 4, 3}, {QString(), 5, 0},
    };
    for (const Case& c : cases)
        EXPECT_EQ(UnitText::fittingLength(c.insertion, c.room), c.fitting)
            << c.insertion.toStdString() << " in " << c.room;
}
