#include "HistoryCommand.h"

#include "CliFiles.h"
#include "CommandLine.h"
#include "ExportSettings.h"
#include "PageHistory.h"
#include "PageHistoryReader.h"
#include "PageRequest.h"
#include "TsvExport.h"

#include <QDateTime>
#include <QJsonDocument>
#include <QJsonObject>
#include <QRegularExpression>

namespace {

const QCommandLineOption SinceOption(QStringLiteral("since"), QString(),
                                     QStringLiteral("DATE|DURATION"));
const QCommandLineOption UntilOption(QStringLiteral("until"), QString(), QStringLiteral("DATE"));
const QCommandLineOption ToOption(QStringLiteral("to"), QString(), QStringLiteral("LOCALID"));
const QCommandLineOption GrepOption(QStringLiteral("grep"), QString(), QStringLiteral("TEXT"));
const QCommandLineOption OutcomeOption(QStringLiteral("outcome"), QString(),
                                       QStringLiteral("OUTCOME"));
const QCommandLineOption JsonOption(QStringLiteral("json"));

// Longer than any text or name the history holds: a longer one cannot match.
constexpr int LongestGrep = 1000;
// Rows are written to stdout in pieces of about this size, so that a million rows need no more
// memory than a few.
constexpr qsizetype OutputChunkBytes = 64 * 1024;

const QStringList Columns{QStringLiteral("queued"), QStringLiteral("ended"),
                          QStringLiteral("source"), QStringLiteral("peer"),
                          QStringLiteral("login"),  QStringLiteral("to"),
                          QStringLiteral("name"),   QStringLiteral("text"),
                          QStringLiteral("outcome"), QStringLiteral("reason"),
                          QStringLiteral("answer_ms")};

QString localTime(qint64 ms)
{
    return QDateTime::fromMSecsSinceEpoch(ms).toString(Qt::ISODateWithMs);
}

QStringList cells(const PageHistoryEntry& entry)
{
    return {localTime(entry.queuedMs),
            localTime(entry.endedMs),
            PageOrigin::key(entry.origin.source),
            entry.origin.peer,
            entry.origin.login,
            QString::number(entry.recipient),
            entry.name,
            entry.text,
            historyOutcomeKey(entry.outcome),
            entry.reason,
            QString::number(entry.answerMs())};
}

QByteArray jsonLine(const PageHistoryEntry& entry)
{
    const QStringList texts = cells(entry);
    QJsonObject object;
    for (int i = 0; i < Columns.size(); ++i)
        object.insert(Columns[i], texts[i]);
    object.insert(QStringLiteral("to"), static_cast<qint64>(entry.recipient));
    object.insert(QStringLiteral("answer_ms"), entry.answerMs());
    return QJsonDocument(object).toJson(QJsonDocument::Compact) + '\n';
}

} // namespace

HistoryCommand::HistoryCommand()
    : Command({QStringLiteral("history"),
               QStringLiteral("[--since DATE|DURATION] [--until DATE] [--to LOCALID]\n"
                              "[--grep TEXT] [--outcome confirmed|failed|refused|dropped] "
                              "[--json]"),
               QStringLiteral(
                   "print the pages this user's page history kept, oldest first: queued\n"
                   "at or after --since (a DATE, or a DURATION back from now: 90s, 30m,\n"
                   "12h, 7d, 2w) and before --until; DATE is 2026-12-01 or\n"
                   "2026-12-01T14:30[:05], local time unless it ends in Z or an offset;\n"
                   "--to keeps one pager's or group's pages, --grep those whose text or\n"
                   "name holds TEXT (ASCII letters without regard to case), --outcome\n"
                   "those that ended so (several, separated by commas). Tab-separated\n"
                   "with a header row as the report command writes it, or one JSON\n"
                   "object a line with --json; times in local time with their offset.\n"
                   "It only reads the history"),
               {SinceOption, UntilOption, ToOption, GrepOption, OutcomeOption, JsonOption}})
{}

std::optional<qint64> HistoryCommand::parseDate(const QString& text)
{
    static const QRegularExpression shape(QStringLiteral(
        "^[0-9]{4}-[0-9]{2}-[0-9]{2}([T ][0-9]{2}:[0-9]{2}(:[0-9]{2})?(Z|[+-][0-9]{2}:[0-9]{2})?)?$"));
    if (!shape.match(text).hasMatch())
        return std::nullopt;
    QString iso = text;
    if (iso.size() > 10)
        iso[10] = u'T';
    const QDateTime when = iso.size() == 10
                               ? QDate::fromString(iso, Qt::ISODate).startOfDay()
                               : QDateTime::fromString(iso, Qt::ISODate);
    if (!when.isValid())
        return std::nullopt;
    return when.toMSecsSinceEpoch();
}

