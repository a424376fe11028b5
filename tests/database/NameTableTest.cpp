#include "NameTable.h"

#include <QBuffer>

#include <gtest/gtest.h>

namespace {

QByteArray written(const NameTable& table)
{
    QBuffer buffer;
    buffer.open(QIODevice::WriteOnly);
    EXPECT_TRUE(table.writeTo(buffer));
    return buffer.data();
}

NameTable readBack(const QByteArray& bytes, qsizetype* taken = nullptr)
{
    QByteArray copy = bytes;
    QBuffer buffer(&copy);
    buffer.open(QIODevice::ReadOnly);
    NameTable table;
    const qsizetype n = table.readFrom(buffer);
    if (taken)
        *taken = n;
    return table;
}

QByteArray bytes(std::initializer_list<int> values)
{
    QByteArray out;
    for (int v : values)
        out.append(static_cast<char>(v));
    return out;
}

} // namespace

TEST(NamesFileFormat, CountAndLengthEncodings)
{
    struct Case {
        const char* what;
        int entries;
        int nameLength;
        QByteArray expectedStart;
    };
    const Case cases[] = {
        {"empty table", 0, 0, bytes({0x00, 0x00})},
        {"300 entries", 300, 3, bytes({0x2C, 0x01})},
        {"65534 entries keep the short count", 65534, 0, bytes({0xFE, 0xFF, 0x01, '0'})},
        {"65535 entries take the long count", 65535, 0,
         bytes({0xFF, 0xFF, 0xFF, 0xFF, 0x00, 0x00, 0x01, '0'})},
        {"254-character name", 1, 254, bytes({0x01, 0x00, 0x01, '0', 0xFE, 'n'})},
        {"255-character name", 1, 255, bytes({0x01, 0x00, 0x01, '0', 0xFF, 0xFF, 0x00, 'n'})},
        {"0xFFFD-character name", 1, 0xFFFD, bytes({0x01, 0x00, 0x01, '0', 0xFF, 0xFD, 0xFF, 'n'})},
        {"0xFFFE-character name", 1, 0xFFFE,
         bytes({0x01, 0x00, 0x01, '0', 0xFF, 0xFF, 0xFF, 0xFE, 0xFF, 0x00, 0x00, 'n'})},
    };
    for (const Case& c : cases) {
        NameTable table;
        for (int i = 0; i < c.entries; ++i)
            table.insert(QString::number(i), QString(c.nameLength, QChar(u'n')));
        const QByteArray file = written(table);
        EXPECT_TRUE(file.startsWith(c.expectedStart))
            << c.what << ": " << file.left(16).toHex().constData();

        qsizetype taken = 0;
        const NameTable back = readBack(file, &taken);
        EXPECT_EQ(taken, c.entries) << c.what;
        EXPECT_EQ(back.entries(), table.entries()) << c.what;
    }
}

TEST(NamesFileFormat, RoundTripsLatin1Names)
{
    NameTable table;
    table.setName(7, QStringLiteral("Cocina - Señora Núñez"));
    table.setName(9999, QString());
    table.setName(0, QStringLiteral("Bar"));
    const QByteArray file = written(table);
    // key "7" is written as the text 7
    EXPECT_TRUE(file.contains(bytes({0x01, '7', 21})));
    EXPECT_EQ(readBack(file).entries(), table.entries());
}

TEST(NamesFileFormat, ReadsSixteenBitCharacterStrings)
{
    // count 1; key "12" in 16-bit form with a one-byte length; value in 16-bit form whose length
    // uses the 16-bit escape: 'A', n with tilde, and a character beyond Latin-1.
    const QByteArray file = bytes({0x01, 0x00,                                 // count
                                   0xFF, 0xFE, 0xFF, 0x02, '1',  0,    '2', 0, // key
                                   0xFF, 0xFE, 0xFF, 0xFF, 0x03, 0x00,         // value length 3
                                   'A',  0x00, 0xF1, 0x00, 0x2D, 0x4E});
    qsizetype taken = 0;
    const NameTable table = readBack(file, &taken);
    EXPECT_EQ(taken, 1);
    EXPECT_EQ(table.value(QStringLiteral("12")), QStringLiteral("Añ?"));
}

TEST(NamesFileFormat, HostileFilesEndTheReadingAndKeepWhatCameBefore)
{
    const QByteArray goodEntry = bytes({0x01, '5', 0x03, 'B', 'a', 'r'});
    struct Case {
        const char* what;
        QByteArray file;
        qsizetype expectedEntries;
    };
    const Case cases[] = {
        {"empty file", QByteArray(), 0},
        {"half a count", bytes({0x05}), 0},
        {"long count cut short", bytes({0xFF, 0xFF, 0x01}), 0},
        {"count far beyond the entries", bytes({0xFF, 0xFF, 0xFF, 0xFF, 0xFF, 0xFF}) + goodEntry,
         1},
        {"32-bit string length beyond the file",
         bytes({0x02, 0x00}) + goodEntry + bytes({0xFF, 0xFF, 0xFF, 0xFF, 0xFF, 0xFF, 0x7F, 'x'}),
         1},
        {"16-bit string length beyond the file",
         bytes({0x02, 0x00}) + goodEntry + bytes({0xFF, 0xFD, 0xFF}), 1},
        {"wide string length beyond the file",
         bytes({0x02, 0x00}) + goodEntry +
             bytes({0xFF, 0xFE, 0xFF, 0xFF, 0xFF, 0xFF, 0xFF, 0xFF, 0x7F}),
         1},
        {"odd byte in a wide string",
         bytes({0x02, 0x00}) + goodEntry + bytes({0xFF, 0xFE, 0xFF, 0x02, 'a', 0, 'b'}), 1},
        {"key without value", bytes({0x02, 0x00}) + goodEntry + bytes({0x01, '6'}), 1},
        {"escape cut short", bytes({0x01, 0x00, 0xFF, 0xFE}), 0},
    };
    for (const Case& c : cases) {
        qsizetype taken = -1;
        const NameTable table = readBack(c.file, &taken);
        EXPECT_EQ(taken, c.expectedEntries) << c.what;
        EXPECT_EQ(table.size(), c.expectedEntries) << c.what;
        if (c.expectedEntries == 1) {
            EXPECT_EQ(table.name(5), QStringLiteral("Bar")) << c.what;
        }
    }
}

TEST(NamesFileFormat, ReadingAddsToTheTableAndReplacesSameKeys)
{
    NameTable table;
    table.setName(5, QStringLiteral("Old"));
    table.setName(6, QStringLiteral("Kept"));
    QByteArray file = bytes({0x01, 0x00, 0x01, '5', 0x03, 'N', 'e', 'w'});
    QBuffer buffer(&file);
    buffer.open(QIODevice::ReadOnly);
    EXPECT_EQ(table.readFrom(buffer), 1);
    EXPECT_EQ(table.name(5), QStringLiteral("New"));
    EXPECT_EQ(table.name(6), QStringLiteral("Kept"));
}
