#include "ReportingCommand.h"

#include "AtomicFile.h"
#include "CliFiles.h"
#include "CommandLine.h"
#include "Database.h"

#include <cstdio>
#include <cstring>

namespace {

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

} // namespace

const QCommandLineOption ReportingCommand::ColumnsOption(QStringLiteral("columns"), QString(),
                                                         QStringLiteral("LIST"));
const QCommandLineOption ReportingCommand::SortOption(QStringLiteral("sort"), QString(),
                                                      QStringLiteral("COLUMN"));

bool ReportingCommand::asksForHelp(int argc, char* argv[])
{
    for (int i = 2; i < argc; ++i)
        if (std::strcmp(argv[i], "-h") == 0 || std::strcmp(argv[i], "--help") == 0 ||
            std::strcmp(argv[i], "--help-all") == 0)
            return true;
    return false;
}

std::unique_ptr<QGuiApplication> ReportingCommand::application(int& argc, char* argv[])
{
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM"))
        qputenv("QT_QPA_PLATFORM", "offscreen");
    // Qt's notes about the desktop it runs without (no runtime folder, ...) are no business of
    // a script reading our stderr; real failures are said by us.
    qInstallMessageHandler([](QtMsgType type, const QMessageLogContext&, const QString& text) {
        if (type == QtCriticalMsg || type == QtFatalMsg)
            std::fprintf(stderr, "%s\n", qPrintable(text));
    });
    return std::make_unique<QGuiApplication>(argc, argv);
}

std::optional<QString> ReportingCommand::check(const CommandLine& line)
{
    QList<QCommandLineOption> reportingOptions;
    for (const ReportingCommand* command : line.reportingCommands())
        for (const QCommandLineOption& option : command->declaration().options)
            if (!hasOption(reportingOptions, option))
                reportingOptions << option;
    const QList<QCommandLineOption> unitOptions = line.unitOptions();
    QCommandLineParser parser;
    parser.addOptions(reportingOptions);
    parser.addOptions(unitOptions);
    if (!parser.parse(line.commandLine()))
        return parser.errorText();
    for (const QCommandLineOption& option : reportingOptions)
        if (parser.values(option).size() > 1)
            return QStringLiteral("--%1 is given more than once").arg(option.names().last());
    for (const QCommandLineOption& option : unitOptions)
        if (parser.isSet(option))
            return QStringLiteral(
                       "--%1 is for the commands that talk to the unit; %2 only reads DBFILE")
                .arg(option.names().first(), name());

    const QStringList arguments = parser.positionalArguments();
    if (arguments.size() > 3)
        return QStringLiteral("unexpected argument \"%1\"; see %2 --help")
            .arg(arguments[3], name());
    const QString what = arguments.value(1);
    if (arguments.size() != 3 || (what != u"pagers" && what != u"groups" && what != u"alarms"))
        return QStringLiteral("%1 needs pagers, groups or alarms and a DBFILE; see %1 --help")
            .arg(name());
    kind_ = what == u"pagers"   ? ReportKind::Pagers
            : what == u"groups" ? ReportKind::Groups
                                : ReportKind::Alarms;
    databaseFile_ = arguments[2];
    if (databaseFile_.isEmpty())
        return QStringLiteral("DBFILE is empty; name a database file");

    const QStringList titles = Report::columnTitles(kind_);
    chosenColumns_ = QList<bool>(titles.size(), !parser.isSet(ColumnsOption));
    if (parser.isSet(ColumnsOption)) {
        for (const QString& column : parser.value(ColumnsOption).split(u',')) {
            const int index = columnIndex(titles, column);
            if (index < 0)
                return QStringLiteral("the %1 report has no column \"%2\" (it has %3)")
                    .arg(what, column, titles.join(QStringLiteral(", ")));
            chosenColumns_[index] = true;
        }
    }
    if (parser.isSet(SortOption)) {
        QString column = parser.value(SortOption);
        const QString direction = column.mid(column.lastIndexOf(u':') + 1);
        if (column.contains(u':') &&
            (direction.compare(QStringLiteral("desc"), Qt::CaseInsensitive) == 0 ||
             direction.compare(QStringLiteral("asc"), Qt::CaseInsensitive) == 0)) {
            ascending_ = direction.compare(QStringLiteral("asc"), Qt::CaseInsensitive) == 0;
            column = column.left(column.lastIndexOf(u':'));
        }
        sortColumn_ = columnIndex(titles, column);
        if (sortColumn_ < 0)
            return QStringLiteral("--sort: the %1 report has no column \"%2\" (it has %3)")
                .arg(what, column, titles.join(QStringLiteral(", ")));
    }

    for (const ReportingCommand* other : line.reportingCommands()) {
        if (other == this)
            continue;
        for (const QCommandLineOption& option : other->declaration().options) {
            if (parser.isSet(option) && !hasOption(declaration().options, option))
                return QStringLiteral("--%1 is for %2 only")
                    .arg(option.names().last(), other->name());
        }
    }
    return checkOwnOptions(parser);
}

std::optional<int> ReportingCommand::refuseOutputFile(const QString& target,
                                                      const QStringList& inputs,
                                                      Cli::ExitCode unwritable)
{
    if (const std::optional<int> refused = CliFiles::refuseOutputFile(target, inputs))
        return refused;
    QString error;
    if (!AtomicFile::canReplace(target, &error)) {
        Cli::fail(QStringLiteral("%1 cannot be written: %2").arg(target, error));
        return unwritable;
    }
    return std::nullopt;
}

int ReportingCommand::run(const CommandLine&)
{
    // The output would overwrite what is read, or have nowhere to go: say so before anything
    // is read.
    if (const std::optional<int> refused = refuseOutput(CliFiles::databaseInputs(databaseFile_)))
        return *refused;
    Database database;
    if (const std::optional<int> refused = CliFiles::readDatabase(database, databaseFile_))
        return *refused;
    return deliver(Report::listOrder(Report::rows(kind_, database.image(), database.names()),
                                     Report::columns(kind_), sortColumn_, ascending_));
}
