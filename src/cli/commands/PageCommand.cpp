#include "PageCommand.h"

#include "BlockTransfer.h"
#include "CommandLine.h"
#include "ExitCode.h"
#include "PageHistory.h"
#include "PageRecorder.h"
#include "PageRequest.h"
#include "SettingsStore.h"
#include "SingleInstance.h"

#include <algorithm>

namespace {

const QCommandLineOption ToOption(QStringLiteral("to"),
                                  QStringLiteral("The pager or group to page."),
                                  QStringLiteral("LOCALID"));

// Finding the running console is a local socket's connect: it answers at once or not at all.
constexpr int ConsoleConnectTimeoutMs = 500;
// What the console may need beyond the page's own time to take the request and answer.
constexpr int ConsoleAnswerMarginMs = 2000;

// The exit code and message of a page the console ended, as this command would have ended it
// had it sent the page itself.
int endedAs(const PageResult& result)
{
    if (result.outcome == PageOutcome::Confirmed)
        return Cli::Success;
    Cli::fail(result.message.isEmpty() ? outcomeReason(result) : result.message);
    switch (result.outcome) {
    case PageOutcome::Offline:
    case PageOutcome::NoResponse:
    case PageOutcome::LineLost:
        return Cli::NotConnected;
    default:
        return Cli::TransferFailed;
    }
}

} // namespace

PageCommand::PageCommand()
    : UnitCommand(
          {QStringLiteral("page"),
           QStringLiteral("--to LOCALID TEXT"),
           QStringLiteral("send one page and wait for the unit to confirm it; LOCALID in\n"
                          "decimal digits, TEXT up to 200 characters that the unit can show\n"
                          "(Latin-1 letters and signs, line breaks; no other control "
                          "characters)"),
           {PortOption, ToOption, TimeoutOption}})
{}

std::optional<QString> PageCommand::check(const CommandLine& line)
{
    const std::optional<uint16_t> localId =
        PageRequest::parseLocalId(line.parser().value(ToOption));
    if (!localId || line.arguments().size() < 2)
        return QStringLiteral("page needs --to LOCALID (0 to 9999, digits only) and a text");
    localId_ = *localId;
    text_ = line.arguments().mid(1).join(u' ');
    return PageRequest::textProblem(text_);
}

int PageCommand::talk(Unit& unit)
{
    UnitSession& session = unit.session;
    // The page is kept in the history with the name the console's database gives it.
    if (const std::optional<QString> saved = SettingsStore::text(SettingsStore::SaveFile))
        unit.database.readNamesFile(*saved, Database::ReadPurpose::Inspect);
    PageHistory history;
    QObject::connect(&history, &PageHistory::problem,
                     [](const QString& message) { Cli::fail(message); });
    PageRecorder recorder(session, history, PageRecorder::namesIn(unit.database));
    session.QueuePage(UnitSession::pageRecord(localId_, text_),
                      {PageOrigin::Source::CommandLine, {}, {}});
    session.sendQueuedPages();
    const bool sent = session.isOnline() && session.pageQueue().isEmpty();
    // The exit code is the page's: a history that could not be written has been said.
    history.flush(PageHistory::FinalFlushMs);
    return sent ? Cli::Success : Cli::TransferFailed;
}

int PageCommand::run(const CommandLine& line)
{
    // The console pages with its own answer time-out, and one page of its own may be on the line
    // ahead of this one.
    const int answerTimeoutMs = std::max(line.answerTimeoutMs(), BlockTransfer::AnswerTimeoutMs);
    const qint64 waitMs = 2 * UnitSession::pageTimeLimitMs(answerTimeoutMs) + ConsoleAnswerMarginMs;
    const SingleInstance console;
    const SingleInstance::Handover handover =
        console.handPage(localId_, text_, ConsoleConnectTimeoutMs, static_cast<int>(waitMs));
    switch (handover.reach) {
    case SingleInstance::Handover::Reach::NoneRunning:
        return UnitCommand::run(line);
    case SingleInstance::Handover::Reach::NoAnswer:
        Cli::fail(QStringLiteral("the running console took the page but did not answer in %1 s; "
                                 "the page may still be sent")
                      .arg(waitMs / 1000));
        return Cli::NotConnected;
    case SingleInstance::Handover::Reach::Closed:
        Cli::fail(QStringLiteral("the running console took the page but ended before it "
                                 "answered; the page may have been sent"));
        return Cli::NotConnected;
    case SingleInstance::Handover::Reach::Answered:
        break;
    }
    if (handover.refusal) {
        Cli::fail(*handover.refusal);
        return Cli::UsageError;
    }
    return endedAs(handover.result);
}
