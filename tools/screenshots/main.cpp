// Takes pictures of the main window at each access level, for looking at the console as a user
// sees it. Run through tools/screenshots.sh, which starts it under Xvfb in both languages.
#include "Database.h"
#include "ExportDialog.h"
#include "MainWindow.h"
#include "PrintOptionsDialog.h"
#include "PrintTable.h"
#include "ReportWindow.h"
#include "Translations.h"

#include <QPrintPreviewDialog>

#include <QApplication>
#include <QDir>
#include <QPlainTextEdit>
#include <QScreen>
#include <QTest>

namespace {

// The report windows and their print and export dialogs, each alone on the screen.
void takeReports(Database& database, const QString& folder, const QString& suffix)
{
    auto take = [&](QWidget& window, const char* name) {
        window.show();
        window.raise();
        window.activateWindow();
        if (!QTest::qWaitForWindowExposed(&window))
            return;
        QTest::qWait(150);
        const QString file =
            QStringLiteral("%1/%2-%3.png").arg(folder, QString::fromLatin1(name), suffix);
        window.screen()->grabWindow(0).save(file);
        std::printf("%s\n", qPrintable(file));
        window.hide();
    };
    const std::pair<ReportKind, const char*> reports[] = {{ReportKind::Pagers, "report-pagers"},
                                                          {ReportKind::Groups, "report-groups"},
                                                          {ReportKind::Alarms, "report-alarms"}};
    for (const auto& [kind, name] : reports) {
        ReportWindow report(kind, database);
        report.move(20, 20);
        take(report, name);
    }
    ReportWindow pagers(ReportKind::Pagers, database);
    auto source = [&](PrintTable& table, const PrintSettings& settings) {
        Report::fillPrintTable(table, settings.header, Report::columnTitles(ReportKind::Pagers),
                               settings.chosenColumns(), pagers.rowsOnScreen());
    };
    PrintOptionsDialog options(Report::printHeader(ReportKind::Pagers),
                               Report::columnTitles(ReportKind::Pagers), true, source);
    options.move(20, 20);
    take(options, "print-options");
    options.show();
    if (QPrintPreviewDialog* preview = options.createPreview()) {
        preview->resize(780, 600);
        preview->move(10, 10);
        take(*preview, "print-preview");
        delete preview;
    }
    options.hide();
    ExportDialog exporting(ExportDialog::defaultTitle(), Report::columnTitles(ReportKind::Groups));
    exporting.move(20, 20);
    take(exporting, "export");
}

} // namespace

int main(int argc, char* argv[])
{
    QApplication app(argc, argv);
    if (argc < 2) {
        std::fprintf(stderr, "usage: %s OUTPUT-FOLDER\n", argv[0]);
        return 1;
    }
    const QLocale::Language language = Translations::install(app, QLocale::system());
    const QString suffix =
        language == QLocale::Spanish ? QStringLiteral("es") : QStringLiteral("en");
    QDir().mkpath(QString::fromLocal8Bit(argv[1]));

    // A small site: two groups and a few pagers with names.
    Database database;
    ConfigurationImage& image = database.image();
    const std::pair<uint16_t, const char*> pagers[] = {
        {12, "Bar"}, {15, "Kitchen"}, {21, "Reception"}, {30, "Terrace"}};
    for (int i = 0; i < 4; ++i) {
        image.pager(i).setLocalId(pagers[i].first);
        image.pager(i).setCapcode(1000 + pagers[i].first);
        database.names().setName(pagers[i].first, QString::fromLatin1(pagers[i].second));
    }
    image.group(0).setLocalId(100);
    database.names().setName(100, QStringLiteral("Floor staff"));
    image.group(1).setLocalId(101);
    database.names().setName(101, QStringLiteral("Managers"));

    MainWindow window(database);
    window.setDatabasePath(QStringLiteral("/srv/venue/tavoluxDB.dat"));
    window.show();
    if (!QTest::qWaitForWindowExposed(&window))
        return 1;
    window.messageBox()->setPlainText(QStringLiteral("Table 4 is ready"));
    const std::pair<const char*, QString> levels[] = {{"operator", QStringLiteral("-")},
                                                      {"administrator", QString()},
                                                      {"maintenance", QStringLiteral("482915")}};
    for (const auto& [name, password] : levels) {
        window.logout();
        if (password != QStringLiteral("-"))
            window.login(password);
        QTest::qWait(100);
        const QString file =
            QStringLiteral("%1/main-%2-%3.png")
                .arg(QString::fromLocal8Bit(argv[1]), QString::fromLatin1(name), suffix);
        // The whole screen, so that the menu bar and the frame as drawn are in the picture.
        window.screen()->grabWindow(0).save(file);
        std::printf("%s\n", qPrintable(file));
    }
    window.resize(800, 600);
    QTest::qWait(100);
    window.screen()->grabWindow(0).save(
        QStringLiteral("%1/main-wide-%2.png").arg(QString::fromLocal8Bit(argv[1]), suffix));
    window.hide();
    image.group(0).setRotary(true);
    image.alarm(0).setInputType(AlarmRecord::NormallyClosed);
    image.alarm(0).setFirstTarget(100);
    image.alarm(0).setMessage(QStringLiteral("Fire door open"));
    takeReports(database, QString::fromLocal8Bit(argv[1]), suffix);
    return 0;
}
