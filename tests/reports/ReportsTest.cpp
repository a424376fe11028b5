// The report windows, their export and print, and the command line's report and print, on real
// files: what the window writes and what a script gets must be the same bytes.
#include "../support/CliRunner.h"
#include "../support/FileBytes.h"
#include "../support/Mnemonics.h"
#include "../support/SiteBuilder.h"

#include "Database.h"
#include "ExportDialog.h"
#include "FileDialog.h"
#include "MainWindow.h"
#include "MessageBox.h"
#include "PrintOptionsDialog.h"
#include "PrintTable.h"
#include "ReportWindow.h"
#include "SortableList.h"
#include "TablePrinter.h"
#include "TsvExport.h"

#include <QCheckBox>
#include <QComboBox>
#include <QDir>
#include <QFile>
#include <QHeaderView>
#include <QImage>
#include <QLineEdit>
#include <QListWidget>
#include <QMenuBar>
#include <QPrintPreviewDialog>
#include <QPrintPreviewWidget>
#include <QPushButton>
#include <QSettings>
#include <QTemporaryDir>
#include <QTest>
#include <QTimer>

#include <gtest/gtest.h>

#include <csignal>
#include <sys/resource.h>

namespace {

using filebytes::readAll;
using filebytes::writeAll;
using namespace Cli;

// The text of a PDF file, as pdftotext reads it (empty when it cannot).
QString pdfText(const QString& path)
{
    ChildProcess process(QStringLiteral("/usr/bin/pdftotext"),
                         {QStringLiteral("-layout"), path, QStringLiteral("-")});
    process.wait();
    return QString::fromUtf8(process.standardOutput());
}

int pdfPages(const QString& path)
{
    ChildProcess process(QStringLiteral("/usr/bin/pdfinfo"), {path});
    process.wait();
    for (const QByteArray& line : process.standardOutput().split('\n'))
        if (line.startsWith("Pages:"))
            return line.mid(6).trimmed().toInt();
    return -1;
}

// A small site: pagers with and without names, one of each receiver kind that matters, and
// groups rotary and not.
class ReportsTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        addPager(12, 1012, PagerRecord::AlphaNumeric, "Bar");
        addPager(9, 700, PagerRecord::Beeper, nullptr);
        addPager(10, 80, PagerRecord::Coaster, "kitchen");
        addPager(100, 5000, PagerRecord::Voice, "Apron");
        addGroup(200, true, "Floor");
        addGroup(201, false, "bar staff");
        addGroup(202, false, nullptr);
        AlarmRecord alarm = database_.image().alarm(1);
        alarm.setInputType(AlarmRecord::NormallyOpen);
        alarm.setFirstTarget(12);
        alarm.setDelay(30);
        alarm.setMessage(QStringLiteral("Freezer"));
        ASSERT_TRUE(database_.writeDatabaseFile(databasePath()));
        ASSERT_TRUE(database_.writeNamesFile(databasePath()));
    }
    void addPager(uint16_t id, uint32_t capcode, int type, const char* name)
    {
        SiteBuilder(database_).pager(id, capcode, name, type);
    }
    void addGroup(uint16_t id, bool rotary, const char* name)
    {
        SiteBuilder(database_).group(id, name, {}, rotary);
    }
    QString databasePath() const { return dir_.filePath(QStringLiteral("site.dat")); }
    QString file(const char* name) const { return dir_.filePath(QString::fromLatin1(name)); }

    ExportSettings exportSettings(ReportKind kind, const char* name) const
    {
        ExportSettings settings = ExportSettings::forColumns(Report::columnTitles(kind));
        settings.fileName = file(name);
        settings.includeHeader = true;
        return settings;
    }

    QTemporaryDir dir_;
    Database database_;
};

} // namespace

TEST_F(ReportsTest, ReportsListTheDatabaseInNameOrderAndSortByTheClickedColumn)
{
    struct Case {
        ReportKind kind;
        QList<QStringList> shown; // in the order of the fresh list
        int click;
        QList<qint64> afterClick;
    };
    const Case cases[] = {
        {ReportKind::Pagers,
         {{"9", "700", "9", "Beeper"},
          {"Apron", "5000", "100", "Voice"},
          {"Bar", "1012", "12", "Alpha Numeric"},
          {"kitchen", "80", "10", "Coaster"}},
         1,
         {10, 9, 12, 100}},
        // Rotary sorts by its picture: groups without one first.
        {ReportKind::Groups,
         {{"202", "202", ""}, {"bar staff", "201", ""}, {"Floor", "200", ""}},
         2,
         {202, 201, 200}},
        // In input order, the input number first, so that a row names its input.
        {ReportKind::Alarms,
         {{"1", "None", "Disabled", "0", "60", "None", ""},
          {"2", "Bar", "Normally Open", "30", "60", "None", "Freezer"},
          {"3", "None", "Disabled", "0", "60", "None", ""},
          {"4", "None", "Disabled", "0", "60", "None", ""}},
         3,
         {1, 3, 4, 2}},
    };
    for (const Case& c : cases) {
        ReportWindow window(c.kind, database_);
        window.show();
        SCOPED_TRACE(window.windowTitle().toStdString());
        QList<QStringList> shown;
        for (const ReportRow& row : window.rowsOnScreen())
            shown << row.shown;
        EXPECT_EQ(shown, c.shown);
        window.list()->sortByColumn(c.click);
        EXPECT_EQ(window.list()->rowValues(), c.afterClick);
    }
}

