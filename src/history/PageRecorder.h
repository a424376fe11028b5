#pragma once

#include "PageHistoryEntry.h"
#include "UnitSession.h"

#include <QHash>
#include <QObject>

#include <functional>

class Database;
class PageHistory;

// Keeps every page a session queues in the history: the row is begun when QueuePage is
// called and written when the page ends (at once for a page refused while offline).
class PageRecorder : public QObject {
    Q_OBJECT
public:
    // nameOf gives a recipient's name as the database holds it now (empty when unknown).
    using NameOf = std::function<QString(const PageOrigin& origin, uint32_t recipient)>;

    PageRecorder(UnitSession& session, PageHistory& history, NameOf nameOf,
                 QObject* parent = nullptr);

    // The names the database's name table holds at the moment each page is queued; a coaster
    // page's capcode has none.
    static NameOf namesIn(const Database& database);

private:
    void pageQueued(UnitSession::PageTicket ticket, const QByteArray& record,
                    const PageOrigin& origin);
    void pageEnded(UnitSession::PageTicket ticket, UnitSession::PageEnd end);

    PageHistory& history_;
    NameOf nameOf_;
    QHash<UnitSession::PageTicket, PageHistoryEntry> open_;
};
