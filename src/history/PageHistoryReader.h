#pragma once

#include "HistorySql.h"
#include "PageHistoryEntry.h"

#include <QList>
#include <QString>

#include <functional>
#include <optional>

// Reads a page history without writing to it: no file is created or changed, not even a
// journal, so the command line's history and the window may read while others write.
class PageHistoryReader {
public:
    PageHistoryReader();
    ~PageHistoryReader();
    PageHistoryReader(const PageHistoryReader&) = delete;
    PageHistoryReader& operator=(const PageHistoryReader&) = delete;

    // Opens path to read. A file that does not exist reads as an empty history. Otherwise the
    // reason it cannot be read (not a history, damaged, of a newer version) is returned.
    std::optional<QString> open(const QString& path);

    // How many rows the filter keeps.
    qint64 count(const HistoryFilter& filter);
    // The same, counting no further than limit: with a search that many rows hold, a count of
    // them all reads every row, and "limit or more" is quick.
    qint64 countUpTo(const HistoryFilter& filter, qint64 limit);
    // At most limit rows the filter keeps, in order, from offset on.
    QList<PageHistoryEntry> rows(const HistoryFilter& filter, const HistoryOrder& order,
                                 qint64 offset, int limit);
    // Every row the filter keeps, in order, one at a time; each returns false to stop. Returns
    // false when reading failed (lastError() says why).
    bool forEach(const HistoryFilter& filter, const HistoryOrder& order,
                 const std::function<bool(const PageHistoryEntry&)>& visit);

    QString lastError() const { return lastError_; }

    // A search that the index says more rows than this may hold is found by reading the rows,
    // newest first: one row in fifty or more holds it, and a page of them is found at once.
    static constexpr int IndexedSearchMost = 20000;

private:
    qint64 number(const HistorySql::Select& select);
    // Asks the index how many rows may hold search, once for each new search.
    HistorySql::SearchPath searchPath(const QString& search);
    bool visit(const HistoryFilter& filter, const HistoryOrder& order, const QString& limit,
               const std::function<bool(const PageHistoryEntry&)>& visitor);

    QString connection_;
    bool empty_ = true;
    int version_ = 0;
    QString lastError_;
    std::optional<QString> pathSearch_;
    HistorySql::SearchPath path_ = HistorySql::SearchPath::Scan;
};
