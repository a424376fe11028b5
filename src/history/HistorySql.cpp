#include "HistorySql.h"

#include <QSqlError>
#include <QSqlQuery>
#include <QStringList>
#include <QVariant>

namespace HistorySql {

namespace {

// SQLite result codes (sqlite3.h); the driver gives them as text.
constexpr int SqliteBusy = 5;
constexpr int SqliteLocked = 6;
constexpr int SqliteCorrupt = 11;
constexpr int SqliteNotADatabase = 26;

int primaryCode(const QSqlError& error)
{
    bool ok = false;
    const int code = error.nativeErrorCode().toInt(&ok);
    // Extended codes carry the primary one in their low byte.
    return ok ? (code & 0xFF) : -1;
}

QStringList secondVersionSteps()
{
    return {
        QStringLiteral("ALTER TABLE pages ADD COLUMN peer TEXT NOT NULL DEFAULT ''"),
        QStringLiteral("ALTER TABLE pages ADD COLUMN login TEXT NOT NULL DEFAULT ''"),
        QStringLiteral("CREATE INDEX pages_outcome ON pages(outcome, queued_at)"),
    };
}

// An index of the texts and names by every three characters, kept by triggers, so that a search
// reads the rows that hold its text instead of every row. Rows are never changed, only added and
// removed; a change would still be followed.
QStringList thirdVersionSteps()
{
    return {
        QStringLiteral("CREATE VIRTUAL TABLE pages_text USING fts5(text, name, content='pages', "
                       "content_rowid='id', tokenize='trigram')"),
        QStringLiteral("CREATE TRIGGER pages_text_added AFTER INSERT ON pages BEGIN "
                       "INSERT INTO pages_text(rowid, text, name) "
                       "VALUES (new.id, new.text, new.name); END"),
        QStringLiteral("CREATE TRIGGER pages_text_removed AFTER DELETE ON pages BEGIN "
                       "INSERT INTO pages_text(pages_text, rowid, text, name) "
                       "VALUES ('delete', old.id, old.text, old.name); END"),
        QStringLiteral("CREATE TRIGGER pages_text_changed AFTER UPDATE ON pages BEGIN "
                       "INSERT INTO pages_text(pages_text, rowid, text, name) "
                       "VALUES ('delete', old.id, old.text, old.name); "
                       "INSERT INTO pages_text(rowid, text, name) "
                       "VALUES (new.id, new.text, new.name); END"),
        // The rows of earlier versions.
        QStringLiteral("INSERT INTO pages_text(pages_text) VALUES ('rebuild')"),
    };
}

// Each step takes a file from the version of its index plus one to the next.
QList<QStringList> migrations()
{
    return {secondVersionSteps(), thirdVersionSteps()};
}

std::optional<QSqlError> run(QSqlDatabase& db, const QString& statement)
{
    QSqlQuery query(db);
    if (!query.exec(statement))
        return query.lastError();
    return std::nullopt;
}

QString orderColumn(HistoryColumn column)
{
    switch (column) {
    case HistoryColumn::Queued:
        return QStringLiteral("queued_at");
    case HistoryColumn::Source:
        return QStringLiteral("source");
    case HistoryColumn::Recipient:
        return QStringLiteral("recipient");
    case HistoryColumn::Name:
        return QStringLiteral("name");
    case HistoryColumn::Text:
        return QStringLiteral("text");
    case HistoryColumn::Outcome:
        return QStringLiteral("outcome");
    case HistoryColumn::AnswerTime:
        return QStringLiteral("ended_at - queued_at");
    }
    return QStringLiteral("queued_at");
}

// The trigram index finds only texts of three characters or more.
constexpr qsizetype ShortestIndexedSearch = 3;

// The search as the index takes it: one phrase, its quotes doubled.
QString indexPhrase(const QString& search)
{
    QString phrase = search;
    phrase.replace(u'"', QStringLiteral("\"\""));
    return u'"' + phrase + u'"';
}

// The WHERE clause of a filter, with its values in order.
QString where(const HistoryFilter& filter, SearchPath path, QVariantList& values)
{
    QStringList parts;
    if (filter.sinceMs) {
        parts << QStringLiteral("queued_at >= ?");
        values << *filter.sinceMs;
    }
    if (filter.untilMs) {
        parts << QStringLiteral("queued_at < ?");
        values << *filter.untilMs;
    }
    if (filter.recipient) {
        parts << QStringLiteral("recipient = ?");
        values << static_cast<qlonglong>(*filter.recipient);
    }
    if (!filter.search.isEmpty()) {
        // LIKE's own wildcards in the search are taken literally.
        QString pattern = filter.search;
        pattern.replace(u'\\', QStringLiteral("\\\\"))
            .replace(u'%', QStringLiteral("\\%"))
            .replace(u'_', QStringLiteral("\\_"));
        pattern = u'%' + pattern + u'%';
        // The index narrows the rows to those that hold the text in any case (its case folding
        // takes in more letters than LIKE's); LIKE then decides, so that both find the same.
        if (path == SearchPath::Index) {
            parts << QStringLiteral("id IN (SELECT rowid FROM pages_text WHERE pages_text MATCH ?)");
            values << indexPhrase(filter.search);
        }
        parts << QStringLiteral("(text LIKE ? ESCAPE '\\' OR name LIKE ? ESCAPE '\\')");
        values << pattern << pattern;
    }
    if (!filter.outcomes.isEmpty()) {
        QStringList marks;
        for (const HistoryOutcome outcome : filter.outcomes) {
            marks << QStringLiteral("?");
            values << static_cast<int>(outcome);
        }
        parts << QStringLiteral("outcome IN (%1)").arg(marks.join(u','));
    }
    return parts.isEmpty() ? QString() : QStringLiteral(" WHERE ") + parts.join(" AND ");
}

} // namespace

QStringList firstSchema()
{
    return {
        QStringLiteral("CREATE TABLE pages ("
                       "id INTEGER PRIMARY KEY, "
                       "queued_at INTEGER NOT NULL, "
                       "ended_at INTEGER NOT NULL, "
                       "source TEXT NOT NULL, "
                       "recipient INTEGER NOT NULL, "
                       "name TEXT NOT NULL, "
                       "text TEXT NOT NULL, "
                       "outcome INTEGER NOT NULL, "
                       "reason TEXT NOT NULL)"),
        QStringLiteral("CREATE INDEX pages_queued ON pages(queued_at)"),
        QStringLiteral("CREATE INDEX pages_recipient ON pages(recipient, queued_at)"),
        QStringLiteral("PRAGMA application_id = %1").arg(ApplicationId),
        QStringLiteral("PRAGMA user_version = 1"),
    };
}

std::optional<FileState> inspect(QSqlDatabase& db, QSqlError* error)
{
    QSqlQuery query(db);
    auto integer = [&](const QString& statement) -> std::optional<qint64> {
        if (!query.exec(statement) || !query.next()) {
            *error = query.lastError();
            return std::nullopt;
        }
        return query.value(0).toLongLong();
    };
    const std::optional<qint64> tables =
        integer(QStringLiteral("SELECT count(*) FROM sqlite_master"));
    const std::optional<qint64> id =
        tables ? integer(QStringLiteral("PRAGMA application_id")) : std::nullopt;
    const std::optional<qint64> version =
        id ? integer(QStringLiteral("PRAGMA user_version")) : std::nullopt;
    if (!version)
        return std::nullopt;
    FileState state;
    state.version = static_cast<int>(*version);
    state.empty = *tables == 0;
    state.foreign = !state.empty && *id != ApplicationId;
    return state;
}

std::optional<QSqlError> createOrMigrate(QSqlDatabase& db)
{
    // IMMEDIATE takes the write lock at once: two programs starting together do not both
    // create the table.
    if (std::optional<QSqlError> error = run(db, QStringLiteral("BEGIN IMMEDIATE")))
        return error;
    QSqlError inspectError;
    const std::optional<FileState> state = inspect(db, &inspectError);
    QStringList steps;
    if (!state) {
        run(db, QStringLiteral("ROLLBACK"));
        return inspectError;
    }
    if (state->empty) {
        steps = firstSchema();
        for (const QStringList& migration : migrations())
            steps += migration;
    } else if (!state->foreign) {
        const QList<QStringList> all = migrations();
        for (int version = state->version; version >= 1 && version < CurrentVersion; ++version)
            steps += all.at(version - 1);
    }
    if (!steps.isEmpty())
        steps << QStringLiteral("PRAGMA user_version = %1").arg(CurrentVersion);
    for (const QString& step : steps) {
        if (std::optional<QSqlError> error = run(db, step)) {
            run(db, QStringLiteral("ROLLBACK"));
            return error;
        }
    }
    return run(db, QStringLiteral("COMMIT"));
}

bool isDamage(const QSqlError& error)
{
    const int code = primaryCode(error);
    return code == SqliteCorrupt || code == SqliteNotADatabase;
}

bool isBusy(const QSqlError& error)
{
    const int code = primaryCode(error);
    return code == SqliteBusy || code == SqliteLocked;
}

QString describe(const QSqlError& error)
{
    const QString text = error.databaseText().isEmpty() ? error.text() : error.databaseText();
    return text.trimmed();
}

Select select(int version, const HistoryFilter& filter, const HistoryOrder& order,
              SearchPath path)
{
    // A version-1 file has no sender columns: they read as empty.
    const QString sender =
        version >= 2 ? QStringLiteral("peer, login") : QStringLiteral("'' AS peer, '' AS login");
    Select select;
    const QString direction = order.ascending ? QStringLiteral("ASC") : QStringLiteral("DESC");
    // Rows of equal value keep the order they were queued in, the same way round.
    select.sql =
        QStringLiteral("SELECT id, queued_at, ended_at, source, %1, recipient, name, text, "
                       "outcome, reason FROM pages")
            .arg(sender) +
        where(filter, path, select.values) +
        // The rows the index found are few: sorting them beats walking an index of every row
        // in order until they turn up, which a unary + keeps SQLite from doing.
        QStringLiteral(" ORDER BY %1(%2) %3, ")
            .arg(path == SearchPath::Index ? QStringLiteral("+") : QString(),
                 orderColumn(order.column), direction) +
        (order.column == HistoryColumn::Queued ? QStringLiteral("id %1")
                                               : QStringLiteral("queued_at %1, id %1"))
            .arg(direction);
    return select;
}

Select count(const HistoryFilter& filter, SearchPath path, std::optional<qint64> upTo)
{
    Select select;
    const QString rows = where(filter, path, select.values);
    select.sql = upTo ? QStringLiteral("SELECT count(*) FROM (SELECT 1 FROM pages%1 LIMIT %2)")
                            .arg(rows)
                            .arg(*upTo)
                      : QStringLiteral("SELECT count(*) FROM pages") + rows;
    return select;
}

std::optional<Select> indexMatches(int version, const QString& search, int upTo)
{
    if (version < 3 || search.toUcs4().size() < ShortestIndexedSearch)
        return std::nullopt;
    return Select{QStringLiteral("SELECT count(*) FROM (SELECT 1 FROM pages_text WHERE "
                                 "pages_text MATCH ? LIMIT %1)")
                      .arg(upTo),
                  {indexPhrase(search)}};
}

PageHistoryEntry entryAt(const QSqlQuery& query)
{
    PageHistoryEntry entry;
    entry.id = query.value(0).toLongLong();
    entry.queuedMs = query.value(1).toLongLong();
    entry.endedMs = query.value(2).toLongLong();
    entry.origin.source =
        PageOrigin::fromKey(query.value(3).toString()).value_or(PageOrigin::Source::MessageBox);
    entry.origin.peer = query.value(4).toString();
    entry.origin.login = query.value(5).toString();
    entry.recipient = static_cast<uint32_t>(query.value(6).toLongLong());
    entry.name = query.value(7).toString();
    entry.text = query.value(8).toString();
    const int outcome = query.value(9).toInt();
    entry.outcome = outcome >= 0 && outcome < HistoryOutcomeCount
                        ? static_cast<HistoryOutcome>(outcome)
                        : HistoryOutcome::Failed;
    entry.reason = query.value(10).toString();
    return entry;
}

void bindAll(QSqlQuery& query, const QVariantList& values)
{
    for (const QVariant& value : values)
        query.addBindValue(value);
}

} // namespace HistorySql
