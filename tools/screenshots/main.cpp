// Takes pictures of the main window at each access level, with a full recipient list, and of
// its windows (editors, coaster panel, reports, print and export, updates, port settings,
// login, gateway settings), for looking at the console as a user sees it. Run through
// tools/screenshots.sh, which starts it under Xvfb in both languages.
#include "AlarmsDialog.h"
#include "CoasterPanel.h"
#include "CommandId.h"
#include "CommonMessagesDialog.h"
#include "Credentials.h"
#include "Database.h"
#include "ExportDialog.h"
#include "FileDialog.h"
#include "FirmwareUpdateWindow.h"
#include "FunctionKeysDialog.h"
#include "GatewayCredentialDialog.h"
#include "GatewaySettingsWindow.h"
#include "GroupsDialog.h"
#include "LoginDialog.h"
#include "MainWindow.h"
#include "MembersDialog.h"
#include "ModalRunner.h"
#include "PageHistory.h"
#include "PageHistoryWindow.h"
#include "PagersDialog.h"
#include "PortSettingsWindow.h"
#include "PrintOptionsDialog.h"
#include "PrintTable.h"
#include "ReminderMessagesDialog.h"
#include "ReportWindow.h"
#include "SerialPort.h"
#include "SettingsSheet.h"
#include "SettingsStore.h"
#include "TavoluxApp.h"
#include "TextFit.h"
#include "Translations.h"
#include "UnitSession.h"
#include "VoiceUpdateWindow.h"
#include "WindowPlacement.h"

#include <QPrintPreviewDialog>

#include <QApplication>
#include <QCheckBox>
#include <QComboBox>
#include <QDateEdit>
#include <QDir>
#include <QLineEdit>
#include <QListWidget>
#include <QPlainTextEdit>
#include <QScreen>
#include <QTabBar>
#include <QTemporaryDir>
#include <QTest>
#include <memory>

#include <cstdlib>
#include <fcntl.h>
#include <unistd.h>
#include <utility>

namespace {

// Saves each picture as FOLDER/NAME-LANGUAGE.png and prints its path.
class Pictures {
public:
    // Screen: the whole screen, so that a frame, a menu bar or a window alone on it is drawn as
    // the window manager shows it. Content: only what the window itself paints.
    enum Extent { Screen, Content };

    Pictures(QString folder, QString suffix)
        : folder_(std::move(folder))
        , suffix_(std::move(suffix))
    {}

    const QString& folder() const { return folder_; }

    bool take(QWidget& window, const QString& name, Extent extent = Content)
    {
        window.show();
        window.raise();
        if (!QTest::qWaitForWindowExposed(&window))
            return false;
        QTest::qWait(150);
        const QString file = QStringLiteral("%1/%2-%3.png").arg(folder_, name, suffix_);
        (extent == Screen ? window.screen()->grabWindow(0) : window.grab()).save(file);
        std::printf("%s\n", qPrintable(file));
        check(window, name);
        return true;
    }

    // Every text of the window whole, and the window inside the screen.
    void check(const QWidget& window, const QString& name)
    {
        for (const QString& fault : TextFit::cutTexts(window) + TextFit::placementFaults(window))
            faults_ << QStringLiteral("%1-%2: %3").arg(name, suffix_, fault);
    }
    // Windows placed beside each other, each checked, and none over another.
    void checkApart(const QList<const QWidget*>& windows, const QString& name)
    {
        for (const QWidget* one : windows) {
            if (!one)
                continue;
            check(*one, name);
            for (const QWidget* other : windows)
                if (other && one < other && one->frameGeometry().intersects(other->frameGeometry()))
                    faults_ << QStringLiteral("%1-%2: %3 stands over %4")
                                   .arg(name, suffix_, one->windowTitle(), other->windowTitle());
        }
    }

