#include "ReportCommands.h"

#include "AtomicFile.h"
#include "CliFiles.h"
#include "Database.h"
#include "PrintSettings.h"
#include "PrintTable.h"
#include "ReportContent.h"
#include "TablePrinter.h"
#include "TsvExport.h"

#include <QCommandLineParser>
#include <QGuiApplication>
#include <QRegularExpression>
#include <QSet>

#include <climits>
#include <cstdio>
#include <cstring>

namespace ReportCommands {

const CommandDeclaration Declarations[2] = {
    {QStringLiteral("report"),
     QStringLiteral("pagers|groups|alarms DBFILE [--header] [--columns LIST] [--limit N]\n"
                    "[--sort COLUMN[:desc]] [-o FILE]"),
     QStringLiteral("the report as the console's Export writes it: tab-separated UTF-8\n"
                    "with CR LF line ends, rows in the order the report lists them\n"
                    "(by name, or sorted by COLUMN); to stdout or into FILE (written\n"
                    "beside it and put in place when complete). A TAB or a line break\n"
                    "in a name or message is written as a space"),
     {}},
    {QStringLiteral("print"),
     QStringLiteral("pagers|groups|alarms DBFILE (--pdf FILE | --printer NAME) [--copies N]\n"
                    "[--selected LOCALIDS] [--columns LIST] [--sort COLUMN[:desc]]"),
     QStringLiteral("print the report as the console does, on a printer of the system\n"
                    "or into a PDF file (written beside it and put in place when\n"
                    "complete); --selected prints only the rows of those local IDs\n"
                    "(alarm inputs for alarms), separated by commas\n"
                    "COLUMN and LIST name columns by their titles (Cap Code, capcode and\n"
                    "cap-code alike), LIST separated by commas"),
     {}},
};

namespace {

using namespace CliFiles;

QString columnKey(const QString& title)
{
    return title.toLower().remove(u' ').remove(u'-').remove(u'_');
}

int columnIndex(const QStringList& titles, const QString& name)
{
    for (int i = 0; i < titles.size(); ++i)
        if (columnKey(titles[i]) == columnKey(name))
            return i;
    return -1;
}

bool digitsOnly(const QString& text)
{
    static const QRegularExpression digits(QStringLiteral("^[0-9]{1,9}$"));
    return digits.match(text).hasMatch();
}

struct Request {
    bool print = false;
    ReportKind kind = ReportKind::Pagers;
    QString file;
    QList<bool> chosen;
    bool includeHeader = false;
    std::optional<int> limit;
    int sortColumn = -1;
    bool ascending = true;
    QString output;
    QString pdf;
    QString printer;
    int copies = 1;
    std::optional<QSet<qint64>> selected;
};

std::optional<Request> checkArguments(const QStringList& commandLine)
{
    QCommandLineParser parser;
    const QCommandLineOption header(QStringLiteral("header"));
    const QCommandLineOption columns(QStringLiteral("columns"), QString(), QStringLiteral("LIST"));
    const QCommandLineOption limit(QStringLiteral("limit"), QString(), QStringLiteral("N"));
    const QCommandLineOption sort(QStringLiteral("sort"), QString(), QStringLiteral("COLUMN"));
    const QCommandLineOption output(QStringList{QStringLiteral("o"), QStringLiteral("output")},
                                    QString(), QStringLiteral("FILE"));
    const QCommandLineOption pdf(QStringLiteral("pdf"), QString(), QStringLiteral("FILE"));
    const QCommandLineOption printer(QStringLiteral("printer"), QString(), QStringLiteral("NAME"));
    const QCommandLineOption copies(QStringLiteral("copies"), QString(), QStringLiteral("N"));
    const QCommandLineOption selected(QStringLiteral("selected"), QString(),
                                      QStringLiteral("LOCALIDS"));
    parser.addOptions({header, columns, limit, sort, output, pdf, printer, copies, selected});
    // The unit commands' options are known here too, so that one given to a report is named as
    // such rather than as unknown.
    const QList<QCommandLineOption> unitOptions{
        QCommandLineOption(QStringLiteral("port"), QString(), QStringLiteral("DEV")),
        QCommandLineOption(QStringLiteral("timeout"), QString(), QStringLiteral("SECONDS")),
        QCommandLineOption(QStringLiteral("to"), QString(), QStringLiteral("LOCALID")),
        QCommandLineOption(QStringLiteral("language"), QString(), QStringLiteral("N|NAME")),
        QCommandLineOption(QStringLiteral("dir"), QString(), QStringLiteral("DIR"))};
    parser.addOptions(unitOptions);

    auto refuse = [](const QString& text) {
        fail(text);
        return std::nullopt;
    };
    if (!parser.parse(commandLine))
        return refuse(parser.errorText());
    for (const QCommandLineOption& option :
         {columns, limit, sort, output, pdf, printer, copies, selected})
        if (parser.values(option).size() > 1)
            return refuse(
                QStringLiteral("--%1 is given more than once").arg(option.names().last()));

    Request request;
    const QStringList arguments = parser.positionalArguments();
    request.print = arguments.value(0) == u"print";
    for (const QCommandLineOption& option : unitOptions)
        if (parser.isSet(option))
            return refuse(QStringLiteral("--%1 is for the commands that talk to the unit; %2 only "
                                         "reads DBFILE")
                              .arg(option.names().first(), arguments.value(0)));
    if (arguments.size() > 3)
        return refuse(QStringLiteral("unexpected argument \"%1\"; see %2 --help")
                          .arg(arguments[3], arguments.value(0)));
    const QString what = arguments.value(1);
    if (arguments.size() != 3 || (what != u"pagers" && what != u"groups" && what != u"alarms"))
        return refuse(
            QStringLiteral("%1 needs pagers, groups or alarms and a DBFILE; see %1 --help")
                .arg(arguments.value(0)));
    request.kind = what == u"pagers"   ? ReportKind::Pagers
                   : what == u"groups" ? ReportKind::Groups
                                       : ReportKind::Alarms;
    request.file = arguments[2];
    if (request.file.isEmpty())
        return refuse(QStringLiteral("DBFILE is empty; name a database file"));

    const QStringList titles = Report::columnTitles(request.kind);
    request.chosen = QList<bool>(titles.size(), !parser.isSet(columns));
    if (parser.isSet(columns)) {
        for (const QString& name : parser.value(columns).split(u',')) {
            const int index = columnIndex(titles, name);
            if (index < 0)
                return refuse(QStringLiteral("the %1 report has no column \"%2\" (it has %3)")
                                  .arg(what, name, titles.join(QStringLiteral(", "))));
            request.chosen[index] = true;
        }
    }
    if (parser.isSet(sort)) {
        QString name = parser.value(sort);
        const QString direction = name.mid(name.lastIndexOf(u':') + 1);
        if (name.contains(u':') &&
            (direction.compare(QStringLiteral("desc"), Qt::CaseInsensitive) == 0 ||
             direction.compare(QStringLiteral("asc"), Qt::CaseInsensitive) == 0)) {
            request.ascending = direction.compare(QStringLiteral("asc"), Qt::CaseInsensitive) == 0;
            name = name.left(name.lastIndexOf(u':'));
        }
        request.sortColumn = columnIndex(titles, name);
        if (request.sortColumn < 0)
            return refuse(QStringLiteral("--sort: the %1 report has no column \"%2\" (it has %3)")
                              .arg(what, name, titles.join(QStringLiteral(", "))));
    }

    const QList<QCommandLineOption> reportOnly{header, limit, output};
    const QList<QCommandLineOption> printOnly{pdf, printer, copies, selected};
    for (const QCommandLineOption& option : request.print ? reportOnly : printOnly)
        if (parser.isSet(option))
            return refuse(QStringLiteral("--%1 is for %2 only")
                              .arg(option.names().last(), request.print ? QStringLiteral("report")
                                                                        : QStringLiteral("print")));

    if (!request.print) {
        request.includeHeader = parser.isSet(header);
        if (parser.isSet(limit)) {
            static const QRegularExpression anyDigits(QStringLiteral("^[0-9]+$"));
            if (!anyDigits.match(parser.value(limit)).hasMatch())
                return refuse(QStringLiteral("--limit takes a number of rows in digits"));
            // More rows than a report can hold are all of them.
            bool fits = false;
            const qulonglong rows = parser.value(limit).toULongLong(&fits);
            request.limit = fits ? static_cast<int>(std::min<qulonglong>(rows, INT_MAX)) : INT_MAX;
        }
        request.output = parser.value(output);
        if (parser.isSet(output) && request.output.isEmpty())
            return refuse(QStringLiteral("-o needs a file name"));
        return request;
    }

    request.pdf = parser.value(pdf);
    request.printer = parser.value(printer);
    if (parser.isSet(pdf) == parser.isSet(printer) || (request.pdf + request.printer).isEmpty())
        return refuse(QStringLiteral("print needs either --pdf FILE or --printer NAME"));
    if (parser.isSet(copies)) {
        const QString text = parser.value(copies);
        if (!digitsOnly(text) || text.toInt() < 1 || text.toInt() > 99)
            return refuse(QStringLiteral("--copies takes a number from 1 to 99"));
        request.copies = text.toInt();
    }
    if (parser.isSet(selected)) {
        QSet<qint64> keys;
        for (const QString& id : parser.value(selected).split(u',')) {
            if (!digitsOnly(id) || id.toInt() > ConfigurationImage::MaxLocalId)
                return refuse(QStringLiteral(
                    "--selected takes local IDs (0 to 9999, digits only) separated by commas"));
            keys.insert(id.toInt());
        }
        request.selected = keys;
    }
    return request;
}

int runChecked(const Request& request)
{
    // The output would overwrite what is read, or have nowhere to go: say so before anything
    // is read. A PDF that cannot be written is a print that failed, however it fails.
    const QStringList inputs = databaseInputs(request.file);
    QString error;
    const QString target = request.print ? request.pdf : request.output;
    if (target.isEmpty() && !request.print) {
        if (const std::optional<int> refused = refuseStandardOutput(inputs))
            return *refused;
    } else if (!target.isEmpty()) {
        if (const std::optional<int> refused = refuseOutputFile(target, inputs))
            return *refused;
        if (!AtomicFile::canReplace(target, &error)) {
            fail(QStringLiteral("%1 cannot be written: %2").arg(target, error));
            return request.print ? PrintFailed : FileProblem;
        }
    }
    Database database;
    if (const std::optional<int> refused = readDatabase(database, request.file))
        return *refused;

    const QList<ReportColumn> columns = Report::columns(request.kind);
    QList<ReportRow> rows =
        Report::listOrder(Report::rows(request.kind, database.image(), database.names()), columns,
                          request.sortColumn, request.ascending);
    const QStringList titles = Report::columnTitles(request.kind);

    if (!request.print) {
        ExportSettings settings = ExportSettings::forColumns(titles);
        for (int i = 0; i < titles.size(); ++i)
            settings.columns[i].ticked = request.chosen[i];
        settings.fileName = request.output;
        settings.includeHeader = request.includeHeader;
        settings.limitRows = request.limit.has_value();
        settings.rowLimit = request.limit.value_or(0);
        QList<QStringList> texts;
        for (const ReportRow& row : rows)
            texts << row.written;
        if (request.output.isEmpty()) {
            return writeStandardOutput(TsvExport::format(settings, texts)) ? Success : FileProblem;
        }
        if (!TsvExport::write(settings, texts, &error)) {
            fail(QStringLiteral("%1 could not be written: %2").arg(request.output, error));
            return FileProblem;
        }
        return Success;
    }

    if (request.selected) {
        for (const qint64 key : *request.selected)
            if (std::none_of(rows.begin(), rows.end(),
                             [key](const ReportRow& row) { return row.key == key; })) {
                fail(QStringLiteral("--selected: the report has no row %1").arg(key));
                return UsageError;
            }
        rows.removeIf([&](const ReportRow& row) { return !request.selected->contains(row.key); });
    }
    PrintSettings settings;
    settings.printerName = request.printer;
    settings.pdfFile = request.pdf;
    settings.header = Report::printHeader(request.kind);
    settings.copies = request.copies;
    PrintTable table;
    Report::fillPrintTable(table, settings.header, titles, request.chosen, rows);
    const QString problem = TablePrinter::print(table, settings);
    if (!problem.isEmpty()) {
        fail(problem);
        return PrintFailed;
    }
    return Success;
}

} // namespace

std::optional<int> run(int argc, char* argv[])
{
    if (argc < 2 || (std::strcmp(argv[1], "report") != 0 && std::strcmp(argv[1], "print") != 0))
        return std::nullopt;
    for (int i = 2; i < argc; ++i)
        if (std::strcmp(argv[i], "-h") == 0 || std::strcmp(argv[i], "--help") == 0 ||
            std::strcmp(argv[i], "--help-all") == 0)
            return Declarations[std::strcmp(argv[1], "print") == 0 ? 1 : 0].showHelp();
    // Printing measures text with fonts, which takes a GUI application; a command line shows
    // no window, so it needs no display.
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM"))
        qputenv("QT_QPA_PLATFORM", "offscreen");
    // Qt's notes about the desktop it runs without (no runtime folder, ...) are no business of
    // a script reading our stderr; real failures are said by us.
    qInstallMessageHandler([](QtMsgType type, const QMessageLogContext&, const QString& text) {
        if (type == QtCriticalMsg || type == QtFatalMsg)
            std::fprintf(stderr, "%s\n", qPrintable(text));
    });
    QGuiApplication app(argc, argv);
    const std::optional<Request> request = checkArguments(app.arguments());
    if (!request)
        return UsageError;
    return runChecked(*request);
}

} // namespace ReportCommands
