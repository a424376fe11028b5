#include "CommandTable.h"

#include <QtGlobal>

#include <algorithm>

namespace CommandTable {

namespace {

// The rows in menu order; the buttons stand in the order of their places.
const Command Commands[] = {
    {NewCommand, QT_TRANSLATE_NOOP("MainWindow", "&New"), Menu::File, 0, Maintenance},
    {OpenCommand, QT_TRANSLATE_NOOP("MainWindow", "&Open"), Menu::File, 0, Everyone},
    {SaveCommand, QT_TRANSLATE_NOOP("MainWindow", "&Save"), Menu::File, 1, AtALevel},
    {SaveAsCommand, QT_TRANSLATE_NOOP("MainWindow", "Save &As"), Menu::File, 1, AtALevel},
    {LoginCommand, QT_TRANSLATE_NOOP("MainWindow", "&Login"), Menu::File, 2, Everyone},
    {LogoutCommand, QT_TRANSLATE_NOOP("MainWindow", "Lo&gout"), Menu::File, 2, Everyone, nullptr,
     Enabled::LoggedIn},
    {UploadCommand, QT_TRANSLATE_NOOP("MainWindow", "&Upload From Tavolux"), Menu::File, 3,
     AtALevel, nullptr, Enabled::Online},
    {DownloadCommand, QT_TRANSLATE_NOOP("MainWindow", "&Download To Tavolux"), Menu::File, 3,
     AtALevel, nullptr, Enabled::Online},
    {ConnectCommand, QT_TRANSLATE_NOOP("MainWindow", "&Connect To Tavolux"), Menu::File, 4,
     Everyone, nullptr, Enabled::Offline},
    {DisconnectCommand, QT_TRANSLATE_NOOP("MainWindow", "D&isconnect From Tavolux"), Menu::File, 4,
     Everyone, nullptr, Enabled::Online},
    {ConnectionSettingsCommand, QT_TRANSLATE_NOOP("MainWindow", "Conn&ection Settings"), Menu::File,
     4, Everyone},
    {GatewaySettingsCommand, QT_TRANSLATE_NOOP("MainWindow", "Ga&teway Settings..."), Menu::File, 4,
     Maintenance},
    {UpdateTavoluxCommand, QT_TRANSLATE_NOOP("MainWindow", "U&pdate Tavolux"), Menu::File, 5,
     Maintenance, nullptr, Enabled::Offline},
    {UpdateVoicePromptsCommand, QT_TRANSLATE_NOOP("MainWindow", "Update &Voice Prompts"),
     Menu::File, 5, Maintenance, nullptr, Enabled::Online},
    {ExitCommand, QT_TRANSLATE_NOOP("MainWindow", "E&xit"), Menu::File, 6, Everyone},

    {PagersCommand,
     QT_TRANSLATE_NOOP("MainWindow", "&Pagers"),
     Menu::Edit,
     0,
     AtALevel,
     QT_TRANSLATE_NOOP("MainWindow", "Ctrl+P"),
     Enabled::Always,
     {QT_TRANSLATE_NOOP("MainWindow", "Pagers"), "pagers", 2}},
    {GroupsCommand,
     QT_TRANSLATE_NOOP("MainWindow", "&Groups"),
     Menu::Edit,
     0,
     AtALevel,
     QT_TRANSLATE_NOOP("MainWindow", "Ctrl+G"),
     Enabled::Always,
     {QT_TRANSLATE_NOOP("MainWindow", "Groups"), "groups", 3}},
    {AlarmsCommand,
     QT_TRANSLATE_NOOP("MainWindow", "&Alarms"),
     Menu::Edit,
     1,
     Maintenance,
     QT_TRANSLATE_NOOP("MainWindow", "Ctrl+A"),
     Enabled::Always,
     {QT_TRANSLATE_NOOP("MainWindow", "Alarms"), "alarms", 0}},
    {ReminderMessagesCommand,
     QT_TRANSLATE_NOOP("MainWindow", "&Reminder Messages"),
     Menu::Edit,
     2,
     AtALevel,
     QT_TRANSLATE_NOOP("MainWindow", "Ctrl+I"),
     Enabled::Always,
     {QT_TRANSLATE_NOOP("MainWindow", "Reminders"), "reminders", 1}},
    {CommonMessagesCommand,
     QT_TRANSLATE_NOOP("MainWindow", "&Common Messages"),
     Menu::Edit,
     2,
     AtALevel,
     QT_TRANSLATE_NOOP("MainWindow", "Ctrl+C"),
     Enabled::Always,
     {QT_TRANSLATE_NOOP("MainWindow", "Common"), "common", 4}},
    {FunctionKeysCommand,
     QT_TRANSLATE_NOOP("MainWindow", "&Function Keys"),
     Menu::Edit,
     2,
     AtALevel,
     QT_TRANSLATE_NOOP("MainWindow", "Ctrl+F"),
     Enabled::Always,
     {QT_TRANSLATE_NOOP("MainWindow", "Function"), "function", 5}},
    {SettingsCommand,
     QT_TRANSLATE_NOOP("MainWindow", "&Settings"),
     Menu::Edit,
     3,
     Maintenance,
     QT_TRANSLATE_NOOP("MainWindow", "Ctrl+S"),
     Enabled::Always,
     {QT_TRANSLATE_NOOP("MainWindow", "Settings"), "settings", 6}},

    {ViewPagersCommand, QT_TRANSLATE_NOOP("MainWindow", "&Pagers"), Menu::View, 0, Everyone},
    {ViewGroupsCommand, QT_TRANSLATE_NOOP("MainWindow", "&Groups"), Menu::View, 0, Everyone},
    {ViewAlarmsCommand, QT_TRANSLATE_NOOP("MainWindow", "&Alarms"), Menu::View, 0, Everyone},
    {ViewPageHistoryCommand, QT_TRANSLATE_NOOP("MainWindow", "Page &History"), Menu::View, 0,
     Everyone},
    {StatusCommand, QT_TRANSLATE_NOOP("MainWindow", "&Status"), Menu::View, 0, Everyone, nullptr,
     Enabled::Online},

    {AboutCommand, QT_TRANSLATE_NOOP("MainWindow", "&About"), Menu::Bar, 0, Everyone},
};

const MenuTitle Menus[] = {
    {Menu::File, QT_TRANSLATE_NOOP("MainWindow", "&File")},
    {Menu::Edit, QT_TRANSLATE_NOOP("MainWindow", "&Edit")},
    {Menu::View, QT_TRANSLATE_NOOP("MainWindow", "&View")},
};

} // namespace

std::span<const Command> commands()
{
    return Commands;
}

const Command* find(int id)
{
    const auto row = std::ranges::find(Commands, id, &Command::id);
    return row == std::ranges::end(Commands) ? nullptr : row;
}

std::span<const MenuTitle> menus()
{
    return Menus;
}

} // namespace CommandTable
