#include "SortableList.h"

#include "SortKey.h"
#include <QEvent>

#include <QHeaderView>

#include <algorithm>
#include <variant>

namespace {

constexpr int ItemValueRole = Qt::UserRole;
constexpr int PictureRole = Qt::UserRole + 1;

} // namespace

SortableList::SortableList(QWidget* parent)
    : QTreeWidget(parent)
{
    setRootIsDecorated(false);
    setUniformRowHeights(true);
    setItemsExpandable(false);
    setSelectionBehavior(QAbstractItemView::SelectRows);
    setSortingEnabled(false);
    setColumnCount(0);
    header()->setSectionsClickable(true);
    header()->setSectionsMovable(true);
    header()->setStretchLastSection(false);
    connect(header(), &QHeaderView::sectionClicked, this, &SortableList::sortByColumn);
}

int SortableList::insertColumn(int index, const QString& title, Qt::Alignment alignment, int width,
                               SortKind kind)
{
    const int at = (index < 0 || index > columnCount()) ? columnCount() : index;
    model()->insertColumn(at);
    kinds_.insert(at, kind);
    titles_.insert(at, title);
    alignments_.insert(at, alignment);
    // The header does not move its texts along with an inserted column; set them all again.
    for (int column = 0; column < columnCount(); ++column) {
        headerItem()->setText(column, titles_[column]);
        headerItem()->setTextAlignment(column,
                                       Qt::Alignment(alignments_[column] | Qt::AlignVCenter));
    }
    setColumnWidth(at, width);
    return at;
}

qint64 SortableList::itemValue(const QTreeWidgetItem* row)
{
    return row->data(0, ItemValueRole).toLongLong();
}

int SortableList::picture(const QTreeWidgetItem* row, int column)
{
    const QVariant v = row->data(column, PictureRole);
    return v.isValid() ? v.toInt() : -1;
}

QTreeWidgetItem* SortableList::newRow(qint64 value, const QStringList& texts) const
{
    auto* row = new QTreeWidgetItem(texts);
    row->setData(0, ItemValueRole, value);
    for (int column = 0; column < columnCount(); ++column)
        row->setTextAlignment(column, Qt::Alignment(alignments_.value(column) | Qt::AlignVCenter));
    return row;
}

QList<QTreeWidgetItem*> SortableList::addRows(const QList<std::pair<qint64, QStringList>>& rows)
{
    QList<QTreeWidgetItem*> added;
    for (const auto& [value, texts] : rows)
        added << newRow(value, texts);
    QList<QTreeWidgetItem*> all = added;
    if (insertSorted_) {
        // A row added later goes after the rows with the same first-column text.
        all = invisibleRootItem()->takeChildren() + added;
        std::stable_sort(all.begin(), all.end(), [this](const auto* a, const auto* b) {
            const int order = SortKey::compareTexts(a->text(0), b->text(0));
            return ascending_ ? order < 0 : order > 0;
        });
    }
    addTopLevelItems(all);
    return added;
}

QTreeWidgetItem* SortableList::addRow(qint64 value, const QStringList& texts)
{
    QTreeWidgetItem* row = newRow(value, texts);
    int at = topLevelItemCount();
    if (insertSorted_) {
        const QString first = texts.value(0);
        for (int i = 0; i < topLevelItemCount(); ++i) {
            const int order = SortKey::compareTexts(first, topLevelItem(i)->text(0));
            if (ascending_ ? order < 0 : order > 0) {
                at = i;
                break;
            }
        }
    }
    insertTopLevelItem(at, row);
    return row;
}

void SortableList::setPicture(QTreeWidgetItem* row, int column, int index)
{
    row->setData(column, PictureRole, index);
    row->setIcon(column, index >= 0 ? pictures_.value(index) : QIcon());
}

QTreeWidgetItem* SortableList::findRow(qint64 value) const
{
    for (int i = 0; i < topLevelItemCount(); ++i)
        if (itemValue(topLevelItem(i)) == value)
            return topLevelItem(i);
    return nullptr;
}

QList<qint64> SortableList::rowValues() const
{
    QList<qint64> values;
    for (int i = 0; i < topLevelItemCount(); ++i)
        values << itemValue(topLevelItem(i));
    return values;
}

void SortableList::clearRows()
{
    clear();
    sortColumn_ = 0;
    ascending_ = true;
    header()->setSortIndicatorShown(false);
}

void SortableList::sortByColumn(int column)
{
    if (column < 0 || column >= columnCount())
        return;
    setUpdatesEnabled(false);
    if (column == sortColumn_)
        ascending_ = !ascending_;
    sortColumn_ = column;

    using Key = std::variant<qint64, QString>;
    const SortKind kind = sortKind(column);
    auto keyOf = [&](const QTreeWidgetItem* row) -> Key {
        switch (kind) {
        case PictureSort:
            return static_cast<qint64>(picture(row, column));
        case NumberSort:
            return SortKey::leadingNumber(row->text(column));
        case TextSort:
            break;
        }
        return row->text(column);
    };

    QTreeWidgetItem* current = currentItem();
    const QList<QTreeWidgetItem*> selected = selectedItems();
    QList<std::pair<Key, QTreeWidgetItem*>> rows;
    for (QTreeWidgetItem* row : invisibleRootItem()->takeChildren())
        rows.append({keyOf(row), row});
    auto compare = [](const Key& a, const Key& b) {
        if (const auto* text = std::get_if<QString>(&a))
            return SortKey::compareTexts(*text, std::get<QString>(b));
        return SortKey::compareNumbers(std::get<qint64>(a), std::get<qint64>(b));
    };
    std::stable_sort(rows.begin(), rows.end(), [&](const auto& a, const auto& b) {
        const int order = compare(a.first, b.first);
        return ascending_ ? order < 0 : order > 0;
    });
    QList<QTreeWidgetItem*> sorted;
    for (const auto& entry : rows)
        sorted << entry.second;
    addTopLevelItems(sorted);
    for (QTreeWidgetItem* row : selected)
        row->setSelected(true);
    if (current)
        setCurrentItem(current, 0, QItemSelectionModel::NoUpdate);
    header()->setSortIndicator(column, ascending_ ? Qt::AscendingOrder : Qt::DescendingOrder);
    header()->setSortIndicatorShown(true);
    setUpdatesEnabled(true);
}

void SortableList::setColumnShares(const QList<int>& shares)
{
    shares_ = shares;
    fitColumns();
}

bool SortableList::viewportEvent(QEvent* event)
{
    if (event->type() == QEvent::Resize)
        fitColumns();
    return QTreeWidget::viewportEvent(event);
}

void SortableList::fitColumns()
{
    int total = 0;
    for (int share : std::as_const(shares_))
        total += share;
    if (total <= 0)
        return;
    const int width = viewport()->width();
    int left = width;
    for (int column = 0; column < shares_.size() && column < columnCount(); ++column) {
        const bool last = column == shares_.size() - 1;
        const int columnWidth = last ? left : width * shares_[column] / total;
        setColumnWidth(column, columnWidth);
        left -= columnWidth;
    }
}
