#pragma once

#include <QIcon>
#include <QList>
#include <QTreeWidget>

// A list in report style whose rows sort by the column whose header is clicked: as text without
// regard to case, as numbers, or by the picture in the cell. Every row carries an item value,
// its key; sorting relies on the keys being unique.
class SortableList : public QTreeWidget {
    Q_OBJECT
public:
    enum SortKind { PictureSort = 0, TextSort = 1, NumberSort = 2 };

    explicit SortableList(QWidget* parent = nullptr);

    // Inserts a column before index (or at the end); the sort kinds of later columns move with
    // them.
    int insertColumn(int index, const QString& title, Qt::Alignment alignment, int width,
                     SortKind kind);
    SortKind sortKind(int column) const { return kinds_.value(column, TextSort); }

    // When on, a new row goes in order of its first-column text in the current direction, as the
    // reports want; otherwise rows stay in the order they were added.
    void setInsertSorted(bool on) { insertSorted_ = on; }
    QTreeWidgetItem* addRow(qint64 itemValue, const QStringList& texts);
    // Adds many rows at once, placed as addRow one after another would place them, without
    // the cost of one insertion after another.
    QList<QTreeWidgetItem*> addRows(const QList<std::pair<qint64, QStringList>>& rows);
    // Shows picture `index` of the picture list in a cell (-1: none); picture columns sort by it.
    void setPicture(QTreeWidgetItem* row, int column, int index);
    void setPictures(const QList<QIcon>& pictures) { pictures_ = pictures; }
    // Empties the list and puts its order back to the first column, ascending, with no arrow
    // on the header: the rows added next are in no order a click chose.
    void clearRows();
    // Columns that share the visible width in these proportions, set again whenever it changes
    // (a scroll bar coming or going, the list resized); a width dragged by hand lasts till then.
    void setColumnShares(const QList<int>& shares);

    static qint64 itemValue(const QTreeWidgetItem* row);
    static int picture(const QTreeWidgetItem* row, int column);
    QTreeWidgetItem* findRow(qint64 itemValue) const;
    QList<qint64> rowValues() const;

    int sortColumn() const { return sortColumn_; }
    bool ascending() const { return ascending_; }

public slots:
    // A header click: the same column again reverses the direction, another keeps it.
    void sortByColumn(int column);

protected:
    bool viewportEvent(QEvent* event) override;

private:
    void fitColumns();
    QTreeWidgetItem* newRow(qint64 itemValue, const QStringList& texts) const;

    QList<SortKind> kinds_;
    QList<int> shares_;
    QStringList titles_;
    QList<Qt::Alignment> alignments_;
    QList<QIcon> pictures_;
    int sortColumn_ = 0;
    bool ascending_ = true;
    bool insertSorted_ = false;
};
