#include "PrintCommand.h"

#include "CliFiles.h"
#include "ConfigurationImage.h"
#include "PrintSettings.h"
#include "PrintTable.h"
#include "TablePrinter.h"

#include <QRegularExpression>

namespace {

const QCommandLineOption PdfOption(QStringLiteral("pdf"), QString(), QStringLiteral("FILE"));
const QCommandLineOption PrinterOption(QStringLiteral("printer"), QString(),
                                       QStringLiteral("NAME"));
const QCommandLineOption CopiesOption(QStringLiteral("copies"), QString(), QStringLiteral("N"));
const QCommandLineOption SelectedOption(QStringLiteral("selected"), QString(),
                                        QStringLiteral("LOCALIDS"));

bool digitsOnly(const QString& text)
{
    static const QRegularExpression digits(QStringLiteral("^[0-9]{1,9}$"));
    return digits.match(text).hasMatch();
}

} // namespace

PrintCommand::PrintCommand()
    : ReportingCommand(
          {QStringLiteral("print"),
           QStringLiteral("pagers|groups|alarms DBFILE (--pdf FILE | --printer NAME) [--copies N]\n"
                          "[--selected LOCALIDS] [--columns LIST] [--sort COLUMN[:desc]]"),
           QStringLiteral("print the report as the console does, on a printer of the system\n"
                          "or into a PDF file (written beside it and put in place when\n"
                          "complete); --selected prints only the rows of those local IDs\n"
                          "(alarm inputs for alarms), separated by commas\n"
                          "COLUMN and LIST name columns by their titles (Cap Code, capcode and\n"
                          "cap-code alike), LIST separated by commas"),
           {PdfOption, PrinterOption, CopiesOption, SelectedOption, ColumnsOption, SortOption}})
{}

std::optional<QString> PrintCommand::checkOwnOptions(const QCommandLineParser& parser)
{
    pdf_ = parser.value(PdfOption);
    printer_ = parser.value(PrinterOption);
    if (parser.isSet(PdfOption) == parser.isSet(PrinterOption) || (pdf_ + printer_).isEmpty())
        return QStringLiteral("print needs either --pdf FILE or --printer NAME");
    if (parser.isSet(CopiesOption)) {
        const QString text = parser.value(CopiesOption);
        if (!digitsOnly(text) || text.toInt() < 1 || text.toInt() > 99)
            return QStringLiteral("--copies takes a number from 1 to 99");
        copies_ = text.toInt();
    }
    if (parser.isSet(SelectedOption)) {
        QSet<qint64> keys;
        for (const QString& id : parser.value(SelectedOption).split(u',')) {
            if (!digitsOnly(id) || id.toInt() > ConfigurationImage::MaxLocalId)
                return QStringLiteral(
                    "--selected takes local IDs (0 to 9999, digits only) separated by commas");
            keys.insert(id.toInt());
        }
        selected_ = keys;
    }
    return std::nullopt;
}

std::optional<int> PrintCommand::refuseOutput(const QStringList& inputs) const
{
    // A PDF that cannot be written is a print that failed, however it fails.
    if (pdf_.isEmpty())
        return std::nullopt;
    return refuseOutputFile(pdf_, inputs, Cli::PrintFailed);
}

int PrintCommand::deliver(QList<ReportRow> rows) const
{
    if (selected_) {
        for (const qint64 key : *selected_)
            if (std::none_of(rows.begin(), rows.end(),
                             [key](const ReportRow& row) { return row.key == key; })) {
                Cli::fail(QStringLiteral("--selected: the report has no row %1").arg(key));
                return Cli::UsageError;
            }
        rows.removeIf([&](const ReportRow& row) { return !selected_->contains(row.key); });
    }
    PrintSettings settings;
    settings.printerName = printer_;
    settings.pdfFile = pdf_;
    settings.header = Report::printHeader(kind_);
    settings.copies = copies_;
    PrintTable table;
    Report::fillPrintTable(table, settings.header, Report::columnTitles(kind_), chosenColumns_,
                           rows);
    const QString problem = TablePrinter::print(table, settings);
    if (!problem.isEmpty()) {
        Cli::fail(problem);
        return Cli::PrintFailed;
    }
    return Cli::Success;
}
