#include "HistoryReport.h"

#include <QCoreApplication>
#include <QDateTime>

#include <array>
#include <string_view>

namespace HistoryReport {

namespace {

QString translated(const char* text)
{
    return QCoreApplication::translate("HistoryReport", text);
}

// The history stores its reasons in fixed English words; the report says them in the user's
// language.
constexpr std::array<const char*, 5> Reasons = {
    QT_TRANSLATE_NOOP("HistoryReport", "refused by the unit"),
    QT_TRANSLATE_NOOP("HistoryReport", "no response"),
    QT_TRANSLATE_NOOP("HistoryReport", "line lost"),
    QT_TRANSLATE_NOOP("HistoryReport", "not connected"),
    QT_TRANSLATE_NOOP("HistoryReport", "dropped"),
};
static_assert(std::string_view(Reasons[0]) == HistoryReason::RefusedByUnit);
static_assert(std::string_view(Reasons[1]) == HistoryReason::NoResponse);
static_assert(std::string_view(Reasons[2]) == HistoryReason::LineLost);
static_assert(std::string_view(Reasons[3]) == HistoryReason::NotConnected);
static_assert(std::string_view(Reasons[4]) == HistoryReason::Dropped);

QString reasonText(const QString& reason)
{
    for (const char* known : Reasons)
        if (reason == QLatin1String(known))
            return translated(known);
    return reason;
}

} // namespace

QStringList columnTitles()
{
    return {translated(QT_TRANSLATE_NOOP("HistoryReport", "Queued")),
            translated(QT_TRANSLATE_NOOP("HistoryReport", "Source")),
            translated(QT_TRANSLATE_NOOP("HistoryReport", "Local ID")),
            translated(QT_TRANSLATE_NOOP("HistoryReport", "Name")),
            translated(QT_TRANSLATE_NOOP("HistoryReport", "Text")),
            translated(QT_TRANSLATE_NOOP("HistoryReport", "Outcome")),
            translated(QT_TRANSLATE_NOOP("HistoryReport", "Answer")),
            translated(QT_TRANSLATE_NOOP("HistoryReport", "Ended"))};
}

std::optional<HistoryColumn> sortColumn(int column)
{
    switch (column) {
    case Queued:
        return HistoryColumn::Queued;
    case Source:
        return HistoryColumn::Source;
    case LocalId:
        return HistoryColumn::Recipient;
    case Name:
        return HistoryColumn::Name;
    case Text:
        return HistoryColumn::Text;
    case Outcome:
        return HistoryColumn::Outcome;
    case Answer:
        return HistoryColumn::AnswerTime;
    default:
        return std::nullopt;
    }
}

int columnOf(HistoryColumn column)
{
    for (int i = 0; i < ColumnCount; ++i)
        if (sortColumn(i) == column)
            return i;
    return Queued;
}

QString windowTitle()
{
    return translated(QT_TRANSLATE_NOOP("HistoryReport", "Page History"));
}

QString printHeader()
{
    return translated(QT_TRANSLATE_NOOP("HistoryReport", "Tavolux Page History"));
}

QString exportTitle()
{
    return translated(QT_TRANSLATE_NOOP("HistoryReport", "Export Page History"));
}

QString exportFailureText()
{
    return translated(
        QT_TRANSLATE_NOOP("HistoryReport", "The page history could not be exported."));
}

QString timeText(qint64 ms)
{
    return QDateTime::fromMSecsSinceEpoch(ms).toLocalTime().toString(
        QStringLiteral("yyyy-MM-dd HH:mm:ss"));
}

QString sourceText(const PageOrigin& origin)
{
    static constexpr std::array<const char*, PageOrigin::SourceCount> Names = {
        QT_TRANSLATE_NOOP("HistoryReport", "Message box"),
        QT_TRANSLATE_NOOP("HistoryReport", "Test page"),
        QT_TRANSLATE_NOOP("HistoryReport", "Coaster alert"),
        QT_TRANSLATE_NOOP("HistoryReport", "Coaster range"),
        QT_TRANSLATE_NOOP("HistoryReport", "Coaster locate"),
        QT_TRANSLATE_NOOP("HistoryReport", "Command line"),
        QT_TRANSLATE_NOOP("HistoryReport", "SNPP"),
        QT_TRANSLATE_NOOP("HistoryReport", "HTTP"),
    };
    QString text = translated(Names.at(static_cast<size_t>(origin.source)));
    if (!origin.peer.isEmpty()) {
        const QString peer = origin.peer == QLatin1String("local")
                                 ? translated(QT_TRANSLATE_NOOP("HistoryReport", "this machine"))
                                 : origin.peer;
        text = translated(QT_TRANSLATE_NOOP("HistoryReport", "%1 from %2")).arg(text, peer);
    }
    if (!origin.login.isEmpty())
        text = translated(QT_TRANSLATE_NOOP("HistoryReport", "%1 (%2)")).arg(text, origin.login);
    return text;
}

QString outcomeName(HistoryOutcome outcome)
{
    static constexpr std::array<const char*, HistoryOutcomeCount> Names = {
        QT_TRANSLATE_NOOP("HistoryReport", "Confirmed"),
        QT_TRANSLATE_NOOP("HistoryReport", "Failed"),
        QT_TRANSLATE_NOOP("HistoryReport", "Refused"),
        QT_TRANSLATE_NOOP("HistoryReport", "Dropped"),
    };
    return translated(Names.at(static_cast<size_t>(outcome)));
}

QString outcomeText(HistoryOutcome outcome, const QString& reason)
{
    // A dropped page's reason says no more than its outcome.
    if (reason.isEmpty() || reason == QLatin1String(HistoryReason::Dropped))
        return outcomeName(outcome);
    return translated(QT_TRANSLATE_NOOP("HistoryReport", "%1: %2"))
        .arg(outcomeName(outcome), reasonText(reason));
}

QString answerText(qint64 ms)
{
    return translated(QT_TRANSLATE_NOOP("HistoryReport", "%1 s"))
        .arg(QString::number(static_cast<double>(ms) / 1000.0, 'f', 2));
}

QStringList texts(const PageHistoryEntry& entry)
{
    return {timeText(entry.queuedMs),
            sourceText(entry.origin),
            QString::number(entry.recipient),
            entry.name,
            entry.text,
            outcomeText(entry.outcome, entry.reason),
            answerText(entry.answerMs()),
            timeText(entry.endedMs)};
}

} // namespace HistoryReport
