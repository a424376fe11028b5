#include "ReportCommand.h"

#include "CliFiles.h"
#include "TsvExport.h"

#include <QRegularExpression>

#include <climits>

namespace {

const QCommandLineOption HeaderOption(QStringLiteral("header"));
const QCommandLineOption LimitOption(QStringLiteral("limit"), QString(), QStringLiteral("N"));
const QCommandLineOption OutputOption(QStringList{QStringLiteral("o"), QStringLiteral("output")},
                                      QString(), QStringLiteral("FILE"));

} // namespace

ReportCommand::ReportCommand()
    : ReportingCommand(
          {QStringLiteral("report"),
           QStringLiteral("pagers|groups|alarms DBFILE [--header] [--columns LIST] [--limit N]\n"
                          "[--sort COLUMN[:desc]] [-o FILE]"),
           QStringLiteral("the report as the console's Export writes it: tab-separated UTF-8\n"
                          "with CR LF line ends, rows in the order the report lists them\n"
                          "(by name, or sorted by COLUMN); to stdout or into FILE (written\n"
                          "beside it and put in place when complete). A TAB or a line break\n"
                          "in a name or message is written as a space"),
           {HeaderOption, ColumnsOption, LimitOption, SortOption, OutputOption}})
{}

std::optional<QString> ReportCommand::checkOwnOptions(const QCommandLineParser& parser)
{
    includeHeader_ = parser.isSet(HeaderOption);
    if (parser.isSet(LimitOption)) {
        static const QRegularExpression anyDigits(QStringLiteral("^[0-9]+$"));
        if (!anyDigits.match(parser.value(LimitOption)).hasMatch())
            return QStringLiteral("--limit takes a number of rows in digits");
        // More rows than a report can hold are all of them.
        bool fits = false;
        const qulonglong rows = parser.value(LimitOption).toULongLong(&fits);
        limit_ = fits ? static_cast<int>(std::min<qulonglong>(rows, INT_MAX)) : INT_MAX;
    }
    output_ = parser.value(OutputOption);
    if (parser.isSet(OutputOption) && output_.isEmpty())
        return QStringLiteral("-o needs a file name");
    return std::nullopt;
}

std::optional<int> ReportCommand::refuseOutput(const QStringList& inputs) const
{
    if (output_.isEmpty())
        return CliFiles::refuseStandardOutput(inputs);
    return refuseOutputFile(output_, inputs, Cli::FileProblem);
}

int ReportCommand::deliver(QList<ReportRow> rows) const
{
    const QStringList titles = Report::columnTitles(kind_);
    ExportSettings settings = ExportSettings::forColumns(titles);
    for (int i = 0; i < titles.size(); ++i)
        settings.columns[i].ticked = chosenColumns_[i];
    settings.fileName = output_;
    settings.includeHeader = includeHeader_;
    settings.limitRows = limit_.has_value();
    settings.rowLimit = limit_.value_or(0);
    QList<QStringList> texts;
    for (const ReportRow& row : rows)
        texts << row.written;
    if (output_.isEmpty()) {
        return CliFiles::writeStandardOutput(TsvExport::format(settings, texts)) ? Cli::Success
                                                                                 : Cli::FileProblem;
    }
    QString error;
    if (!TsvExport::write(settings, texts, &error)) {
        Cli::fail(QStringLiteral("%1 could not be written: %2").arg(output_, error));
        return Cli::FileProblem;
    }
    return Cli::Success;
}
