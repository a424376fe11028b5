// The print layout, measured with a fixed-width measure so that every figure is known: each
// character 10 pixels wide, lines 20 pixels high.
#include "PrintTable.h"

#include <QImage>
#include <QPainter>

#include <gtest/gtest.h>

#include <stdexcept>

namespace {

class FixedMeasure : public TextMeasure {
public:
    int lineHeight() const override { return 20; }
    int width(const QString& text) const override
    {
        // A wrapping that goes round in circles fails the test instead of eating the memory.
        if (++measured_ > 1000000)
            throw std::runtime_error("the text is measured without end");
        return 10 * static_cast<int>(text.size());
    }

private:
    mutable int measured_ = 0;
};

// A page 1000 pixels square: columns at most 666 wide, rows at most 200 high, insets 2 and 2,
// header and footer bands 40 high, a body 980 wide and 900 high.
const QSize Page(1000, 1000);

PrintTable tableOf(const QList<QStringList>& rows, int columns)
{
    PrintTable table;
    table.setTitle(QStringLiteral("Report"));
    for (int k = 0; k < columns; ++k)
        table.addColumn(QStringLiteral("Column %1").arg(k));
    for (const QStringList& cells : rows) {
        const int row = table.addRow();
        for (const QString& cell : cells)
            table.addCell(row, cell);
    }
    table.layOut(Page, FixedMeasure());
    return table;
}

// A cell of width characters and lines lines.
QString cell(int width, int lines = 1)
{
    QStringList text;
    for (int i = 0; i < lines; ++i)
        text << QString(width, QLatin1Char('x'));
    return text.join(u'\n');
}

} // namespace

TEST(PrintTable, WrapsAtTheLastBlankOrBetweenCharacters)
{
    struct Case {
        const char* text;
        int limit;
        QStringList lines;
    };
    const Case cases[] = {
        {"one two three", 100, {"one two", "three"}},
        // A long word after a blank: the break point belongs to the first line only.
        {"ab cdefghijklmnop", 100, {"ab", "cdefghijk", "lmnop"}},
        {"abcdefghijklmnopqrstu", 100, {"abcdefghi", "jklmnopqr", "stu"}},
        // A blank that starts the text is no break point.
        {" abcdefghijk", 100, {" abcdefgh", "ijk"}},
        // The character that overflows is itself the blank.
        {"abcdefghi jk", 100, {"abcdefghi", "jk"}},
        {"a\r\n\nb", 100, {"a", "", "b"}},
        {"", 100, {}},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.text);
        EXPECT_EQ(PrintTable::wrap(QString::fromLatin1(c.text), c.limit, FixedMeasure()), c.lines);
    }
}

TEST(PrintTable, AreasInsetsAndLimitsComeFromThePage)
{
    const PrintTable table = tableOf({{QStringLiteral("ab"), cell(80)}}, 2);
    EXPECT_EQ(table.maxColumnWidth(), 666);
    EXPECT_EQ(table.maxRowHeight(), 200);
    EXPECT_EQ(table.headerBand(), QRect(10, 10, 980, 40));
    EXPECT_EQ(table.footerBand(), QRect(10, 950, 980, 40));
    EXPECT_EQ(table.body(), QRect(10, 50, 980, 900));
    // Widest line plus two insets of 2; the long cell wraps below 666.
    EXPECT_EQ(table.columnWidth(0), 24);
    EXPECT_EQ(table.lines(0, 1), (QStringList{cell(66), cell(14)}));
    EXPECT_EQ(table.columnWidth(1), 664);
    EXPECT_EQ(table.rowHeight(0), 2 * 24);
}

TEST(PrintTable, ATallCellIsCutToAFifthOfTheWidthAndItsLinesRunPastTheBox)
{
    PrintTable table = tableOf({{cell(3, 20)}, {QStringLiteral("y")}}, 1);
    EXPECT_EQ(table.rowHeight(0), 200);
    EXPECT_EQ(table.lines(0, 0).size(), 20);
    EXPECT_EQ(table.rowHeight(1), 24);

    QImage page(Page, QImage::Format_RGB32);
    page.fill(Qt::white);
    QPainter painter(&page);
    table.drawPage(painter, 0, true);
    painter.end();
    // The first row's box ends at 250 and the second's at 274; the cut lines go on to 450.
    auto inked = [&](int top, int bottom) {
        for (int y = top; y < bottom; ++y)
            for (int x = 13; x < 40; ++x)
                if (page.pixelColor(x, y) != Qt::white)
                    return true;
        return false;
    };
    EXPECT_TRUE(inked(300, 440));
    EXPECT_FALSE(inked(460, 900));
}

TEST(PrintTable, BandsCutTheTableIntoPagesRowBandByRowBand)
{
    // Two columns of 594 do not fit 980 side by side; rows of 200 fit four to a body of 900.
    QList<QStringList> rows;
    for (int i = 0; i < 12; ++i)
        rows << QStringList{cell(59, 10), cell(59)};
    const PrintTable table = tableOf(rows, 2);
    using Band = PrintTable::Band;
    EXPECT_EQ(table.columnBands(), (QList<Band>{{0, 0}, {1, 1}}));
    EXPECT_EQ(table.rowBands(), (QList<Band>{{0, 3}, {4, 7}, {8, 11}}));
    EXPECT_EQ(table.pageCount(), 6);
    // Page 2 is the second column band of the first row band.
    EXPECT_EQ(table.footerText(1), QStringLiteral("Page 1.2 of 3.2"));
    EXPECT_EQ(table.footerText(4), QStringLiteral("Page 3.1 of 3.2"));

    const PrintTable narrow = tableOf({{QStringLiteral("a")}, {QStringLiteral("b")}}, 1);
    EXPECT_EQ(narrow.pageCount(), 1);
    EXPECT_EQ(narrow.footerText(0), QStringLiteral("Page 1 of 1"));
}

TEST(PrintTable, TheLastColumnOrRowThatDoesNotFitOpensItsOwnBand)
{
    using Band = PrintTable::Band;
    struct Case {
        const char* what;
        QList<QStringList> rows;
        int columns;
        QList<Band> columnBands;
        QList<Band> rowBands;
    };
    const Case cases[] = {
        // 494 + 394 fit 980; another 294 does not.
        {"columns", {{cell(49), cell(39), cell(29)}}, 3, {{0, 1}, {2, 2}}, {{0, 0}}},
        // 900 is exactly four rows of 200 and one of 100: exactly full still fits.
        {"rows exactly full",
         {{cell(1, 9)}, {cell(1, 9)}, {cell(1, 9)}, {cell(1, 9)}, {cell(1, 4)}},
         1,
         {{0, 0}},
         {{0, 4}}},
        {"rows",
         {{cell(1, 9)}, {cell(1, 9)}, {cell(1, 9)}, {cell(1, 9)}, {cell(1, 5)}},
         1,
         {{0, 0}},
         {{0, 3}, {4, 4}}},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        const PrintTable table = tableOf(c.rows, c.columns);
        EXPECT_EQ(table.columnBands(), c.columnBands);
        EXPECT_EQ(table.rowBands(), c.rowBands);
    }
}

TEST(PrintTable, AnEmptyTableHasNoPages)
{
    EXPECT_EQ(tableOf({}, 0).pageCount(), 0);
    EXPECT_EQ(tableOf({}, 3).pageCount(), 0);
    EXPECT_EQ(tableOf({{QStringLiteral("a")}}, 0).pageCount(), 0);
}