std::optional<qint64> HistoryCommand::parseDuration(const QString& text)
{
    // Up to six digits: a million weeks is more than any history holds.
    static const QRegularExpression shape(QStringLiteral("^([0-9]{1,6})([smhdw])$"));
    const QRegularExpressionMatch match = shape.match(text);
    if (!match.hasMatch())
        return std::nullopt;
    static const QHash<QChar, qint64> unitMs{{u's', 1000},
                                              {u'm', 60 * 1000},
                                              {u'h', 3600 * 1000},
                                              {u'd', 24 * 3600 * 1000},
                                              {u'w', 7 * 24 * 3600 * 1000}};
    return match.captured(1).toLongLong() * unitMs.value(match.captured(2).at(0));
}

std::optional<QString> HistoryCommand::check(const CommandLine& line)
{
    const QCommandLineParser& parser = line.parser();
    if (line.arguments().size() != 1)
        return QStringLiteral("history takes no arguments, only options");
    filter_ = {};
    const QString dateWords =
        QStringLiteral("a date (2026-12-01 or 2026-12-01T14:30, local time unless an offset "
                       "is given)");
    if (parser.isSet(SinceOption)) {
        const QString since = parser.value(SinceOption);
        if (const std::optional<qint64> back = parseDuration(since))
            filter_.sinceMs = QDateTime::currentMSecsSinceEpoch() - *back;
        else
            filter_.sinceMs = parseDate(since);
        if (!filter_.sinceMs)
            return QStringLiteral("--since takes %1 or a duration back from now (90s, 30m, 12h, "
                                  "7d, 2w)")
                .arg(dateWords);
    }
    if (parser.isSet(UntilOption)) {
        filter_.untilMs = parseDate(parser.value(UntilOption));
        if (!filter_.untilMs)
            return QStringLiteral("--until takes %1").arg(dateWords);
    }
    if (filter_.sinceMs && filter_.untilMs && *filter_.sinceMs >= *filter_.untilMs)
        return QStringLiteral("--since must be before --until");
    if (parser.isSet(ToOption)) {
        const std::optional<uint16_t> localId = PageRequest::parseLocalId(parser.value(ToOption));
        if (!localId)
            return QStringLiteral("--to takes a local ID (0 to 9999, digits only)");
        filter_.recipient = *localId;
    }
    if (parser.isSet(GrepOption)) {
        filter_.search = parser.value(GrepOption);
        if (filter_.search.isEmpty())
            return QStringLiteral("--grep needs a text");
        if (filter_.search.size() > LongestGrep)
            return QStringLiteral("--grep takes up to %1 characters").arg(LongestGrep);
    }
    if (parser.isSet(OutcomeOption)) {
        for (const QString& key : parser.value(OutcomeOption).split(u',')) {
            const std::optional<HistoryOutcome> outcome = historyOutcomeFromKey(key);
            if (!outcome)
                return QStringLiteral("--outcome takes confirmed, failed, refused or dropped "
                                      "(several separated by commas)");
            if (!filter_.outcomes.contains(*outcome))
                filter_.outcomes << *outcome;
        }
    }
    json_ = parser.isSet(JsonOption);
    return std::nullopt;
}

int HistoryCommand::run(const CommandLine&)
{
    const QString path = PageHistory::defaultPath();
    if (const std::optional<int> refused = CliFiles::refuseStandardOutput({path}))
        return *refused;
    PageHistoryReader reader;
    if (const std::optional<QString> problem = reader.open(path)) {
        Cli::fail(*problem);
        return Cli::FileProblem;
    }
    ExportSettings tsv = ExportSettings::forColumns(Columns);
    tsv.includeHeader = true;
    QByteArray pending = json_ ? QByteArray() : TsvExport::format(tsv, QList<QStringList>());
    tsv.includeHeader = false;
    QList<QStringList> rows;
    bool writeFailed = false;
    auto writePending = [&] {
        if (!json_) {
            pending += TsvExport::format(tsv, rows);
            rows.clear();
        }
        writeFailed = !CliFiles::writeStandardOutput(pending);
        pending.clear();
        return !writeFailed;
    };
    const bool read = reader.forEach(filter_, {HistoryColumn::Queued, true},
                                     [&](const PageHistoryEntry& entry) {
                                         if (json_)
                                             pending += jsonLine(entry);
                                         else
                                             rows << cells(entry);
                                         if (pending.size() + rows.size() * 100 < OutputChunkBytes)
                                             return true;
                                         return writePending();
                                     });
    if (writeFailed)
        return Cli::FileProblem;
    if (!read) {
        Cli::fail(QStringLiteral("The page history %1 cannot be read: %2")
                      .arg(path, reader.lastError()));
        return Cli::FileProblem;
    }
    return writePending() ? Cli::Success : Cli::FileProblem;
}
