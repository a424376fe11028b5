#pragma once

#include "PageHistoryEntry.h"

#include <QSqlDatabase>
#include <QString>
#include <QVariantList>

#include <optional>

class QSqlError;
class QSqlQuery;

// The history file's schema and the SQL the writer and the reader share.
namespace HistorySql {

// "TVLX": marks an SQLite file as a page history, so that another program's database at the
// same path is never taken for one.
inline constexpr int ApplicationId = 0x54564C58;
// Version 1 kept the console's own pages; version 2 added the sender's peer address and login
// and the index for the outcome filter; version 3 the trigram index of texts and names.
inline constexpr int CurrentVersion = 3;
// The statements that made a version-1 history, as its first release wrote them.
QStringList firstSchema();

// What opening found in the file.
struct FileState {
    int version = 0;      // PRAGMA user_version
    bool empty = false;   // no table at all: a new file
    bool foreign = false; // tables, but not a history's
};
// Reads the file's marks; an SQLite error (a damaged file) comes back as the error.
std::optional<FileState> inspect(QSqlDatabase& db, QSqlError* error);

// Brings a file to CurrentVersion inside one write transaction (creating it when empty); the
// error when that failed. Nothing is changed when the file is newer or foreign.
std::optional<QSqlError> createOrMigrate(QSqlDatabase& db);

// SQLite's own result codes, as Qt's driver reports them in nativeErrorCode().
bool isDamage(const QSqlError& error); // SQLITE_CORRUPT, SQLITE_NOTADB
bool isBusy(const QSqlError& error);   // SQLITE_BUSY, SQLITE_LOCKED
QString describe(const QSqlError& error);

// How a search finds its rows: by reading the text and name of every row the other parts of the
// filter keep, or by first asking the trigram index which rows hold it. The index pays when few
// rows hold the text; reading pays when many do, as the newest of them are found at once.
enum class SearchPath { Scan, Index };

// SELECT ... FROM pages WHERE ... ORDER BY ... for a filter of a file of the given version,
// with its bound values; LIMIT and OFFSET are appended by the caller when it pages.
struct Select {
    QString sql = {};
    QVariantList values = {};
};
Select select(int version, const HistoryFilter& filter, const HistoryOrder& order,
              SearchPath path = SearchPath::Scan);
// The rows the filter keeps, counted up to upTo when given.
Select count(const HistoryFilter& filter, SearchPath path = SearchPath::Scan,
             std::optional<qint64> upTo = std::nullopt);
// How many rows (up to upTo) the index says may hold search; nothing when a file of this
// version has no index or the search is too short for it.
std::optional<Select> indexMatches(int version, const QString& search, int upTo);
// The row a select() query stands on.
PageHistoryEntry entryAt(const QSqlQuery& query);

void bindAll(QSqlQuery& query, const QVariantList& values);

} // namespace HistorySql
