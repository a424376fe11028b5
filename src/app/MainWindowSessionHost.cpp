#include "MainWindowSessionHost.h"

#include "Database.h"
#include "DatabaseCommands.h"
#include "FirmwareUpdateWindow.h"
#include "MessageBox.h"
#include "PortSettingsWindow.h"
#include "SerialPort.h"
#include "SettingsStore.h"
#include "TavoluxApp.h"
#include "TransferWindow.h"
#include "UnitSession.h"
#include "UnitStatusWindow.h"
#include "VoiceUpdateWindow.h"

MainWindowSessionHost::MainWindowSessionHost(QWidget& window, Database& database,
                                             DatabaseCommands& commands,
                                             std::function<void()> imageReplaced)
    : window_(window)
    , database_(database)
    , commands_(commands)
    , imageReplaced_(std::move(imageReplaced))
    , session_(new UnitSession(*this, &window))
{}

void MainWindowSessionHost::inform(const QString& text)
{
    MessageBox::information(&window_, text);
}

void MainWindowSessionHost::alert(const QString& text)
{
    MessageBox::beep();
    MessageBox::message(&window_, text);
}

bool MainWindowSessionHost::confirm(const QString& text)
{
    return MessageBox::question(&window_, text, QMessageBox::Yes | QMessageBox::No,
                                QMessageBox::No) == QMessageBox::Yes;
}

PortSettings MainWindowSessionHost::savedPortSettings()
{
    return SettingsStore::portSettings();
}

void MainWindowSessionHost::saveDatabase()
{
    commands_.fileSave();
}

bool MainWindowSessionHost::runImageTransfer(uint8_t type)
{
    TransferWindow window(*session_->port(), database_.image(), type, &window_);
    window.setAnswerTimeout(session_->answerTimeoutMs());
    return window.exec() == QDialog::Accepted;
}

bool MainWindowSessionHost::runStatusWindow()
{
    UnitStatusWindow window(*session_->port(), &window_);
    window.setAnswerTimeout(session_->answerTimeoutMs());
    window.exec();
    return !window.requestFailed();
}

void MainWindowSessionHost::runFirmwareUpdate()
{
    FirmwareUpdateWindow window(*session_->port(), &window_);
    window.exec();
}

void MainWindowSessionHost::runVoicePromptUpdate()
{
    VoiceUpdateWindow window(*session_->port(), TavoluxApp::programDirectory(), &window_);
    window.setAnswerTimeout(session_->answerTimeoutMs());
    window.exec();
}

void MainWindowSessionHost::runConnectionSettings()
{
    PortSettingsWindow window(session_->portSlot(), &window_);
    window.exec();
}

void MainWindowSessionHost::imageReplaced()
{
    // The unit's configuration is in no file yet: the save question must protect it.
    database_.markModified();
    imageReplaced_();
}
