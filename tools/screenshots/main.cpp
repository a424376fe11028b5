// Takes pictures of the main window at each access level, with a full recipient list, and of the
// port settings and login windows, for looking at the console as a user sees it. Run through
// tools/screenshots.sh, which starts it under Xvfb in both languages.
#include "Database.h"
#include "LoginDialog.h"
#include "MainWindow.h"
#include "PortSettingsWindow.h"
#include "Translations.h"
#include "UnitSession.h"

#include <QApplication>
#include <QComboBox>
#include <QDir>
#include <QPlainTextEdit>
#include <QScreen>
#include <QTest>

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

    const auto grabDialog = [&](QWidget& dialog, const char* name) {
        dialog.show();
        if (!QTest::qWaitForWindowExposed(&dialog))
            return;
        QTest::qWait(100);
        dialog.screen()->grabWindow(0).save(
            QStringLiteral("%1/%2-%3.png")
                .arg(QString::fromLocal8Bit(argv[1]), QString::fromLatin1(name), suffix));
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
    QTest::qWait(100);
    window.screen()->grabWindow(0).save(
        QStringLiteral("%1/main-full-list-%2.png").arg(QString::fromLocal8Bit(argv[1]), suffix));

    PortSettingsWindow ports(window.session().portSlot(),
                             {{QStringLiteral("/home/operator/tavolux/demo/unit-ttyS0ab"),
                               QStringLiteral("USB-Serial Controller D")},
                              {QStringLiteral("ttyS0"), {}}},
                             &window);
    ports.portList()->setCurrentIndex(0);
    grabDialog(ports, "port-settings");
    LoginDialog login(&window);
    grabDialog(login, "login");
    return 0;
}
