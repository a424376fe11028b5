#include "PageDesk.h"

#include "ConfigurationImage.h"
#include "PageRequest.h"

#include <QTimer>

QString outcomeName(PageOutcome outcome)
{
    switch (outcome) {
    case PageOutcome::Confirmed:
        return QStringLiteral("confirmed");
    case PageOutcome::Offline:
        return QStringLiteral("offline");
    case PageOutcome::Refused:
        return QStringLiteral("refused");
    case PageOutcome::NoResponse:
        return QStringLiteral("no response");
    case PageOutcome::LineLost:
        return QStringLiteral("line lost");
    case PageOutcome::Dropped:
        break;
    }
    return QStringLiteral("dropped");
}

QString outcomeReason(const PageResult& result)
{
    switch (result.outcome) {
    case PageOutcome::Confirmed:
        return QStringLiteral("the unit confirmed the page");
    case PageOutcome::Offline:
        return QStringLiteral("the console is not connected to the unit");
    case PageOutcome::Refused:
        return QStringLiteral("the unit refused the page");
    case PageOutcome::NoResponse:
        return QStringLiteral("the unit did not answer");
    case PageOutcome::LineLost:
        return QStringLiteral("the line to the unit was lost");
    case PageOutcome::Dropped:
        break;
    }
    return QStringLiteral("the console went offline before the page was sent");
}

namespace {

PageOutcome outcomeOf(UnitSession::PageEnd end)
{
    switch (end) {
    case UnitSession::PageEnd::Confirmed:
        return PageOutcome::Confirmed;
    case UnitSession::PageEnd::Refused:
        return PageOutcome::Refused;
    case UnitSession::PageEnd::Silence:
        return PageOutcome::NoResponse;
    case UnitSession::PageEnd::LineLost:
        return PageOutcome::LineLost;
    case UnitSession::PageEnd::Dropped:
        break;
    }
    return PageOutcome::Dropped;
}

} // namespace

PageDesk::PageDesk(UnitSession& session, const ConfigurationImage& image, QObject* parent)
    : QObject(parent)
    , session_(session)
    , image_(image)
{
    connect(&session_, &UnitSession::pageEnded, this, &PageDesk::pageEnded);
}

PageDesk::~PageDesk() = default;

std::optional<QString> PageDesk::check(const QList<uint16_t>& recipients, const QString& text) const
{
    if (recipients.isEmpty())
        return QStringLiteral("no recipient was given");
    if (recipients.size() > PageRequest::MaxRecipients)
        return QStringLiteral("at most %1 recipients a page").arg(PageRequest::MaxRecipients);
    for (const uint16_t localId : recipients) {
        if (std::optional<QString> problem = PageRequest::recipientProblem(image_, localId))
            return problem;
    }
    return PageRequest::textProblem(text);
}

void PageDesk::submit(const QList<uint16_t>& recipients, const QString& text,
                      const PageOrigin& origin, QObject* context, Done done)
{
    const quint64 requestId = ++lastRequest_;
    Request& request = requests_[requestId];
    request.context = context;
    request.done = std::move(done);
    for (const uint16_t localId : recipients)
        request.results.append({localId, PageOutcome::Offline, {}});
    // Offline, each page is still handed to the session, which refuses it without alerting
    // the window's user, so that the history keeps the refusal.
    for (int i = 0; i < recipients.size(); ++i) {
        const UnitSession::PageTicket ticket =
            session_.QueuePage(UnitSession::pageRecord(recipients.at(i), text), origin);
        if (ticket == 0)
            continue;
        tickets_.insert(ticket, {requestId, i});
        ++request.open;
        emit pageTaken(senderText(origin), recipients.at(i), text);
    }
    if (request.open == 0)
        QTimer::singleShot(0, this, [this, requestId] { finish(requestId); });
}

void PageDesk::pageEnded(UnitSession::PageTicket ticket, UnitSession::PageEnd end,
                         const QString& message)
{
    const auto found = tickets_.constFind(ticket);
    if (found == tickets_.constEnd())
        return; // the window's own page
    const auto [requestId, index] = *found;
    tickets_.erase(found);
    Request& request = requests_[requestId];
    request.results[index].outcome = outcomeOf(end);
    request.results[index].message = message;
    if (--request.open == 0)
        finish(requestId);
}

void PageDesk::finish(quint64 requestId)
{
    const Request request = requests_.take(requestId);
    if (request.context && request.done)
        request.done(request.results);
}

QString PageDesk::senderText(const PageOrigin& origin)
{
    switch (origin.source) {
    case PageOrigin::Source::Snpp:
    case PageOrigin::Source::Http: {
        QString text = (origin.source == PageOrigin::Source::Snpp ? QStringLiteral("SNPP ")
                                                                  : QStringLiteral("HTTP ")) +
                       origin.peer;
        if (!origin.login.isEmpty())
            text += QStringLiteral(" (%1)").arg(origin.login);
        return text;
    }
    default:
        return QStringLiteral("tavolux-cli");
    }
}
