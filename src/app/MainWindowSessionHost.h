#pragma once

#include "UnitSessionHost.h"

#include <functional>

class Database;
class DatabaseCommands;
class QWidget;
class UnitSession;

// The unit session's host in the console: what the session has to say, and the transfer, status,
// update and port settings windows it opens, come up over the main window.
class MainWindowSessionHost : public UnitSessionHost {
public:
    // Starts the session, a child of the window, with this host; imageReplaced rebuilds what the
    // window shows from the image.
    MainWindowSessionHost(QWidget& window, Database& database, DatabaseCommands& commands,
                          std::function<void()> imageReplaced);

    UnitSession& session() const { return *session_; }

    void inform(const QString& text) override;
    void alert(const QString& text) override;
    bool confirm(const QString& text) override;
    PortSettings savedPortSettings() override;
    void saveDatabase() override;
    bool runImageTransfer(uint8_t type) override;
    bool runStatusWindow() override;
    void runFirmwareUpdate() override;
    void runVoicePromptUpdate() override;
    void runConnectionSettings() override;
    void imageReplaced() override;

private:
    QWidget& window_;
    Database& database_;
    DatabaseCommands& commands_;
    std::function<void()> imageReplaced_;
    UnitSession* session_;
};
