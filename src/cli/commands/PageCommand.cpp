#include "PageCommand.h"

#include "CommandLine.h"
#include "ExitCode.h"
#include "PageRequest.h"

namespace {

const QCommandLineOption ToOption(QStringLiteral("to"),
                                  QStringLiteral("The pager or group to page."),
                                  QStringLiteral("LOCALID"));

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
    const std::optional<uint16_t> localId = PageRequest::parseLocalId(line.parser().value(ToOption));
    if (!localId || line.arguments().size() < 2)
        return QStringLiteral("page needs --to LOCALID (0 to 9999, digits only) and a text");
    localId_ = *localId;
    text_ = line.arguments().mid(1).join(u' ');
    return PageRequest::textProblem(text_);
}

int PageCommand::talk(Unit& unit)
{
    UnitSession& session = unit.session;
    session.QueuePage(UnitSession::pageRecord(localId_, text_));
    session.sendQueuedPages();
    return session.isOnline() && session.pageQueue().isEmpty() ? Cli::Success : Cli::TransferFailed;
}
