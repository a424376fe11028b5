#include "PageHistoryReader.h"

#include "HistorySql.h"

#include <QCoreApplication>
#include <QFileInfo>
#include <QSqlDatabase>
#include <QSqlError>
#include <QSqlQuery>
#include <QUrl>
#include <QVariant>

#include <atomic>

namespace {

QString readerConnectionName()
{
    static std::atomic<int> next = 0;
    return QStringLiteral("page-history-reader-%1").arg(++next);
}

} // namespace

PageHistoryReader::PageHistoryReader()
    : connection_(readerConnectionName())
{}

PageHistoryReader::~PageHistoryReader()
{
    if (QSqlDatabase::contains(connection_)) {
        QSqlDatabase::database(connection_, false).close();
        QSqlDatabase::removeDatabase(connection_);
    }
}

std::optional<QString> PageHistoryReader::open(const QString& path)
{
    empty_ = true;
    pathSearch_.reset();
    const QFileInfo file(path);
    if (!file.exists())
        return std::nullopt;
    if (!file.isFile())
        return QCoreApplication::translate("PageHistory", "The page history %1 cannot be read: %2")
            .arg(path, QCoreApplication::translate("PageHistory", "it is not a regular file"));
    QSqlDatabase db = QSqlDatabase::contains(connection_)
                          ? QSqlDatabase::database(connection_, false)
                          : QSqlDatabase::addDatabase(QStringLiteral("QSQLITE"), connection_);
    db.close();
    // Without a journal beside it no one is writing: the file alone is the whole history, and
    // reading it as immutable creates no journal or index file next to it. With one, a writer
    // is at work and its journal is read as it stands.
    const bool writerAtWork = QFileInfo::exists(path + QStringLiteral("-wal"));
    if (writerAtWork) {
        db.setDatabaseName(path);
        db.setConnectOptions(QStringLiteral("QSQLITE_OPEN_READONLY;QSQLITE_BUSY_TIMEOUT=5000"));
    } else {
        QUrl url = QUrl::fromLocalFile(file.absoluteFilePath());
        url.setQuery(QStringLiteral("immutable=1"));
        db.setDatabaseName(url.toString(QUrl::FullyEncoded));
        db.setConnectOptions(QStringLiteral("QSQLITE_OPEN_READONLY;QSQLITE_OPEN_URI"));
    }
    auto cannotRead = [&](const QString& why) {
        db.close();
        return QCoreApplication::translate("PageHistory", "The page history %1 cannot be read: %2")
            .arg(path, why);
    };
    if (!db.open())
        return cannotRead(HistorySql::describe(db.lastError()));
    QSqlError error;
    const std::optional<HistorySql::FileState> state = HistorySql::inspect(db, &error);
    if (!state)
        return cannotRead(HistorySql::describe(error));
    if (state->empty)
        return std::nullopt;
    if (state->foreign || state->version < 1)
        return cannotRead(QCoreApplication::translate("PageHistory", "it is not a page history"));
    if (state->version > HistorySql::CurrentVersion)
        return cannotRead(
            QCoreApplication::translate("PageHistory", "a newer version of the program wrote it"));
    version_ = state->version;
    empty_ = false;
    return std::nullopt;
}

qint64 PageHistoryReader::number(const HistorySql::Select& select)
{
    QSqlQuery query(QSqlDatabase::database(connection_, false));
    query.prepare(select.sql);
    HistorySql::bindAll(query, select.values);
    if (!query.exec() || !query.next()) {
        lastError_ = HistorySql::describe(query.lastError());
        return 0;
    }
    return query.value(0).toLongLong();
}

HistorySql::SearchPath PageHistoryReader::searchPath(const QString& search)
{
    if (search == pathSearch_)
        return path_;
    path_ = HistorySql::SearchPath::Scan;
    pathSearch_ = search;
    if (const std::optional<HistorySql::Select> matches =
            HistorySql::indexMatches(version_, search, IndexedSearchMost)) {
        if (number(*matches) < IndexedSearchMost)
            path_ = HistorySql::SearchPath::Index;
    }
    return path_;
}

qint64 PageHistoryReader::count(const HistoryFilter& filter)
{
    if (empty_)
        return 0;
    return number(HistorySql::count(filter, searchPath(filter.search)));
}

qint64 PageHistoryReader::countUpTo(const HistoryFilter& filter, qint64 limit)
{
    if (empty_)
        return 0;
    return number(HistorySql::count(filter, searchPath(filter.search), limit));
}

QList<PageHistoryEntry> PageHistoryReader::rows(const HistoryFilter& filter,
                                                const HistoryOrder& order, qint64 offset, int limit)
{
    QList<PageHistoryEntry> entries;
    visit(filter, order, QStringLiteral(" LIMIT %1 OFFSET %2").arg(limit).arg(offset),
          [&entries](const PageHistoryEntry& entry) {
              entries.append(entry);
              return true;
          });
    return entries;
}

bool PageHistoryReader::forEach(const HistoryFilter& filter, const HistoryOrder& order,
                                const std::function<bool(const PageHistoryEntry&)>& visitor)
{
    return visit(filter, order, {}, visitor);
}

bool PageHistoryReader::visit(const HistoryFilter& filter, const HistoryOrder& order,
                              const QString& limit,
                              const std::function<bool(const PageHistoryEntry&)>& visitor)
{
    lastError_.clear();
    if (empty_)
        return true;
    const HistorySql::Select select =
        HistorySql::select(version_, filter, order, searchPath(filter.search));
    QSqlQuery query(QSqlDatabase::database(connection_, false));
    query.setForwardOnly(true);
    query.prepare(select.sql + limit);
    HistorySql::bindAll(query, select.values);
    if (!query.exec()) {
        lastError_ = HistorySql::describe(query.lastError());
        return false;
    }
    while (query.next()) {
        if (!visitor(HistorySql::entryAt(query)))
            return true;
    }
    if (query.lastError().isValid()) {
        lastError_ = HistorySql::describe(query.lastError());
        return false;
    }
    return true;
}
