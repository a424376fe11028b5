#pragma once

#include "AccessLevel.h"
#include "CommandId.h"

#include <span>

// Every command of the main window, one row each: where it stands in the menus, who may run it,
// its accelerator, when its menu item is greyed and the picture button that runs it. The window
// builds its menus, shortcuts, buttons, greying and level check from these rows alone, so that a
// new command is one more row (and what it does, in MainWindow::runCommand).
//
// The texts are for tr() in the "MainWindow" context, where the Spanish catalogue has them.
namespace CommandTable {

enum class Menu {
    File,
    Edit,
    View,
    Bar, // an item on the menu bar itself
};

// A command's levels: those whose menus show it and that may run it, by whatever way.
enum Levels : unsigned {
    Operator = 1u << AccessLevel::Operator,
    Administrator = 1u << AccessLevel::Administrator,
    Maintenance = 1u << AccessLevel::Maintenance,
    AtALevel = Administrator | Maintenance,
    Everyone = Operator | AtALevel,
};

// When a shown menu item may be chosen, looked at each time its menu opens.
enum class Enabled { Always, Offline, Online, LoggedIn };

// The button on the row along the window's top that runs the command.
struct Picture {
    const char* caption = nullptr; // none: the command has no button
    const char* icon = nullptr;    // picture name in the resources
    int place = 0;                 // 0 for the leftmost
};

struct Command {
    CommandId id;
    const char* text; // without the accelerator, which the menu shows after a tab
    Menu menu;
    // A separator stands between two groups of a menu that both show an item.
    int group;
    unsigned levels;
    // Works whatever the menu bar shows; the level check stops it below the levels. Spanish
    // has its own letters for two of them (see the catalogue).
    const char* accelerator = nullptr;
    Enabled enabled = Enabled::Always;
    Picture picture = {};

    bool allows(AccessLevel::Level level) const { return (levels & (1u << level)) != 0; }
};

struct MenuTitle {
    Menu menu;
    const char* title;
};

std::span<const Command> commands();
// The row of a command, or null when the id has none.
const Command* find(int id);
// The menus in the order of the menu bar; the items of Menu::Bar follow them.
std::span<const MenuTitle> menus();

} // namespace CommandTable
