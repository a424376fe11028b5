#include "PageRecorder.h"

#include "Database.h"
#include "PageHistory.h"

#include <QDateTime>

namespace {

// How the session's end of a page is kept.
std::pair<HistoryOutcome, QString> keptAs(UnitSession::PageEnd end)
{
    switch (end) {
    case UnitSession::PageEnd::Confirmed:
        return {HistoryOutcome::Confirmed, {}};
    case UnitSession::PageEnd::Refused:
        return {HistoryOutcome::Failed, QString::fromLatin1(HistoryReason::RefusedByUnit)};
    case UnitSession::PageEnd::Silence:
        return {HistoryOutcome::Failed, QString::fromLatin1(HistoryReason::NoResponse)};
    case UnitSession::PageEnd::LineLost:
        return {HistoryOutcome::Failed, QString::fromLatin1(HistoryReason::LineLost)};
    case UnitSession::PageEnd::Dropped:
        break;
    }
    return {HistoryOutcome::Dropped, QString::fromLatin1(HistoryReason::Dropped)};
}

} // namespace

PageRecorder::PageRecorder(UnitSession& session, PageHistory& history, NameOf nameOf,
                           QObject* parent)
    : QObject(parent)
    , history_(history)
    , nameOf_(std::move(nameOf))
{
    connect(&session, &UnitSession::pageQueued, this, &PageRecorder::pageQueued);
    connect(&session, &UnitSession::pageEnded, this,
            [this](UnitSession::PageTicket ticket, UnitSession::PageEnd end) {
                pageEnded(ticket, end);
            });
}

void PageRecorder::pageQueued(UnitSession::PageTicket ticket, const QByteArray& record,
                              const PageOrigin& origin)
{
    const std::optional<UnitSession::PageRecordFields> fields =
        UnitSession::parsePageRecord(record);
    if (!fields)
        return;
    PageHistoryEntry entry;
    entry.queuedMs = QDateTime::currentMSecsSinceEpoch();
    entry.origin = origin;
    entry.recipient = fields->recipient;
    entry.name = nameOf_ ? nameOf_(origin, fields->recipient) : QString();
    entry.text = fields->text;
    if (ticket == 0) {
        entry.endedMs = entry.queuedMs;
        entry.outcome = HistoryOutcome::Refused;
        entry.reason = QString::fromLatin1(HistoryReason::NotConnected);
        history_.record(entry);
        return;
    }
    open_.insert(ticket, entry);
}

void PageRecorder::pageEnded(UnitSession::PageTicket ticket, UnitSession::PageEnd end)
{
    auto found = open_.find(ticket);
    if (found == open_.end())
        return;
    PageHistoryEntry entry = *found;
    open_.erase(found);
    entry.endedMs = QDateTime::currentMSecsSinceEpoch();
    std::tie(entry.outcome, entry.reason) = keptAs(end);
    history_.record(entry);
}

PageRecorder::NameOf PageRecorder::namesIn(const Database& database)
{
    return [&database](const PageOrigin& origin, uint32_t recipient) {
        switch (origin.source) {
        case PageOrigin::Source::CoasterAlert:
        case PageOrigin::Source::CoasterRange:
        case PageOrigin::Source::CoasterLocate:
            return QString();
        default:
            return recipient <= 0xFFFF ? database.names().name(static_cast<uint16_t>(recipient))
                                       : QString();
        }
    };
}
