#pragma once

#include "UnitSessionHost.h"

#include <QMainWindow>
#include <QTimer>

class Database;
class DatabaseCommands;
class QLabel;
class QLineEdit;
class QProgressBar;
class UnitSession;

// The console's main window: the database in use with the File commands over it, the unit
// commands, and a line to page a local ID.
class MainWindow : public QMainWindow, public UnitSessionHost {
    Q_OBJECT
public:
    explicit MainWindow(Database& database, QWidget* parent = nullptr);
    ~MainWindow() override;

    QString databasePath() const;
    void setDatabasePath(const QString& path);
    DatabaseCommands& databaseCommands() { return *commands_; }
    UnitSession& session() { return *session_; }

    // Brings the window to the front, restoring it when minimised.
    void bringToFront();
    // Queues the typed message for the typed local ID.
    void sendCommand();

    // What the unit session needs from its window.
    void inform(const QString& text) override;
    void alert(const QString& text) override;
    bool confirm(const QString& text) override;
    PortSettings savedPortSettings() override;
    void saveDatabase() override;
    bool runImageTransfer(uint8_t type) override;
    void runStatusWindow() override;
    void runFirmwareUpdate() override;
    void runVoicePromptUpdate() override;
    void runConnectionSettings() override;
    void imageReplaced() override;

protected:
    void closeEvent(QCloseEvent* event) override;

private:
    void showPath(const QString& path);
    void showLinkState(bool online);

    Database& database_;
    DatabaseCommands* commands_;
    UnitSession* session_;
    QLabel* pathLabel_;
    QLineEdit* recipient_;
    QLineEdit* message_;
    QProgressBar* progress_;
    QLabel* linkState_;
    QTimer tick_;
};
