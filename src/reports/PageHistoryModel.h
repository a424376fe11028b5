#pragma once

#include "PageHistoryEntry.h"
#include "PageHistoryReader.h"

#include <QAbstractTableModel>
#include <QList>
#include <QString>

#include <functional>
#include <optional>

// The page history as a list: the rows a filter keeps, in the order asked of the history, read
// a page of rows at a time as the view scrolls to them, so that a history of a million pages
// opens as fast as one of ten. Sorting asks the history for another order; nothing is sorted
// here.
class PageHistoryModel : public QAbstractTableModel {
    Q_OBJECT
public:
    // Rows read at a time.
    static constexpr int PageRows = 200;
    static constexpr int RefreshRowsMost = 10000;
    // Rows counted at most: counting every row that a common word is in reads the whole
    // history, and "10 000 or more" says enough.
    static constexpr qint64 CountMost = 10000;

    explicit PageHistoryModel(const QString& path, QObject* parent = nullptr);

    const QString& path() const { return path_; }
    const HistoryFilter& filter() const { return filter_; }
    const HistoryOrder& order() const { return order_; }
    // How many rows the filter keeps, fetched or not; when totalIsAtLeast(), that many or more.
    qint64 total() const { return total_; }
    bool totalIsAtLeast() const { return !totalKnown_; }
    // Why the history cannot be read; empty when it can (a missing file reads as empty).
    const QString& problem() const { return problem_; }
    const PageHistoryEntry& entry(int row) const { return entries_.at(row); }

    // Reads the history anew with this filter, from its first rows.
    void setFilter(const HistoryFilter& filter);
    // Shows no rows at all, for a filter that cannot be used.
    void clear();
    // Reads the history anew with the filter and order as they stand, as many rows as were
    // fetched before (so that the view's place can be kept), but no more than RefreshRowsMost:
    // a list scrolled further down than that is not worth reading so many rows for each new page.
    void refresh();

    // Every row the filter keeps in the order shown, fetched or not; false when reading failed.
    bool forEach(const std::function<bool(const PageHistoryEntry&)>& visit);

    int rowCount(const QModelIndex& parent = {}) const override;
    int columnCount(const QModelIndex& parent = {}) const override;
    QVariant data(const QModelIndex& index, int role = Qt::DisplayRole) const override;
    QVariant headerData(int section, Qt::Orientation orientation,
                        int role = Qt::DisplayRole) const override;
    bool canFetchMore(const QModelIndex& parent) const override;
    void fetchMore(const QModelIndex& parent) override;
    // Asks the history for the rows in that column's order; a column the history does not sort
    // on changes nothing.
    void sort(int column, Qt::SortOrder order = Qt::AscendingOrder) override;

signals:
    // The count or the problem changed.
    void totalChanged();

private:
    void reload(qint64 rows);
    // The rows from offset on; none when reading failed (problem() says why).
    std::optional<QList<PageHistoryEntry>> readRows(qint64 offset, qint64 rows);
    void append(const QList<PageHistoryEntry>& read);

    QString path_;
    PageHistoryReader reader_;
    HistoryFilter filter_;
    HistoryOrder order_;
    bool cleared_ = false;
    qint64 total_ = 0;
    // Whether total_ is every row the filter keeps, or the count stopped at CountMost and
    // the rows beyond are found as they are fetched.
    bool totalKnown_ = true;
    QList<PageHistoryEntry> entries_;
    // The texts of the rows fetched, built once per row.
    QList<QStringList> texts_;
    QString problem_;
};
