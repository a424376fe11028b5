// The reports at capacity: 1000 named pagers and 20 groups. Prints milliseconds per action:
// opening each report until shown, a sort on each column, a refresh, the print layout of the
// pagers for A4 and Letter, printing them to a PDF file, and export.
#include "Database.h"
#include "PrintTable.h"
#include "ReportWindow.h"
#include "SortableList.h"
#include "TablePrinter.h"

#include <QApplication>
#include <QElapsedTimer>
#include <QPageSize>
#include <QPrinter>
#include <QTemporaryDir>
#include <QTest>

#include <cstdio>

namespace {

double millisecondsOf(const std::function<void()>& action)
{
    QElapsedTimer timer;
    timer.start();
    action();
    return static_cast<double>(timer.nsecsElapsed()) / 1e6;
}

void report(const char* what, double ms, double target)
{
    std::printf("%-44s %9.1f ms   (target %.0f ms%s)\n", what, ms, target,
                ms <= target ? "" : ", MISSED");
}

} // namespace

int main(int argc, char* argv[])
{
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM"))
        qputenv("QT_QPA_PLATFORM", "offscreen");
    QApplication app(argc, argv);
    QTemporaryDir dir;

    Database database;
    ConfigurationImage& image = database.image();
    for (int slot = 0; slot < ConfigurationImage::PagerCount; ++slot) {
        PagerRecord pager = image.pager(slot);
        const auto id = static_cast<uint16_t>(slot * 7 % 9000 + 1);
        pager.setLocalId(id);
        pager.setCapcode(static_cast<uint32_t>(2000000 - slot * 1999));
        pager.setReceiverType(slot % 6);
        database.names().setName(id, QStringLiteral("Table %1 waiter").arg((slot * 37) % 1000));
    }
    for (int slot = 0; slot < ConfigurationImage::GroupCount; ++slot) {
        GroupRecord group = image.group(slot);
        group.setLocalId(static_cast<uint16_t>(9100 + slot));
        group.setRotary(slot % 3 == 0);
        for (int m = 0; m < GroupRecord::MemberCount; ++m)
            group.setMember(m, image.pager(slot * 10 + m).localId());
        database.names().setName(static_cast<uint16_t>(9100 + slot),
                                 QStringLiteral("Section %1").arg(slot));
    }

    std::printf("Reports with 1000 named pagers and 20 groups\n");
    const std::pair<ReportKind, const char*> kinds[] = {{ReportKind::Pagers, "pagers"},
                                                        {ReportKind::Groups, "groups"},
                                                        {ReportKind::Alarms, "alarms"}};
    for (const auto& [kind, name] : kinds) {
        ReportWindow* window = nullptr;
        const double open = millisecondsOf([&] {
            window = new ReportWindow(kind, database);
            window->show();
            if (!QTest::qWaitForWindowExposed(window))
                std::printf("the %s report was not shown\n", name);
            QCoreApplication::processEvents();
        });
        report(qPrintable(QStringLiteral("open the %1 report until shown").arg(name)), open, 50);
        const QStringList titles = Report::columnTitles(kind);
        for (int column = 0; column < titles.size(); ++column) {
            const double sort = millisecondsOf([&] {
                window->list()->sortByColumn(column);
                QCoreApplication::processEvents();
            });
            report(qPrintable(QStringLiteral("  sort by %1").arg(titles[column])), sort, 50);
        }
        report("  refresh", millisecondsOf([&] {
                   window->refresh();
                   QCoreApplication::processEvents();
               }),
               50);
        ExportSettings settings = ExportSettings::forColumns(titles);
        settings.includeHeader = true;
        settings.fileName = dir.filePath(QStringLiteral("%1.tsv").arg(QString::fromLatin1(name)));
        report("  export", millisecondsOf([&] { window->exportTo(settings); }), 50);
        delete window;
    }

    // The first window of a process also pays for fonts and pictures loaded once.
    report("open the pagers report again until shown", millisecondsOf([&] {
               ReportWindow again(ReportKind::Pagers, database);
               again.show();
               if (!QTest::qWaitForWindowExposed(&again))
                   std::printf("the pagers report was not shown\n");
               QCoreApplication::processEvents();
           }),
           50);

    ReportWindow pagers(ReportKind::Pagers, database);
    PrintSettings settings;
    settings.header = Report::printHeader(ReportKind::Pagers);
    for (const QString& title : Report::columnTitles(ReportKind::Pagers))
        settings.columns.append({title, true});
    for (const auto& [size, name] :
         {std::pair{QPageSize::A4, "A4"}, {QPageSize::Letter, "Letter"}}) {
        QPrinter printer(QPrinter::HighResolution);
        printer.setOutputFormat(QPrinter::PdfFormat);
        printer.setPageSize(QPageSize(size));
        PrintTable table;
        const double fill = millisecondsOf([&] {
            Report::fillPrintTable(table, settings.header, Report::columnTitles(ReportKind::Pagers),
                                   settings.chosenColumns(), pagers.rowsOnScreen());
        });
        const double layout = millisecondsOf([&] { TablePrinter::layOut(table, printer); });
        report(qPrintable(QStringLiteral("fill and lay out the pagers for %1 (%2 pages)")
                              .arg(QString::fromLatin1(name))
                              .arg(table.pageCount())),
               fill + layout, 1500);
    }
    settings.pdfFile = dir.filePath(QStringLiteral("pagers.pdf"));
    report("lay out and print the pagers to a PDF file",
           millisecondsOf([&] { pagers.print(settings); }), 1500);
    return 0;
}
