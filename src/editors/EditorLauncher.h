#pragma once

class Database;
class QWidget;
class UnitSession;

// Opens the editor a main-window command names, modal, through ModalRunner. The main window
// calls it for every editor command and refreshes what depends on the image when it returns
// true (an editor was open).
class EditorLauncher {
public:
    static bool open(int command, QWidget* parent, Database& database, UnitSession& session);
};
