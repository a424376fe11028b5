#include "PageCommand.h"

#include "CommandLine.h"
#include "ConfigurationImage.h"
#include "ExitCode.h"
#include "UnitText.h"

#include <QRegularExpression>

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
    // toUInt() alone would take "+12" and " 12 ".
    static const QRegularExpression digits(QStringLiteral("^[0-9]+$"));
    const QString to = line.parser().value(ToOption);
    bool inRange = false;
    const uint localId = to.toUInt(&inRange);
    if (!digits.match(to).hasMatch() || !inRange || localId > ConfigurationImage::MaxLocalId ||
        line.arguments().size() < 2)
        return QStringLiteral("page needs --to LOCALID (0 to 9999, digits only) and a text");
    localId_ = static_cast<uint16_t>(localId);
    text_ = line.arguments().mid(1).join(u' ');
    if (const std::optional<char32_t> c = UnitText::firstUnshowable(text_))
        return QStringLiteral("the page text holds %1, which the unit cannot show")
            .arg(UnitText::describe(*c));
    if (UnitText::pageLength(text_) > UnitText::MaxPageLength)
        return QStringLiteral("the page text has %1 characters (a line break counts two); "
                              "the unit takes at most %2")
            .arg(UnitText::pageLength(text_))
            .arg(UnitText::MaxPageLength);
    return std::nullopt;
}

int PageCommand::talk(Unit& unit)
{
    UnitSession& session = unit.session;
    session.QueuePage(UnitSession::pageRecord(localId_, text_));
    session.sendQueuedPages();
    return session.isOnline() && session.pageQueue().isEmpty() ? Cli::Success : Cli::TransferFailed;
}
