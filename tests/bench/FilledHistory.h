#pragma once

#include "HistorySql.h"
#include "PageHistoryEntry.h"

#include <QDateTime>
#include <QSqlDatabase>
#include <QSqlError>
#include <QSqlQuery>
#include <QString>
#include <QStringList>

#include <cstdio>
#include <cstdlib>

// Fills a page history file with `pages` rows spread evenly over the year before nowMs, the way a
// busy venue's year looks: 1000 pagers, a few hundred texts, mostly confirmed pages. The rows go in
// through one transaction on a connection of its own, straight in the file's real schema, because
// the history's own writer keeps at most a few thousand rows waiting.
namespace FilledHistory {

inline constexpr qint64 YearMs = 365LL * 24 * 3600 * 1000;

inline void fill(const QString& path, qint64 pages, qint64 nowMs)
{
    const QString connection = QStringLiteral("filled-history");
    {
        QSqlDatabase db = QSqlDatabase::addDatabase(QStringLiteral("QSQLITE"), connection);
        db.setDatabaseName(path);
        if (!db.open() || HistorySql::createOrMigrate(db)) {
            std::fprintf(stderr, "cannot create %s\n", qPrintable(path));
            std::exit(2);
        }
        QSqlQuery query(db);
        query.exec(QStringLiteral("PRAGMA journal_mode=WAL"));
        query.exec(QStringLiteral("BEGIN"));
        query.prepare(QStringLiteral(
            "INSERT INTO pages (queued_at, ended_at, source, peer, login, recipient, name, text, "
            "outcome, reason) VALUES (?, ?, ?, ?, ?, ?, ?, ?, ?, ?)"));
        static const char* const sources[] = {"message-box", "coaster-alert", "snpp", "http",
                                              "cli"};
        static const char* const words[] = {"Table", "Order", "Room", "Call", "Nurse",
                                            "Kitchen", "Bar", "Pickup", "Ready", "Front desk"};
        const qint64 stepMs = YearMs / pages;
        for (qint64 i = 0; i < pages; ++i) {
            const qint64 queued = nowMs - YearMs + i * stepMs;
            const uint32_t recipient = static_cast<uint32_t>(i * 7919 % 1000);
            const int outcome = i % 50 == 0 ? 1 : i % 97 == 0 ? 2 : i % 211 == 0 ? 3 : 0;
            const char* source = sources[i % 5];
            query.addBindValue(queued);
            query.addBindValue(queued + 180 + i % 400);
            query.addBindValue(QString::fromLatin1(source));
            query.addBindValue(i % 5 >= 2 ? QStringLiteral("127.0.0.1") : QStringLiteral(""));
            query.addBindValue(i % 5 == 2 ? QStringLiteral("pos") : QStringLiteral(""));
            query.addBindValue(static_cast<qlonglong>(recipient));
            query.addBindValue(QStringLiteral("Pager %1").arg(recipient));
            query.addBindValue(QStringLiteral("%1 %2 %3")
                                   .arg(QString::fromLatin1(words[i % 10]))
                                   .arg(i % 311)
                                   .arg(QString::fromLatin1(words[(i / 10) % 10])));
            query.addBindValue(outcome);
            query.addBindValue(outcome == 0   ? QStringLiteral("")
                               : outcome == 1 ? QStringLiteral("no response")
                               : outcome == 2 ? QStringLiteral("not connected")
                                              : QStringLiteral("dropped"));
            if (!query.exec()) {
                std::fprintf(stderr, "insert failed: %s\n",
                             qPrintable(query.lastError().text()));
                std::exit(2);
            }
        }
        query.finish();
        query.exec(QStringLiteral("COMMIT"));
        query.exec(QStringLiteral("PRAGMA wal_checkpoint(TRUNCATE)"));
        db.close();
    }
    QSqlDatabase::removeDatabase(connection);
}

} // namespace FilledHistory
