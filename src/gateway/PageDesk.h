#pragma once

#include "UnitSession.h"

#include <QHash>
#include <QList>
#include <QObject>
#include <QPointer>
#include <QString>

#include <cstdint>
#include <functional>
#include <optional>

class ConfigurationImage;

// How one page asked for from outside the window ended.
enum class PageOutcome {
    Confirmed, // the unit has it
    Offline,   // the console was not connected: nothing was queued
    Refused,   // the unit answered against it
    NoResponse,
    LineLost,
    Dropped, // queued, but the console went offline or closed before it was sent
};

struct PageResult {
    uint16_t localId = 0;
    PageOutcome outcome = PageOutcome::Offline;
    // What the console's user was shown about it, if anything.
    QString message;
};

// "confirmed", "offline", "refused", "no response", "line lost", "dropped": how the gateway and
// the command line name an outcome to their senders.
QString outcomeName(PageOutcome outcome);
// A sentence for a sender: why the page is not on the unit.
QString outcomeReason(const PageResult& result);

// Where pages from outside the window come in: the command line handing its page to the
// console, the SNPP and HTTP gateways. Each request is checked by the message box's rules and
// against the database, then queued through the session exactly as the window's Send queues,
// one page record per recipient, and answered once every page of it has ended.
class PageDesk : public QObject {
    Q_OBJECT
public:
    using Done = std::function<void(const QList<PageResult>&)>;

    PageDesk(UnitSession& session, const ConfigurationImage& image, QObject* parent = nullptr);
    ~PageDesk() override;

    bool isOnline() const { return session_.isOnline(); }

    // Why the request cannot be queued, or nothing: the first recipient the database does not
    // hold, a text the message box would refuse, no recipient or too many.
    std::optional<QString> check(const QList<uint16_t>& recipients, const QString& text) const;

    // Queues a checked request (one page per recipient, in order) and calls done, on this
    // thread and never before submit has returned, once every page has ended: all Offline at
    // once when the console is not connected. done is not called once context is gone.
    // origin names the sender for the status bar and the history.
    void submit(const QList<uint16_t>& recipients, const QString& text, const PageOrigin& origin,
                QObject* context, Done done);

    // How the status bar names a sender: "SNPP 10.0.0.7 (desk)", "HTTP ::1", "tavolux-cli".
    static QString senderText(const PageOrigin& origin);

signals:
    // A page from outside was queued: the window names the last one and its source.
    void pageTaken(const QString& source, uint16_t localId, const QString& text);

private:
    struct Request {
        QPointer<QObject> context;
        Done done;
        QList<PageResult> results;
        int open = 0;
    };
    void pageEnded(UnitSession::PageTicket ticket, UnitSession::PageEnd end,
                   const QString& message);
    void finish(quint64 requestId);

    UnitSession& session_;
    const ConfigurationImage& image_;
    quint64 lastRequest_ = 0;
    QHash<quint64, Request> requests_;
    // ticket -> (request, index of its result)
    QHash<UnitSession::PageTicket, std::pair<quint64, int>> tickets_;
};
