#include "SortableList.h"

#include <QHeaderView>
#include <QScrollBar>
#include <QTest>

#include <gtest/gtest.h>

namespace {

// Pagers as a report lists them: name, cap code, local ID; a picture column last.
struct Fixture {
    SortableList list;
    Fixture()
    {
        list.setInsertSorted(true);
        list.insertColumn(0, QStringLiteral("Name"), Qt::AlignLeft, 150, SortableList::TextSort);
        list.insertColumn(1, QStringLiteral("Cap Code"), Qt::AlignLeft, 130,
                          SortableList::NumberSort);
        list.insertColumn(2, QStringLiteral("Local ID"), Qt::AlignLeft, 100,
                          SortableList::NumberSort);
        list.insertColumn(3, QStringLiteral("Rotary"), Qt::AlignLeft, 60,
                          SortableList::PictureSort);
        list.setPictures({QIcon(), QIcon()});
        add(10, QStringLiteral("bar"), QStringLiteral("700"), 1);
        add(9, QStringLiteral("Kitchen"), QStringLiteral("80x"), -1);
        add(100, QStringLiteral("apron"), QStringLiteral(""), 0);
        list.resize(600, 300);
        list.show();
    }
    void add(qint64 id, const QString& name, const QString& capcode, int picture)
    {
        QTreeWidgetItem* row = list.addRow(id, {name, capcode, QString::number(id), QString()});
        list.setPicture(row, 3, picture);
    }
};

} // namespace

TEST(SortableList, RowsGoInByNameThenSortByTheClickedColumn)
{
    Fixture f;
    // Added in first-column order, without regard to case.
    EXPECT_EQ(f.list.rowValues(), (QList<qint64>{100, 10, 9}));
    EXPECT_EQ(f.list.sortColumn(), 0);
    EXPECT_TRUE(f.list.ascending());

    struct Click {
        int column;
        bool ascending;
        QList<qint64> order;
    };
    const Click clicks[] = {
        {0, false, {9, 10, 100}}, // "Name" is already the sort column: the first click reverses it
        {2, false, {100, 10, 9}}, // another column keeps the direction
        {2, true, {9, 10, 100}},  // numbers: 9 before 10 before 100
        {1, true, {100, 9, 10}},  // "" is 0, "80x" is 80, 700
        {3, true, {9, 100, 10}},  // no picture (-1) before picture 0 before picture 1
        {3, false, {10, 100, 9}},
    };
    for (const Click& c : clicks) {
        QTest::mouseClick(f.list.header()->viewport(), Qt::LeftButton, {},
                          QPoint(f.list.header()->sectionViewportPosition(c.column) + 5, 5));
        EXPECT_EQ(f.list.sortColumn(), c.column);
        EXPECT_EQ(f.list.ascending(), c.ascending) << "column " << c.column;
        EXPECT_EQ(f.list.rowValues(), c.order) << "column " << c.column;
        // The arrow on the sorted column, pointing the way it sorts.
        EXPECT_TRUE(f.list.header()->isSortIndicatorShown());
        EXPECT_EQ(f.list.header()->sortIndicatorSection(), c.column);
        EXPECT_EQ(f.list.header()->sortIndicatorOrder(),
                  c.ascending ? Qt::AscendingOrder : Qt::DescendingOrder);
    }

    // A new row goes in by name in the current (descending) direction.
    f.add(5, QStringLiteral("Lobby"), QStringLiteral("5"), -1);
    EXPECT_EQ(f.list.rowValues().first(), 5);
}

TEST(SortableList, InsertedColumnsCarryTheirSortKindsAlong)
{
    SortableList list;
    list.insertColumn(0, QStringLiteral("Local ID"), Qt::AlignLeft, 100, SortableList::NumberSort);
    list.insertColumn(0, QStringLiteral("Name"), Qt::AlignLeft, 100, SortableList::TextSort);
    list.insertColumn(-1, QStringLiteral("Rotary"), Qt::AlignLeft, 60, SortableList::PictureSort);
    EXPECT_EQ(list.sortKind(0), SortableList::TextSort);
    EXPECT_EQ(list.sortKind(1), SortableList::NumberSort);
    EXPECT_EQ(list.sortKind(2), SortableList::PictureSort);
    EXPECT_EQ(list.headerItem()->text(1), QStringLiteral("Local ID"));

    // Without sorted insertion rows keep the order they came in, and keep their selection
    // through a sort.
    QTreeWidgetItem* group = list.addRow(50, {QStringLiteral("Zeta"), QStringLiteral("50")});
    list.addRow(7, {QStringLiteral("alpha"), QStringLiteral("7")});
    EXPECT_EQ(list.rowValues(), (QList<qint64>{50, 7}));
    list.setCurrentItem(group);
    list.sortByColumn(1);
    EXPECT_EQ(list.rowValues(), (QList<qint64>{7, 50}));
    EXPECT_EQ(list.currentItem(), group);
    EXPECT_TRUE(group->isSelected());
    EXPECT_EQ(list.findRow(7)->text(0), QStringLiteral("alpha"));
}