// The main window asks every open report to refresh after any editor closes, even one that
// changed nothing: the user's sort must survive that, and only a real change resets it.
TEST_F(ReportsTest, ARefreshKeepsTheUsersSortUntilTheRowsChange)
{
    ReportWindow window(ReportKind::Pagers, database_);
    window.show();
    QHeaderView* header = window.list()->header();
    window.list()->sortByColumn(1);
    window.list()->sortByColumn(1);
    const QList<qint64> sorted = window.list()->rowValues();
    EXPECT_EQ(sorted, (QList<qint64>{100, 12, 9, 10}));
    window.refresh();
    EXPECT_EQ(window.list()->rowValues(), sorted);
    EXPECT_TRUE(header->isSortIndicatorShown());
    EXPECT_EQ(header->sortIndicatorSection(), 1);

    database_.names().setName(9, QStringLiteral("Zulu"));
    window.refresh();
    EXPECT_EQ(window.list()->rowValues(), (QList<qint64>{100, 12, 10, 9}));
    EXPECT_EQ(window.list()->sortColumn(), 0);
    EXPECT_TRUE(window.list()->ascending());
    EXPECT_FALSE(header->isSortIndicatorShown());
}

TEST_F(ReportsTest, TheExportFileIsTabSeparatedWithCrLfLineEnds)
{
    const QList<QStringList> rows{{"a", "1", "x"}, {"b", "2", "y"}, {"c", "3", "z"}};
    auto settingsWith = [](bool header, QList<bool> ticked, std::optional<int> limit) {
        ExportSettings s = ExportSettings::forColumns({"Name", "Local ID", "Rotary"});
        s.includeHeader = header;
        for (int i = 0; i < ticked.size(); ++i)
            s.columns[i].ticked = ticked[i];
        s.limitRows = limit.has_value();
        s.rowLimit = limit.value_or(0);
        return s;
    };
    struct Case {
        const char* what;
        ExportSettings settings;
        QList<QStringList> rows;
        QByteArray bytes;
    };
    const Case cases[] = {
        {"all", settingsWith(true, {true, true, true}, {}), rows,
         "Name\tLocal ID\tRotary\r\na\t1\tx\r\nb\t2\ty\r\nc\t3\tz\r\n"},
        {"no header, one column", settingsWith(false, {false, true, false}, {}), rows,
         "1\r\n2\r\n3\r\n"},
        {"no column ticked", settingsWith(true, {false, false, false}, {}), rows, "\r\n\r\n\r\n"},
        {"limit 0", settingsWith(true, {true, false, true}, 0), rows, "Name\tRotary\r\n"},
        {"limit 2", settingsWith(false, {true, true, true}, 2), rows, "a\t1\tx\r\nb\t2\ty\r\n"},
        {"limit above the rows", settingsWith(false, {true, false, false}, 9), rows,
         "a\r\nb\r\nc\r\n"},
        {"no rows", settingsWith(true, {true, true, true}, {}), {}, "Name\tLocal ID\tRotary\r\n"},
        {"beyond Latin-1",
         settingsWith(false, {true, false, false}, {}),
         {{"Café €"}},
         "Caf\xc3\xa9 \xe2\x82\xac\r\n"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        EXPECT_EQ(TsvExport::format(c.settings, c.rows), c.bytes);
    }
}

// Every exported row is one line of exactly one cell per column, whatever bytes a name or a
// message holds; texts that a spreadsheet might take for a formula are kept as they are.
TEST_F(ReportsTest, ExportedCellsHoldNoTabOrLineBreak)
{
    struct Case {
        QString text;
        QByteArray written;
    };
    const QList<Case> cases{
        {QStringLiteral("Bar\tstaff"), "Bar staff"},
        {QStringLiteral("two\r\nlines"), "two  lines"},
        {QStringLiteral("lf\nonly"), "lf only"},
        {QStringLiteral("cr\ronly"), "cr only"},
        {QString(QStringLiteral("nul")) + QChar(0) + QStringLiteral("byte"), "nul byte"},
        {QStringLiteral("tab at end\t"), "tab at end "},
        {QString(QChar(0x85)) + QStringLiteral("next line"), " next line"},
        {QStringLiteral("=1+1"), "=1+1"},
        {QStringLiteral("-5 dB"), "-5 dB"},
        {QStringLiteral("+34 600"), "+34 600"},
        {QStringLiteral("@home"), "@home"},
    };
    ExportSettings settings =
        ExportSettings::forColumns({QStringLiteral("A\tB"), QStringLiteral("C")});
    settings.includeHeader = true;
    QList<QStringList> rows;
    for (const Case& c : cases)
        rows << QStringList{c.text, QStringLiteral("next")};
    const QList<QByteArray> lines = TsvExport::format(settings, rows).split('\n');
    ASSERT_EQ(lines.size(), cases.size() + 2); // the header, the rows, and after the last line end
    EXPECT_EQ(lines[0], "A B\tC\r");
    for (qsizetype i = 0; i < cases.size(); ++i)
        EXPECT_EQ(lines[i + 1], cases[i].written + "\tnext\r") << i;

    // The same through a names file and the command line.
    addPager(55, 5500, PagerRecord::Numeric, "Terrace\tnorth\r\nside");
    ASSERT_TRUE(database_.writeDatabaseFile(databasePath()));
    ASSERT_TRUE(database_.writeNamesFile(databasePath()));
    const CliRun run = runCli({QStringLiteral("report"), QStringLiteral("pagers"), databasePath(),
                               QStringLiteral("--columns"), QStringLiteral("name,local id")});
    EXPECT_EQ(run.exitCode, Success) << run.err.constData();
    EXPECT_TRUE(run.out.contains("\r\nTerrace north  side\t55\r\n")) << run.out.constData();
}

TEST_F(ReportsTest, ExportWritesTheOnScreenOrderAsTheCommandLineDoes)
{
    struct Case {
        ReportKind kind;
        const char* command;
        int sortColumn;
        bool descending;
        QByteArray expected;
    };
    const Case cases[] = {
        {ReportKind::Pagers, "pagers", 1, false,
         "Name\tCap Code\tLocal ID\tReceiver Type\r\n"
         "kitchen\t80\t10\tCoaster\r\n9\t700\t9\tBeeper\r\n"
         "Bar\t1012\t12\tAlpha Numeric\r\nApron\t5000\t100\tVoice\r\n"},
        {ReportKind::Pagers, "pagers", 0, true,
         "Name\tCap Code\tLocal ID\tReceiver Type\r\n"
         "kitchen\t80\t10\tCoaster\r\nBar\t1012\t12\tAlpha Numeric\r\n"
         "Apron\t5000\t100\tVoice\r\n9\t700\t9\tBeeper\r\n"},
        {ReportKind::Groups, "groups", 2, true,
         "Name\tLocal ID\tRotary\r\nFloor\t200\tY\r\n202\t202\tN\r\nbar staff\t201\tN\r\n"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.command);
        ReportWindow window(c.kind, database_);
        // Clicks as a user makes them: another column once for ascending, again to reverse.
        if (c.sortColumn != 0)
            window.list()->sortByColumn(c.sortColumn);
        if (c.descending)
            window.list()->sortByColumn(c.sortColumn);
        ASSERT_TRUE(window.exportTo(exportSettings(c.kind, "window.tsv")));
        EXPECT_EQ(readAll(file("window.tsv")), c.expected);

        const QString column = Report::columnTitles(c.kind)[c.sortColumn];
        const CliRun run =
            runCli({QStringLiteral("report"), QString::fromLatin1(c.command), databasePath(),
                    QStringLiteral("--header"), QStringLiteral("--sort"),
                    column + (c.descending ? QStringLiteral(":desc") : QString())});
        EXPECT_EQ(run.exitCode, Success) << run.err.constData();
        EXPECT_EQ(run.out, c.expected);
    }
    EXPECT_TRUE(MessageBox::shown().isEmpty());

    const CliRun chosen = runCli({QStringLiteral("report"), QStringLiteral("pagers"),
                                  databasePath(), QStringLiteral("--columns"),
                                  QStringLiteral("local-id,name"), QStringLiteral("--limit"),
                                  QStringLiteral("2"), QStringLiteral("-o"), file("cli.tsv")});
    EXPECT_EQ(chosen.exitCode, Success) << chosen.err.constData();
    EXPECT_TRUE(chosen.out.isEmpty());
    // Columns go in report order whatever order they are named in.
    EXPECT_EQ(readAll(file("cli.tsv")), "9\t9\r\nApron\t100\r\n");
}

TEST_F(ReportsTest, AFailedExportLeavesThePreviousFileAndSaysSo)
{
    // More than the file size limit below: the export fails part-way.
    for (uint16_t id = 300; id < 700; ++id)
        addPager(id, 8u + id, PagerRecord::Numeric, "A pager with a long enough name");
    ASSERT_TRUE(database_.writeDatabaseFile(databasePath()));
    ASSERT_TRUE(database_.writeNamesFile(databasePath()));
    const QByteArray previous = "the export of last week\r\n";
    writeAll(file("out.tsv"), previous);
    QDir().mkdir(file("folder.tsv"));

    ReportWindow pagers(ReportKind::Pagers, database_);
    ReportWindow groups(ReportKind::Groups, database_);
    rlimit old{};
    getrlimit(RLIMIT_FSIZE, &old);
    const rlimit small{4096, old.rlim_max};
    auto* const oldHandler = std::signal(SIGXFSZ, SIG_IGN);
    setrlimit(RLIMIT_FSIZE, &small);
    const bool pagersWritten = pagers.exportTo(exportSettings(ReportKind::Pagers, "out.tsv"));
    setrlimit(RLIMIT_FSIZE, &old);
    std::signal(SIGXFSZ, oldHandler);
    EXPECT_FALSE(pagersWritten);
    EXPECT_EQ(readAll(file("out.tsv")), previous);

    EXPECT_FALSE(groups.exportTo(exportSettings(ReportKind::Groups, "folder.tsv")));
    EXPECT_FALSE(groups.exportTo(exportSettings(ReportKind::Groups, "")));
    EXPECT_TRUE(QFileInfo(file("folder.tsv")).isDir());
    ASSERT_EQ(MessageBox::shown().size(), 3);
    EXPECT_EQ(MessageBox::shown()[0].text, QStringLiteral("Could not open file for export!"));
    EXPECT_EQ(MessageBox::shown()[0].icon, MessageBox::Icon::Warning);
    EXPECT_EQ(MessageBox::shown()[1].text, QStringLiteral("Couldn't open file for export!"));
    // Nothing half-written is left beside the target either.
    EXPECT_EQ(QDir(dir_.path()).entryList(QDir::Files | QDir::Hidden).size(), 3)
        << QDir(dir_.path()).entryList(QDir::Files | QDir::Hidden).join(u' ').toStdString();

    // The command line under the same limit.
    const CliRun run =
        runCli({QStringLiteral("report"), QStringLiteral("pagers"), databasePath(),
                QStringLiteral("-o"), file("out.tsv")},
               {.shellStage = QStringLiteral("trap '' XFSZ; ulimit -f 4; exec \"$0\" \"$@\"")});
    EXPECT_EQ(run.exitCode, FileProblem) << run.err.constData();
    EXPECT_EQ(readAll(file("out.tsv")), previous);
}

TEST_F(ReportsTest, PrintingToAPdfFileHoldsTheHeaderTheRowsAndThePageNumbers)
{
    ReportWindow window(ReportKind::Pagers, database_);
    window.show();
    window.list()->findRow(12)->setSelected(true);
    window.list()->findRow(100)->setSelected(true);
    PrintSettings settings;
    settings.header = QStringLiteral("Site pagers");
    settings.pdfFile = file("all.pdf");
    for (const QString& title : Report::columnTitles(ReportKind::Pagers))
        settings.columns.append({title, true});
    settings.columns[1].ticked = false;
    ASSERT_TRUE(window.print(settings));
    const QString all = pdfText(file("all.pdf"));
    for (const char* text : {"Site pagers", "NAME", "LOCAL ID", "RECEIVER TYPE", "kitchen",
                             "Alpha Numeric", "Page 1 of 1"})
        EXPECT_TRUE(all.contains(QString::fromLatin1(text))) << text << "\n" << all.toStdString();
    EXPECT_FALSE(all.contains(QStringLiteral("CAP CODE")));
    EXPECT_FALSE(all.contains(QStringLiteral("5000")));

    settings.selectedOnly = true;
    settings.pdfFile = file("selected.pdf");
    ASSERT_TRUE(window.print(settings));
    const QString selected = pdfText(file("selected.pdf"));
    EXPECT_TRUE(selected.contains(QStringLiteral("Apron")));
    EXPECT_TRUE(selected.contains(QStringLiteral("Bar")));
    EXPECT_FALSE(selected.contains(QStringLiteral("kitchen")));
    EXPECT_TRUE(MessageBox::shown().isEmpty());

    // The command line gives the same pages.
    const CliRun run =
        runCli({QStringLiteral("print"), QStringLiteral("pagers"), databasePath(),
                QStringLiteral("--pdf"), file("cli.pdf"), QStringLiteral("--selected"),
                QStringLiteral("12,100"), QStringLiteral("--copies"), QStringLiteral("2")});
    EXPECT_EQ(run.exitCode, Success) << run.err.constData();
    EXPECT_EQ(pdfPages(file("cli.pdf")), 2);
    const QString cliText = pdfText(file("cli.pdf"));
    EXPECT_TRUE(cliText.contains(QStringLiteral("Contacts Report")));
    EXPECT_TRUE(cliText.contains(QStringLiteral("Apron")));
    EXPECT_FALSE(cliText.contains(QStringLiteral("kitchen")));
}

TEST_F(ReportsTest, APrinterThatCannotBeOpenedIsNamed)
{
    ReportWindow window(ReportKind::Groups, database_);
    PrintSettings settings;
    settings.header = Report::printHeader(ReportKind::Groups);
    settings.printerName = QStringLiteral("no-such-printer");
    EXPECT_FALSE(window.print(settings));
    settings.printerName.clear();
    settings.pdfFile = file("missing/folder/report.pdf");
    EXPECT_FALSE(window.print(settings));
    ASSERT_EQ(MessageBox::shown().size(), 2);
    EXPECT_EQ(MessageBox::shown()[0].text,
              QStringLiteral("The printer no-such-printer could not be opened."));
    EXPECT_EQ(MessageBox::shown()[1].text,
              QStringLiteral("The file %1 could not be written.").arg(settings.pdfFile));

    const CliRun run = runCli({QStringLiteral("print"), QStringLiteral("groups"), databasePath(),
                               QStringLiteral("--printer"), QStringLiteral("no-such-printer")});
    EXPECT_EQ(run.exitCode, PrintFailed);
    EXPECT_TRUE(run.err.contains("no-such-printer could not be opened")) << run.err.constData();
}

TEST_F(ReportsTest, TheCommandLineChecksItsArgumentsAndWritesOnlyItsOutput)
{
    const QByteArray database = readAll(databasePath());
    const QByteArray names = readAll(databasePath() + QStringLiteral(".nam"));
    const QString out = file("out.tsv");
    const QString pdf = file("out.pdf");
    const QString db = databasePath();
    struct Case {
        QStringList arguments;
        int exitCode;
    };
    const QList<Case> refused{
        {{"report", "pager", db, "-o", out}, UsageError},
        {{"report", "pagers", "-o", out}, UsageError},
        {{"report", "pagers", "", "-o", out}, UsageError},
        {{"report", "pagers", db, "--columns", "name,colour", "-o", out}, UsageError},
        {{"report", "pagers", db, "--sort", "rotary", "-o", out}, UsageError},
        {{"report", "pagers", db, "--limit", "-1", "-o", out}, UsageError},
        {{"report", "pagers", db, "--limit", "2x", "-o", out}, UsageError},
        {{"report", "pagers", db, "--copies", "2", "-o", out}, UsageError},
        {{"report", "pagers", db, "-o", out, "-o", out}, UsageError},
        {{"report", "pagers", db, "-o", ""}, UsageError},
        {{"print", "pagers", db}, UsageError},
        {{"print", "pagers", db, "--pdf", pdf, "--printer", "office"}, UsageError},
        {{"print", "pagers", db, "--pdf", pdf, "--copies", "0"}, UsageError},
        {{"print", "pagers", db, "--pdf", pdf, "--copies", "100"}, UsageError},
        {{"print", "pagers", db, "--pdf", pdf, "--selected", "12,x"}, UsageError},
        {{"print", "pagers", db, "--pdf", pdf, "--selected", "10000"}, UsageError},
        {{"print", "pagers", db, "--pdf", pdf, "--header"}, UsageError},
        {{"print", "pagers", db, "--pdf", pdf, "--selected", "12,13"}, UsageError},
        {{"report", "pagers", file("none.dat"), "-o", out}, FileProblem},
        {{"report", "pagers", db, "-o", dir_.path()}, FileProblem},
        {{"print", "pagers", file("none.dat"), "--pdf", pdf}, FileProblem},
    };
    for (const Case& c : refused) {
        SCOPED_TRACE(c.arguments.join(u' ').toStdString());
        const CliRun run = runCli(c.arguments);
        EXPECT_EQ(run.exitCode, c.exitCode) << run.err.constData();
        EXPECT_FALSE(run.err.isEmpty());
        EXPECT_TRUE(run.out.isEmpty());
        EXPECT_FALSE(QFile::exists(out));
        EXPECT_FALSE(QFile::exists(pdf));
    }
    // Help asked for on a report command is that command's usage, not an unknown option.
    struct Help {
        QStringList arguments;
        bool report;
        bool print;
    };
    const QList<Help> helps{
        {{"--help"}, true, true},
        {{"report", "--help"}, true, false},
        {{"print", "-h"}, false, true},
        {{"report", "pagers", db, "--columns", "name", "--help"}, true, false},
    };
    for (const Help& h : helps) {
        SCOPED_TRACE(h.arguments.join(u' ').toStdString());
        const CliRun help = runCli(h.arguments);
        EXPECT_EQ(help.exitCode, Success) << help.err.constData();
        EXPECT_EQ(help.out.contains("report pagers|groups|alarms DBFILE"), h.report);
        EXPECT_EQ(help.out.contains("print pagers|groups|alarms DBFILE"), h.print);
    }

    // The commands that succeed touch nothing but their output.
    ASSERT_EQ(runCli({"report", "alarms", db, "-o", out}).exitCode, Success);
    ASSERT_EQ(runCli({"print", "alarms", db, "--pdf", pdf}).exitCode, Success);
    EXPECT_EQ(readAll(databasePath()), database);
    EXPECT_EQ(readAll(databasePath() + QStringLiteral(".nam")), names);
    EXPECT_EQ(QDir(dir_.path()).entryList(QDir::AllEntries | QDir::Hidden | QDir::NoDotAndDotDot),
              (QStringList{"out.pdf", "out.tsv", "site.dat", "site.dat.nam"}));
}

TEST_F(ReportsTest, TheWindowKeepsItsLayoutAndMinimumSize)
{
    ReportWindow window(ReportKind::Pagers, database_);
    window.show();
    window.resize(700, 420);
    QTest::qWait(20);
    const QSize button = window.okButton()->size();
    const int top = 420 - button.height() - 7;
    EXPECT_EQ(window.okButton()->pos(), QPoint(700 - button.width() - 7, top));
    EXPECT_EQ(window.printButton()->pos(), QPoint(700 - 2 * button.width() - 14, top));
    EXPECT_EQ(window.exportButton()->pos(), QPoint(700 - 3 * button.width() - 21, top));
    EXPECT_EQ(window.list()->geometry(), QRect(7, 7, 686, 420 - button.height() - 21));
    window.resize(100, 50);
    EXPECT_EQ(window.size(), QSize(450, 130));
    for (QPushButton* b : {window.exportButton(), window.printButton(), window.okButton()})
        EXPECT_EQ(b->size(), button);
}

TEST_F(ReportsTest, ThePrintOptionsOfferPdfSelectionAndAPreviewOfTheSamePages)
{
    int filled = 0;
    auto source = [&](PrintTable& table, const PrintSettings& settings) {
        ++filled;
        QList<ReportRow> rows;
        for (int i = 0; i < 300; ++i)
            rows.append({i, {}, {QStringLiteral("row %1").arg(i)}, {}});
        Report::fillPrintTable(table, settings.header, {QStringLiteral("Name")}, {true}, rows);
    };
    PrintOptionsDialog without(QStringLiteral("Contacts Report"), {"Name", "Cap Code"}, false,
                               source);
    EXPECT_FALSE(without.selectedOnlyBox()->isEnabled());
    EXPECT_FALSE(without.selectedOnlyBox()->isChecked());
    EXPECT_EQ(without.printerList()->itemText(without.printerList()->count() - 1),
              PrintOptionsDialog::pdfChoiceText());
    EXPECT_EQ(without.headerEdit()->maxLength(), 50);
    EXPECT_EQ(without.copiesEdit()->maxLength(), 2);

    PrintOptionsDialog with(QStringLiteral("Contacts Report"), {"Name", "Cap Code"}, true, source);
    with.show();
    EXPECT_TRUE(with.selectedOnlyBox()->isEnabled());
    EXPECT_TRUE(with.selectedOnlyBox()->isChecked());
    with.printerList()->setCurrentIndex(with.printerList()->count() - 1);
    with.copiesEdit()->setText(QStringLiteral("0"));
    with.printPressed();
    EXPECT_TRUE(with.isVisible());
    ASSERT_EQ(MessageBox::shown().size(), 1);
    EXPECT_EQ(MessageBox::shown()[0].text,
              QStringLiteral("No pages to print.  Please enter a value greater than 0"));

    with.copiesEdit()->setText(QStringLiteral("3"));
    with.columnList()->item(1)->setCheckState(Qt::Unchecked);
    std::unique_ptr<QPrintPreviewDialog> preview(with.createPreview());
    ASSERT_TRUE(preview);
    preview->show();
    QTest::qWait(50);
    auto* pages = preview->findChild<QPrintPreviewWidget*>();
    ASSERT_TRUE(pages);
    // 300 short rows fill more than one A4 or Letter page, and fewer than 300.
    EXPECT_GT(pages->pageCount(), 1);
    EXPECT_LT(pages->pageCount(), 20);
    EXPECT_GE(filled, 1);
    preview.reset();

    FileDialog::setNextFileName(file("chosen.pdf"));
    with.printPressed();
    EXPECT_EQ(with.result(), QDialog::Accepted);
    const PrintSettings chosen = with.settings();
    EXPECT_EQ(chosen.pdfFile, file("chosen.pdf"));
    EXPECT_TRUE(chosen.printerName.isEmpty());
    EXPECT_EQ(chosen.copies, 3);
    EXPECT_TRUE(chosen.selectedOnly);
    EXPECT_EQ(chosen.chosenColumns(), (QList<bool>{true, false}));
}

TEST_F(ReportsTest, TheExportDialogReadsItsControls)
{
    ExportDialog dialog(ExportDialog::defaultTitle(), Report::columnTitles(ReportKind::Groups));
    dialog.show();
    EXPECT_EQ(dialog.windowTitle(), QStringLiteral("Export Contact Details to File"));
    EXPECT_FALSE(dialog.rowLimitEdit()->isEnabled());
    dialog.limitBox()->setChecked(true);
    EXPECT_TRUE(dialog.rowLimitEdit()->isEnabled());

    dialog.columnList()->item(0)->setCheckState(Qt::Unchecked);
    dialog.exportAllBox()->setChecked(true);
    EXPECT_EQ(dialog.columnList()->item(0)->checkState(), Qt::Checked);
    EXPECT_FALSE(dialog.columnList()->isEnabled());
    dialog.exportAllBox()->setChecked(false);
    EXPECT_TRUE(dialog.columnList()->isEnabled());
    dialog.columnList()->item(1)->setCheckState(Qt::Unchecked);

    dialog.rowLimitEdit()->clear();
    dialog.exportPressed();
    EXPECT_TRUE(dialog.isVisible());
    ASSERT_EQ(MessageBox::shown().size(), 1);
    EXPECT_EQ(MessageBox::shown()[0].text, QStringLiteral("Please enter an integer."));

    FileDialog::setNextFileName(file("groups.tsv"));
    QTest::mouseClick(dialog.browseButton(), Qt::LeftButton);
    EXPECT_EQ(dialog.fileNameEdit()->text(), file("groups.tsv"));
    ASSERT_EQ(FileDialog::requests().size(), 1);
    EXPECT_EQ(FileDialog::requests()[0].defaultSuffix, QStringLiteral("tsv"));
    QTest::keyClicks(dialog.rowLimitEdit(), QStringLiteral("x2"));
    dialog.headerBox()->setChecked(true);
    QTest::mouseClick(dialog.exportButton(), Qt::LeftButton);
    EXPECT_EQ(dialog.result(), QDialog::Accepted);
    const ExportSettings s = dialog.settings();
    EXPECT_EQ(s.fileName, file("groups.tsv"));
    EXPECT_TRUE(s.includeHeader);
    EXPECT_TRUE(s.limitRows);
    EXPECT_EQ(s.rowLimit, 2);
    EXPECT_EQ(s.columns.size(), 3);
    EXPECT_TRUE(s.columns[0].ticked);
    EXPECT_FALSE(s.columns[1].ticked);
}

TEST_F(ReportsTest, AnEmptyRowCountIsNoObstacleOnceTheLimitIsUnticked)
{
    ExportDialog dialog(ExportDialog::defaultTitle(), Report::columnTitles(ReportKind::Groups));
    dialog.show();
    dialog.fileNameEdit()->setText(file("all.tsv"));
    dialog.limitBox()->setChecked(true);
    dialog.rowLimitEdit()->clear();
    dialog.limitBox()->setChecked(false);
    dialog.exportPressed();
    EXPECT_TRUE(MessageBox::shown().isEmpty());
    EXPECT_EQ(dialog.result(), QDialog::Accepted);
    EXPECT_FALSE(dialog.settings().limitRows);
}

TEST_F(ReportsTest, ExportFromTheButtonAndClosingWithTheDialogUp)
{
    auto* window = new ReportWindow(ReportKind::Groups, database_);
    window->show();
    // The user fills the dialog and exports.
    QTimer::singleShot(0, window, [&] {
        auto* dialog = qobject_cast<ExportDialog*>(window->runningDialog());
        ASSERT_TRUE(dialog);
        dialog->fileNameEdit()->setText(file("button.tsv"));
        dialog->exportPressed();
    });
    QTest::mouseClick(window->exportButton(), Qt::LeftButton);
    EXPECT_EQ(readAll(file("button.tsv")), "202\t202\tN\r\nbar staff\t201\tN\r\nFloor\t200\tY\r\n");

    // The window closes while the print options are up: they end as cancelled.
    QPointer<ReportWindow> watched(window);
    QTimer::singleShot(0, window, [&] {
        ASSERT_TRUE(window->runningDialog());
        window->close();
    });
    QTest::mouseClick(window->printButton(), Qt::LeftButton);
    QTest::qWait(20);
    EXPECT_TRUE(watched.isNull());
    EXPECT_TRUE(MessageBox::shown().isEmpty());
}

TEST_F(ReportsTest, TheMainWindowOpensEachReportOnceAndRefreshesIt)
{
    MainWindow main(database_);
    main.show();
    main.runCommand(ViewPagersCommand);
    ReportWindow* pagers = main.openReport(ViewPagersCommand);
    ASSERT_TRUE(pagers);
    EXPECT_TRUE(pagers->isVisible());
    main.runCommand(ViewPagersCommand);
    EXPECT_EQ(main.openReport(ViewPagersCommand), pagers);
    EXPECT_EQ(main.findChildren<ReportWindow*>().size(), 1);
    main.runCommand(ViewGroupsCommand);
    main.runCommand(ViewAlarmsCommand);
    EXPECT_EQ(main.openReport(ViewAlarmsCommand)->kind(), ReportKind::Alarms);
    EXPECT_EQ(main.findChildren<ReportWindow*>().size(), 3);

    // A sort is lost when the data behind the report changes.
    pagers->list()->sortByColumn(2);
    addPager(11, 1011, PagerRecord::Numeric, "Door");
    main.sessionHost().imageReplaced();
    EXPECT_EQ(pagers->list()->rowValues(), (QList<qint64>{9, 100, 12, 11, 10}));
    addPager(13, 1013, PagerRecord::Numeric, "Aaa");
    main.refreshOpenReports();
    EXPECT_EQ(pagers->list()->rowValues().value(1), 13);

    // File New, a maintenance command, empties the database behind the open reports (the changes
    // above are not saved).
    main.login(QStringLiteral("482915"));
    MessageBox::setNextAnswer(QMessageBox::No);
    FileDialog::setNextFileName(file("new.dat"));
    main.runCommand(NewCommand);
    EXPECT_EQ(pagers->list()->topLevelItemCount(), 0);
    EXPECT_EQ(main.openReport(ViewGroupsCommand)->list()->topLevelItemCount(), 0);

    pagers->okButton()->click();
    QTest::qWait(20);
    EXPECT_EQ(main.openReport(ViewPagersCommand), nullptr);
    main.runCommand(ViewPagersCommand);
    EXPECT_NE(main.openReport(ViewPagersCommand), nullptr);
}

TEST_F(ReportsTest, NoTwoItemsOfAReportWindowShareAMnemonic)
{
    for (const bool spanish : {false, true}) {
        std::optional<mnemonics::SpanishTexts> texts;
        if (spanish) {
            texts.emplace();
            ASSERT_TRUE(texts->loaded());
        }
        SCOPED_TRACE(spanish ? "Spanish" : "English");
        auto noop = [](PrintTable&, const PrintSettings&) {
        };
        ReportWindow pagers(ReportKind::Pagers, database_);
        ExportDialog exportDialog(ExportDialog::defaultTitle(), {"a"});
        PrintOptionsDialog printOptions(QStringLiteral("h"), {"a"}, true, noop);
        for (const QWidget* window :
             std::initializer_list<const QWidget*>{&pagers, &exportDialog, &printOptions})
            EXPECT_EQ(mnemonics::windowClashes(*window), QStringList())
                << window->windowTitle().toStdString();
        MainWindow main(database_);
        for (QAction* top : main.menuBar()->actions()) {
            if (top->menu() && top->menu()->actions().value(0)->data() == ViewPagersCommand) {
                EXPECT_EQ(mnemonics::clashesAmong(mnemonics::menuTexts(*top->menu())),
                          QStringList());
            }
        }
    }
}

TEST_F(ReportsTest, EveryCellAndTitleShowsWholeAndEachExportHasItsOwnTitle)
{
    {
        AlarmRecord alarm = database_.image().alarm(2);
        alarm.setInputType(AlarmRecord::NormallyClosed);
    }
    const std::pair<ReportKind, const char*> kinds[] = {
        {ReportKind::Pagers, "Export Contact Details to File"},
        {ReportKind::Groups, "Export Groups to File"},
        {ReportKind::Alarms, "Export Alarms to File"},
    };
    for (const bool spanish : {false, true}) {
        std::optional<mnemonics::SpanishTexts> texts;
        if (spanish) {
            texts.emplace();
            ASSERT_TRUE(texts->loaded());
        }
        SCOPED_TRACE(spanish ? "Spanish" : "English");
        // A pager or group that is not there reads the same in a report as in an editor.
        EXPECT_EQ(QCoreApplication::translate("Report", "None"),
                  QCoreApplication::translate("RecipientPickList", "None"));
        for (const auto& [kind, exportTitle] : kinds) {
            ReportWindow window(kind, database_);
            window.show();
            SCOPED_TRACE(window.windowTitle().toStdString());
            const QAbstractItemView& view = *window.list();
            for (int column = 0; column < window.list()->columnCount(); ++column)
                EXPECT_LE(view.sizeHintForColumn(column), window.list()->columnWidth(column))
                    << window.list()->headerItem()->text(column).toStdString();
            QString title;
            QTimer::singleShot(0, &window, [&] {
                if (QDialog* dialog = window.runningDialog()) {
                    title = dialog->windowTitle();
                    dialog->reject();
                }
            });
            QTest::mouseClick(window.exportButton(), Qt::LeftButton);
            EXPECT_EQ(title, spanish ? QCoreApplication::translate("Report", exportTitle)
                                     : QString::fromLatin1(exportTitle));
            if (spanish) {
                EXPECT_NE(title, QString::fromLatin1(exportTitle));
            }
        }
    }
}

namespace {

// Where ink is on the first page of a PDF, in millimetres from the paper's edges, as pdftoppm
// renders it; nullopt when it cannot.
std::optional<QMarginsF> inkMargins(const QString& pdf, const QString& folder)
{
    const int dpi = 72;
    ChildProcess render(QStringLiteral("/usr/bin/pdftoppm"),
                        {QStringLiteral("-r"), QString::number(dpi), QStringLiteral("-gray"),
                         QStringLiteral("-f"), QStringLiteral("1"), QStringLiteral("-l"),
                         QStringLiteral("1"), QStringLiteral("-singlefile"), pdf,
                         folder + QStringLiteral("/page")});
    if (render.wait() != 0)
        return std::nullopt;
    const QImage page(folder + QStringLiteral("/page.pgm"));
    if (page.isNull())
        return std::nullopt;
    QRect ink;
    for (int y = 0; y < page.height(); ++y)
        for (int x = 0; x < page.width(); ++x)
            if (qGray(page.pixel(x, y)) < 200)
                ink |= QRect(x, y, 1, 1);
    if (ink.isEmpty())
        return std::nullopt;
    const double mm = 25.4 / dpi;
    return QMarginsF(ink.left() * mm, ink.top() * mm, (page.width() - 1 - ink.right()) * mm,
                     (page.height() - 1 - ink.bottom()) * mm);
}

} // namespace

TEST_F(ReportsTest, APrintedPageKeepsClearOfThePaperEdges)
{
    // Columns enough to fill the width, rows enough to fill the height.
    PrintTable table;
    table.setTitle(QStringLiteral("Margins"));
    for (int column = 0; column < 30; ++column)
        table.addColumn(QStringLiteral("Column %1").arg(column));
    for (int row = 0; row < 120; ++row) {
        const int index = table.addRow();
        for (int column = 0; column < 30; ++column)
            table.addCell(index, QStringLiteral("Cell %1.%2").arg(row).arg(column));
    }
    PrintSettings settings;
    settings.header = QStringLiteral("Margins");
    settings.pdfFile = file("margins.pdf");
    ASSERT_EQ(TablePrinter::print(table, settings), QString());
    const std::optional<QMarginsF> margins = inkMargins(settings.pdfFile, dir_.path());
    ASSERT_TRUE(margins);
    // At least a centimetre from every edge, where a printer can print; the table reaches the
    // right and the bottom of the body, within a column or a row, so those edges are measured too.
    for (const auto& [edge, distance] :
         {std::pair{"left", margins->left()}, std::pair{"top", margins->top()},
          std::pair{"right", margins->right()}, std::pair{"bottom", margins->bottom()}}) {
        EXPECT_GE(distance, 10.0) << edge;
        EXPECT_LE(distance, 40.0) << edge;
    }
}
