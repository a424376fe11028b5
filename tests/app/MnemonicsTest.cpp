// Every menu and every window a user reaches, in both languages at each access level: no two
// items of one menu, and no two of the buttons, labelled fields and menu-bar titles of one window,
// share an Alt+letter. A new window joins by adding its line to the table in windowsToCheck().
#include "../support/Mnemonics.h"
#include "../support/PseudoTerminal.h"
#include "AlarmsDialog.h"
#include "BlockTransfer.h"
#include "CommonMessagesDialog.h"
#include "Database.h"
#include "FunctionKeysDialog.h"
#include "GatewayCredentialDialog.h"
#include "GatewaySettingsWindow.h"
#include "LoginDialog.h"
#include "MainWindow.h"
#include "MessageBox.h"
#include "PortSettingsWindow.h"
#include "ReminderMessagesDialog.h"
#include "SerialPort.h"
#include "SettingsSheet.h"
#include "TransferWindow.h"
#include "UnitStatusWindow.h"

#include <QMenuBar>
#include <QSettings>
#include <QTest>

#include <gtest/gtest.h>

#include <functional>
#include <optional>

namespace {

// What a window needs that the main window does not give it: a line to a unit that stays quiet.
struct Surroundings {
    PseudoTerminal pty;
    std::unique_ptr<SerialPort> port;
    std::unique_ptr<SerialPort> noPort;
    ConfigurationImage image;
    Database database;
};

struct WindowToCheck {
    const char* name;
    std::function<std::unique_ptr<QWidget>(MainWindow&, Surroundings&)> open;
};

const QList<WindowToCheck>& windowsToCheck()
{
    static const QList<WindowToCheck> windows = {
        {"login",
         [](MainWindow& main, Surroundings&) {
             return std::make_unique<LoginDialog>(&main);
         }},
        {"port settings",
         [](MainWindow& main, Surroundings& s) {
             return std::make_unique<PortSettingsWindow>(s.noPort, &main);
         }},
        {"transfer",
         [](MainWindow& main, Surroundings& s) {
             return std::make_unique<TransferWindow>(*s.port, s.image, BlockTransfer::ImageToUnit,
                                                     &main);
         }},
        {"status",
         [](MainWindow& main, Surroundings& s) {
             return std::make_unique<UnitStatusWindow>(*s.port, &main);
         }},
        {"alarms",
         [](MainWindow& main, Surroundings& s) {
             return std::make_unique<AlarmsDialog>(s.database, &main);
         }},
        {"reminder messages",
         [](MainWindow& main, Surroundings& s) {
             return std::make_unique<ReminderMessagesDialog>(s.database, &main);
         }},
        {"common messages",
         [](MainWindow& main, Surroundings& s) {
             return std::make_unique<CommonMessagesDialog>(s.database, &main);
         }},
        {"function keys",
         [](MainWindow& main, Surroundings& s) {
             return std::make_unique<FunctionKeysDialog>(s.database, &main);
         }},
        {"gateway settings",
         [](MainWindow& main, Surroundings&) {
             return std::make_unique<GatewaySettingsWindow>(GatewaySettings{}, &main);
         }},
        {"new gateway login",
         [](MainWindow& main, Surroundings&) {
             return std::make_unique<GatewayCredentialDialog>(GatewayCredentialDialog::Kind::Login,
                                                              QStringList(), &main);
         }},
        // Its other pages: SettingsSheetTest goes through them one by one.
        {"settings",
         [](MainWindow& main, Surroundings& s) {
             return std::make_unique<SettingsSheet>(s.database, &main);
         }},
    };
    return windows;
}

struct Level {
    const char* name;
    std::optional<QString> password; // none: the operator level the console starts at
};

void expectNone(const QStringList& clashes, const std::string& where)
{
    EXPECT_TRUE(clashes.isEmpty()) << where << ": " << clashes.join(u'\n').toStdString();
}

} // namespace

TEST(Mnemonics, NoTwoItemsOfAMenuOrAWindowShareALetterInEitherLanguageAtAnyLevel)
{
    QSettings().clear();
    MessageBox::resetScript();
    Surroundings surroundings;
    ASSERT_TRUE(surroundings.pty.isOpen());
    surroundings.port =
        std::make_unique<SerialPort>(surroundings.pty.slavePath(), 57600, 8, 0, 0, 1, 1);
    ASSERT_TRUE(surroundings.port->IsOpen());

    const Level levels[] = {{"operator", std::nullopt},
                            {"administrator", QString()},
                            {"maintenance", QStringLiteral("482915")}};
    for (const bool spanish : {false, true}) {
        std::optional<mnemonics::SpanishTexts> texts;
        if (spanish) {
            texts.emplace();
            ASSERT_TRUE(texts->loaded());
        }
        for (const Level& level : levels) {
            SCOPED_TRACE(std::string(spanish ? "Spanish, " : "English, ") + level.name);
            Database database;
            MainWindow main(database);
            main.show();
            if (level.password)
                main.login(*level.password);
            expectNone(mnemonics::windowClashes(main), "main window");
            int menus = 0;
            for (QAction* title : main.menuBar()->actions()) {
                if (QMenu* menu = title->menu()) {
                    ++menus;
                    expectNone(mnemonics::clashesAmong(mnemonics::menuTexts(*menu)),
                               title->text().toStdString());
                }
            }
            EXPECT_EQ(menus, level.password ? 3 : 2);
            for (const WindowToCheck& entry : windowsToCheck()) {
                const std::unique_ptr<QWidget> window = entry.open(main, surroundings);
                window->show();
                expectNone(mnemonics::windowClashes(*window), entry.name);
            }
        }
    }
    MessageBox::resetScript();
    QSettings().clear();
}