TEST(SortableList, SharedColumnsFillTheVisibleWidthAsScrollBarsComeAndGo)
{
    SortableList list;
    list.insertColumn(0, QStringLiteral("Name"), Qt::AlignLeft, 50, SortableList::TextSort);
    list.insertColumn(1, QStringLiteral("Local ID"), Qt::AlignLeft, 50, SortableList::NumberSort);
    list.setColumnShares({3, 2});
    list.resize(200, 150);
    list.show();
    auto fits = [&] {
        const int inside = list.viewport()->width();
        return list.columnWidth(0) == inside * 3 / 5 &&
               list.columnWidth(0) + list.columnWidth(1) == inside;
    };
    EXPECT_TRUE(QTest::qWaitFor(fits, 2000));
    const int withoutScrollBar = list.viewport()->width();
    for (int i = 0; i < 50; ++i)
        list.addRow(i, {QStringLiteral("Pager %1").arg(i), QString::number(i)});
    EXPECT_TRUE(QTest::qWaitFor([&] { return list.verticalScrollBar()->isVisible(); }, 2000));
    EXPECT_LT(list.viewport()->width(), withoutScrollBar);
    EXPECT_TRUE(QTest::qWaitFor(fits, 2000));
    QTest::qWait(50);
    EXPECT_FALSE(list.horizontalScrollBar()->isVisible());

    // A width dragged by hand stays until the list is resized.
    list.setColumnWidth(0, 40);
    QTest::qWait(50);
    EXPECT_EQ(list.columnWidth(0), 40);
    list.resize(260, 150);
    EXPECT_TRUE(QTest::qWaitFor(fits, 2000));
}

TEST(SortableList, RowsAddedAtOnceGoWhereOneByOneTheyWould)
{
    const QList<std::pair<qint64, QStringList>> rows{{1, {"bar"}},   {2, {"Apron"}}, {3, {"Bar"}},
                                                     {4, {"apron"}}, {5, {"9"}},     {6, {"bar"}}};
    for (const bool descending : {false, true}) {
        SCOPED_TRACE(descending ? "descending" : "ascending");
        SortableList oneByOne;
        SortableList atOnce;
        for (SortableList* list : {&oneByOne, &atOnce}) {
            list->setInsertSorted(true);
            list->insertColumn(0, QStringLiteral("Name"), Qt::AlignLeft, 100,
                               SortableList::TextSort);
            if (descending)
                list->sortByColumn(0);
            list->addRow(7, {QStringLiteral("BAR")});
        }
        for (const auto& [value, texts] : rows)
            oneByOne.addRow(value, texts);
        atOnce.addRows(rows);
        EXPECT_EQ(atOnce.rowValues(), oneByOne.rowValues());
        EXPECT_EQ(atOnce.rowValues().size(), 7);
    }
}

TEST(SortableList, NamesSortInTheUsersCollation)
{
    SortableList list;
    list.setInsertSorted(true);
    list.insertColumn(0, QStringLiteral("Name"), Qt::AlignLeft, 150, SortableList::TextSort);
    list.addRow(1, {QStringLiteral("Zoe")});
    list.addRow(2, {QStringLiteral("\u00C1lvaro")});
    list.addRows({{3, {QStringLiteral("bob")}}, {4, {QStringLiteral("\u00E9mile")}}});
    EXPECT_EQ(list.rowValues(), (QList<qint64>{2, 3, 4, 1}));
    list.sortByColumn(0);
    EXPECT_EQ(list.rowValues(), (QList<qint64>{1, 4, 3, 2}));
}
