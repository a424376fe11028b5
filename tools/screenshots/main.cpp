// Takes pictures of the main window at each access level, for looking at the console as a user
// sees it. Run through tools/screenshots.sh, which starts it under Xvfb in both languages.
#include "Database.h"
#include "FileDialog.h"
#include "FirmwareUpdateWindow.h"
#include "MainWindow.h"
#include "SerialPort.h"
#include "Translations.h"
#include "VoiceUpdateWindow.h"

#include <QApplication>
#include <QDir>
#include <QPlainTextEdit>
#include <QScreen>
#include <QTest>

#include <cstdlib>
#include <fcntl.h>
#include <unistd.h>

namespace {

void save(QWidget& window, const QString& folder, const QString& name, const QString& suffix)
{
    QTest::qWait(100);
    const QString file = QStringLiteral("%1/%2-%3.png").arg(folder, name, suffix);
    window.grab().save(file);
    std::printf("%s\n", qPrintable(file));
}

// The update windows in each of their modes, on a pseudo-terminal nobody answers.
void updateWindows(const QString& folder, const QString& suffix)
{
    const int master = ::posix_openpt(O_RDWR | O_NOCTTY);
    if (master < 0 || ::grantpt(master) != 0 || ::unlockpt(master) != 0)
        return;
    SerialPort port(QString::fromLocal8Bit(::ptsname(master)), 9600, 8, 0, 0, 1, 1);
    FirmwareUpdateWindow firmware(port);
    firmware.show();
    save(firmware, folder, QStringLiteral("firmware-browse"), suffix);
    QFile hex(folder + QStringLiteral("/firmware.hex"));
    if (hex.open(QIODevice::WriteOnly))
        hex.write(":00000001FF\n");
    hex.close();
    FileDialog::setScripted(true);
    FileDialog::setNextFileName(hex.fileName());
    firmware.act();
    save(firmware, folder, QStringLiteral("firmware-start"), suffix);
    firmware.act();
    save(firmware, folder, QStringLiteral("firmware-abort"), suffix);
    firmware.act();

    VoiceUpdateWindow voice(port, folder);
    voice.show();
    save(voice, folder, QStringLiteral("voice"), suffix);
    ::close(master);
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
    updateWindows(QString::fromLocal8Bit(argv[1]), suffix);
    window.resize(800, 600);
    QTest::qWait(100);
    window.screen()->grabWindow(0).save(
        QStringLiteral("%1/main-wide-%2.png").arg(QString::fromLocal8Bit(argv[1]), suffix));
    return 0;
}