    // Says what was found wrong; false when anything was.
    bool report() const
    {
        for (const QString& fault : faults_)
            std::fprintf(stderr, "%s\n", qPrintable(fault));
        return faults_.isEmpty();
    }

private:
    QString folder_;
    QString suffix_;
    QStringList faults_;
};

// The report windows and their print and export dialogs, each alone on the screen.
void takeReports(Database& database, Pictures& pictures)
{
    auto take = [&](QWidget& window, const char* name) {
        window.activateWindow();
        pictures.take(window, QString::fromLatin1(name), Pictures::Screen);
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

// The page history of a busy evening: pages of each source and outcome, then the same list
// filtered on a recipient, and a recipient that is none.
void takePageHistory(Pictures& pictures)
{
    QTemporaryDir folder;
    const QString path = folder.filePath(QStringLiteral("pages.sqlite"));
    {
        PageHistory history(path);
        const qint64 start = QDateTime(QDate(2026, 11, 27), QTime(19, 0)).toMSecsSinceEpoch();
        const QStringList names = {QStringLiteral("Bar staff"), QStringLiteral("Table 12"),
                                   QStringLiteral("Kitchen"), QString(),
                                   QStringLiteral("Front desk manager on duty")};
        const QStringList texts = {QStringLiteral("Table 4 order ready"),
                                   QStringLiteral("Your table is ready, please come to the "
                                                  "front desk"),
                                   QStringLiteral("Restock the bar"), QStringLiteral("9595"),
                                   QStringLiteral("Call 2104")};
        for (int i = 0; i < 40; ++i) {
            PageHistoryEntry entry;
            entry.queuedMs = start + i * 97000;
            entry.endedMs = entry.queuedMs + 180 + (i * 37) % 900;
            entry.origin.source = static_cast<PageOrigin::Source>(i % PageOrigin::SourceCount);
            if (entry.origin.fromOutside()) {
                entry.origin.peer = entry.origin.source == PageOrigin::Source::CommandLine
                                        ? QStringLiteral("local")
                                        : QStringLiteral("192.168.10.31");
                if (entry.origin.source == PageOrigin::Source::Snpp)
                    entry.origin.login = QStringLiteral("pos-terminal");
            }
            entry.recipient = entry.origin.source == PageOrigin::Source::CoasterAlert
                                  ? 204800
                                  : static_cast<uint32_t>(10 + i % 5);
            entry.name = names[i % names.size()];
            entry.text = texts[i % texts.size()];
            entry.outcome = i % 9 == 4    ? HistoryOutcome::Failed
                            : i % 13 == 6 ? HistoryOutcome::Refused
                            : i % 17 == 8 ? HistoryOutcome::Dropped
                                          : HistoryOutcome::Confirmed;
            entry.reason = entry.outcome == HistoryOutcome::Failed
                               ? QLatin1String(i % 2 ? HistoryReason::RefusedByUnit
                                                     : HistoryReason::NoResponse)
                           : entry.outcome == HistoryOutcome::Refused
                               ? QLatin1String(HistoryReason::NotConnected)
                           : entry.outcome == HistoryOutcome::Dropped
                               ? QLatin1String(HistoryReason::Dropped)
                               : QLatin1String("");
            history.record(entry);
        }
        history.flush(10000);
    }
    PageHistoryWindow window(path);
    window.move(20, 20);
    window.activateWindow();
    pictures.take(window, QStringLiteral("page-history"), Pictures::Screen);
    window.recipientEdit()->setText(QStringLiteral("12"));
    window.fromBox()->setChecked(true);
    window.fromEdit()->setDate(QDate(2026, 11, 27));
    window.applyFilters();
    pictures.take(window, QStringLiteral("page-history-filtered"), Pictures::Screen);
    window.recipientEdit()->setText(QStringLiteral("12345678"));
    window.applyFilters();
    pictures.take(window, QStringLiteral("page-history-bad-filter"), Pictures::Screen);
    window.hide();
}

// The update windows in each of their modes, on a pseudo-terminal nobody answers.
void updateWindows(Pictures& pictures)
{
    const int master = ::posix_openpt(O_RDWR | O_NOCTTY);
    if (master < 0 || ::grantpt(master) != 0 || ::unlockpt(master) != 0)
        return;
    SerialPort port(QString::fromLocal8Bit(::ptsname(master)), 9600, 8, 0, 0, 1, 1);
    FirmwareUpdateWindow firmware(port);
    pictures.take(firmware, QStringLiteral("firmware-browse"));
    QFile hex(pictures.folder() + QStringLiteral("/firmware.hex"));
    if (hex.open(QIODevice::WriteOnly))
        hex.write(":00000001FF\n");
    hex.close();
    FileDialog::setScripted(true);
    FileDialog::setNextFileName(hex.fileName());
    firmware.act();
    pictures.take(firmware, QStringLiteral("firmware-start"));
    firmware.act();
    pictures.take(firmware, QStringLiteral("firmware-abort"));
    firmware.act();

    VoiceUpdateWindow voice(port, pictures.folder());
    pictures.take(voice, QStringLiteral("voice"));
    ::close(master);
}

} // namespace

int main(int argc, char* argv[])
{
    QApplication app(argc, argv);
    // The console's own start: its names and its font.
    TavoluxApp tavolux(app);
    if (argc < 2) {
        std::fprintf(stderr, "usage: %s OUTPUT-FOLDER\n", argv[0]);
        return 1;
    }
    const QLocale::Language language = Translations::install(app, QLocale::system());
    const QString suffix =
        language == QLocale::Spanish ? QStringLiteral("es") : QStringLiteral("en");
    QDir().mkpath(QString::fromLocal8Bit(argv[1]));
    Pictures pictures(QString::fromLocal8Bit(argv[1]), suffix);

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
    image.group(0).setMember(0, 12);
    image.group(0).setMember(1, 15);
    database.names().setName(100, QStringLiteral("Floor staff"));
    image.group(1).setLocalId(101);
    image.group(1).setMember(0, 21);
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
        pictures.take(window, QStringLiteral("main-%1").arg(QString::fromLatin1(name)),
                      Pictures::Screen);
    }
    // As it starts the first time: the coaster panel beside the console, not over it.
    pictures.checkApart({&window, window.coasterPanel()}, QStringLiteral("main-start"));
    updateWindows(pictures);
    window.resize(800, 600);
    pictures.take(window, QStringLiteral("main-wide"), Pictures::Screen);
    const QRect area = window.screen()->availableGeometry();
    WindowPlacement::place(window, area.adjusted(0, 0, -80, -40));
    pictures.take(window, QStringLiteral("main-large"), Pictures::Screen);
    std::unique_ptr<QDialog> about(MainWindow::createAboutBox(&window));
    pictures.take(*about, QStringLiteral("about"));
    about->hide();

    // The coaster panel in every combination of its rows, with Beep and Range switched on.
    SettingsStore::setInteger(SettingsStore::BeepState, 1);
    SettingsStore::setInteger(SettingsStore::FlashState, 0);
    SettingsStore::setInteger(SettingsStore::VibeState, 0);
    SettingsStore::setInteger(SettingsStore::RangeState, 1);
    for (int combination = 1; combination < 8; ++combination) {
        const bool alert = combination & 4, range = combination & 2, locate = combination & 1;
        SettingsStore::setInteger(SettingsStore::Alert, alert);
        SettingsStore::setInteger(SettingsStore::Range, range);
        SettingsStore::setInteger(SettingsStore::Locate, locate);
        window.recreateCoasterPanel();
        CoasterPanel* panel = window.coasterPanel();
        if (!panel ||
            !pictures.take(
                *panel,
                QStringLiteral("coasters-%1%2%3").arg(int(alert)).arg(int(range)).arg(int(locate))))
            return 1;
    }
    // The editors, each as it opens.
    PagersDialog pagersDialog(database, [](uint16_t) {});
    GroupsDialog groups(database, [](uint16_t) {});
    MembersDialog members(groups.list()->currentItem()->text(), groups.membersList(),
                          groups.candidateList());
    if (!pictures.take(pagersDialog, QStringLiteral("pagers")) ||
        !pictures.take(groups, QStringLiteral("groups")) ||
        !pictures.take(members, QStringLiteral("members")))
        return 1;
    image.alarm(0).setInputType(AlarmRecord::NormallyOpen);
    image.alarm(0).setMessage(QStringLiteral("Freezer door open"));
    image.reminder(0).setTimeOfDay(17 * 60 + 30);
    image.reminder(0).setMessage(QStringLiteral("Evening shift starts"));
    image.commonMessage(0).setText(QStringLiteral("Your table is ready"));
    image.functionKey(0).setMessage(QStringLiteral("Please come to the bar"));
    AlarmsDialog alarms(database);
    ReminderMessagesDialog reminders(database);
    CommonMessagesDialog commonMessages(database);
    FunctionKeysDialog functionKeys(database);
    if (!pictures.take(alarms, QStringLiteral("alarms")) ||
        !pictures.take(reminders, QStringLiteral("reminders")) ||
        !pictures.take(commonMessages, QStringLiteral("common-messages")) ||
        !pictures.take(functionKeys, QStringLiteral("function-keys")))
        return 1;
    // The settings sheet, page by page.
    SettingsSheet sheet(database);
    const char* const sheetPages[] = {"settings-general", "settings-pbx", "settings-interface",
                                      "settings-transmitter", "settings-patron"};
    for (int page = 0; page < SettingsSheet::PageCount; ++page) {
        sheet.tabBar()->setCurrentIndex(page);
        if (!pictures.take(sheet, QString::fromLatin1(sheetPages[page])))
            return 1;
    }
    // The pictures that follow show the whole screen: nothing of these may stay on it.
    for (QWidget* shown :
         {static_cast<QWidget*>(&alarms), static_cast<QWidget*>(&reminders),
          static_cast<QWidget*>(&commonMessages), static_cast<QWidget*>(&functionKeys),
          static_cast<QWidget*>(&sheet), static_cast<QWidget*>(&members),
          static_cast<QWidget*>(&groups), static_cast<QWidget*>(&pagersDialog),
          static_cast<QWidget*>(window.coasterPanel())})
        if (shown)
            shown->hide();
    const auto grabDialog = [&](QWidget& dialog, const char* name) {
        pictures.take(dialog, QString::fromLatin1(name), Pictures::Screen);
        dialog.close();
    };

    // More pagers than the list shows: its scroll bar, and the columns still inside it.
    for (int i = 4; i < 40; ++i) {
        const auto id = static_cast<uint16_t>(200 + i);
        image.pager(i).setLocalId(id);
        image.pager(i).setCapcode(1000 + id);
        database.names().setName(id, QStringLiteral("Table %1").arg(i));
    }
    window.fillRecipientList();
    window.resize(MainWindow::MinimumWidth, MainWindow::MinimumHeight);
    pictures.take(window, QStringLiteral("main-full-list"), Pictures::Screen);

    PortSettingsWindow ports(window.session().portSlot(),
                             {{QStringLiteral("/home/operator/tavolux/demo/unit-ttyS0ab"),
                               QStringLiteral("USB-Serial Controller D")},
                              {QStringLiteral("ttyS0"), {}}},
                             &window);
    ports.portList()->setCurrentIndex(0);
    grabDialog(ports, "port-settings");
    LoginDialog login(&window);
    grabDialog(login, "login");
    // The gateway open to the network: a login for SNPP, no token yet for HTTP, so the warning
    // shows; then a new login and a new token as they are asked for and shown.
    GatewaySettings gateway;
    gateway.snppOn = true;
    gateway.snpp = *ListenAddress::parse(QStringLiteral("*:4444"));
    gateway.httpOn = true;
    gateway.http = *ListenAddress::parse(QStringLiteral("192.168.10.20:4480"));
    gateway.connectAtStart = true;
    gateway.logins << Credentials::makeLogin(QStringLiteral("pos-terminal"), "not shown");
    GatewaySettingsWindow gatewayWindow(gateway, &window);
    pictures.take(gatewayWindow, QStringLiteral("gateway-settings"), Pictures::Screen);
    GatewayCredentialDialog newLogin(GatewayCredentialDialog::Kind::Login, {}, &window);
    newLogin.nameEdit()->setText(QStringLiteral("kitchen-display"));
    newLogin.passwordEdit()->setText(QStringLiteral("secret"));
    grabDialog(newLogin, "gateway-new-login");
    ModalRunner::setDriver([&](QDialog& dialog) {
        if (auto* entry = dynamic_cast<GatewayCredentialDialog*>(&dialog)) {
            entry->nameEdit()->setText(QStringLiteral("monitoring"));
            entry->accept();
            return;
        }
        pictures.take(dialog, QStringLiteral("gateway-new-token"), Pictures::Screen);
    });
    gatewayWindow.createToken();
    ModalRunner::setDriver({});
    gatewayWindow.hide();
    // At its usual size and place: the coaster panel and a report open beside it, inside the
    // screen and over none of the others, as a window manager shows them.
    WindowPlacement::place(window, QRect(area.topLeft() + QPoint(20, 10), QSize(540, 510)));
    // The window manager has the console where it was put before the others are put beside it.
    QTest::qWait(300);
    // As the first time: no place stored yet for the panel or the report (the panel stores its
    // place as it goes).
    delete window.coasterPanel();
    for (SettingsStore::Key place :
         {SettingsStore::PatronWndPos, SettingsStore::PagersReportWndPos})
        SettingsStore::setBinary(place, {});
    window.recreateCoasterPanel();
    window.runCommand(ViewPagersCommand);
    ReportWindow* beside = window.openReport(ViewPagersCommand);
    if (!beside || !QTest::qWaitForWindowExposed(beside))
        return 1;
    pictures.take(window, QStringLiteral("main-beside"), Pictures::Screen);
    pictures.checkApart({&window, window.coasterPanel(), beside}, QStringLiteral("main-beside"));
    beside->close();
    if (window.coasterPanel())
        window.coasterPanel()->hide();
    window.hide();
    image.group(0).setRotary(true);
    image.alarm(0).setInputType(AlarmRecord::NormallyClosed);
    image.alarm(0).setFirstTarget(100);
    image.alarm(0).setMessage(QStringLiteral("Fire door open"));
    takeReports(database, pictures);
    takePageHistory(pictures);
    return pictures.report() ? 0 : 1;
}
