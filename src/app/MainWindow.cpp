#include "MainWindow.h"

#include "Database.h"
#include "DatabaseCommands.h"
#include "MessageBox.h"
#include "PortSettingsWindow.h"
#include "SerialPort.h"
#include "SettingsStore.h"
#include "TransferWindow.h"
#include "UnitSession.h"
#include "UnitStatusWindow.h"

#include <QCloseEvent>
#include <QFormLayout>
#include <QIntValidator>
#include <QLabel>
#include <QLineEdit>
#include <QMenuBar>
#include <QProgressBar>
#include <QPushButton>
#include <QStatusBar>

MainWindow::MainWindow(Database& database, QWidget* parent)
    : QMainWindow(parent)
    , database_(database)
    , commands_(new DatabaseCommands(database, this))
    , session_(new UnitSession(*this, this))
    , pathLabel_(new QLabel(this))
    , recipient_(new QLineEdit(this))
    , message_(new QLineEdit(this))
    , progress_(new QProgressBar(this))
    , linkState_(new QLabel(this))
{
    setWindowTitle(tr("Tavolux"));
    setMinimumSize(522, 480);

    QMenu* file = menuBar()->addMenu(tr("&File"));
    file->addAction(tr("&New"), commands_, &DatabaseCommands::fileNew);
    file->addAction(tr("&Open"), commands_, &DatabaseCommands::fileOpen);
    file->addSeparator();
    file->addAction(tr("&Save"), commands_, &DatabaseCommands::fileSave);
    file->addAction(tr("Save &As"), commands_, &DatabaseCommands::fileSaveAs);
    file->addSeparator();
    file->addAction(tr("&Upload From Tavolux"), session_, &UnitSession::UploadCommand);
    file->addAction(tr("&Download To Tavolux"), session_, &UnitSession::DownloadCommand);
    file->addSeparator();
    file->addAction(tr("&Connect To Tavolux"), session_, &UnitSession::ConnectCommand);
    file->addAction(tr("D&isconnect From Tavolux"), session_, &UnitSession::DisconnectCommand);
    file->addAction(tr("Conn&ection Settings"), session_, &UnitSession::ConnectionSettingsCommand);
    file->addSeparator();
    file->addAction(tr("E&xit"), this, &QWidget::close);
    QMenu* view = menuBar()->addMenu(tr("&View"));
    view->addAction(tr("&Status"), session_, &UnitSession::StatusCommand);

    recipient_->setValidator(new QIntValidator(0, 9999, recipient_));
    message_->setMaxLength(200);
    progress_->setRange(0, 100);
    progress_->setValue(0);
    auto* send = new QPushButton(tr("&Send"), this);
    auto* central = new QWidget(this);
    auto* form = new QFormLayout(central);
    pathLabel_->setWordWrap(true);
    form->addRow(pathLabel_);
    form->addRow(tr("Recipient"), recipient_);
    form->addRow(tr("Message to send"), message_);
    form->addRow(send);
    form->addRow(tr("Sending..."), progress_);
    setCentralWidget(central);
    statusBar()->addWidget(linkState_, 1);
    linkState_->setText(QStringLiteral("  ") + tr("Offline"));

    connect(send, &QPushButton::clicked, this, &MainWindow::sendCommand);
    connect(message_, &QLineEdit::returnPressed, this, &MainWindow::sendCommand);
    connect(commands_, &DatabaseCommands::currentPathChanged, this, &MainWindow::showPath);
    connect(session_, &UnitSession::onlineChanged, this, &MainWindow::showLinkState);
    connect(session_, &UnitSession::pageProgress, progress_, &QProgressBar::setValue);
    connect(&tick_, &QTimer::timeout, session_, &UnitSession::PumpPages);

    session_->openPort(SettingsStore::portSettings());
    tick_.start(50);
}

MainWindow::~MainWindow() = default;

QString MainWindow::databasePath() const
{
    return commands_->currentPath();
}

void MainWindow::setDatabasePath(const QString& path)
{
    commands_->setCurrentPath(path);
    showPath(path);
}

void MainWindow::showPath(const QString& path)
{
    pathLabel_->setText(tr("Database: %1").arg(path));
}

void MainWindow::showLinkState(bool online)
{
    linkState_->setText(QStringLiteral("  ") + (online ? tr("Connected") : tr("Not Connected")));
}

void MainWindow::sendCommand()
{
    if (recipient_->text().isEmpty())
        return;
    session_->QueuePage(UnitSession::pageRecord(static_cast<uint16_t>(recipient_->text().toUInt()),
                                                message_->text()));
    if (session_->isOnline())
        message_->clear();
}

void MainWindow::bringToFront()
{
    setWindowState((windowState() & ~Qt::WindowMinimized) | Qt::WindowActive);
    show();
    raise();
    activateWindow();
}

void MainWindow::closeEvent(QCloseEvent* event)
{
    if (!commands_->promptSaveChanges()) {
        event->ignore();
        return;
    }
    session_->Leave();
    event->accept();
}

void MainWindow::inform(const QString& text)
{
    MessageBox::information(this, text);
}

void MainWindow::alert(const QString& text)
{
    MessageBox::beep();
    MessageBox::message(this, text);
}

bool MainWindow::confirm(const QString& text)
{
    return MessageBox::question(this, text, QMessageBox::Yes | QMessageBox::No, QMessageBox::No) ==
           QMessageBox::Yes;
}

PortSettings MainWindow::savedPortSettings()
{
    return SettingsStore::portSettings();
}

void MainWindow::saveDatabase()
{
    commands_->fileSave();
}

bool MainWindow::runImageTransfer(uint8_t type)
{
    TransferWindow window(*session_->port(), database_.image(), type, this);
    return window.exec() == QDialog::Accepted;
}

void MainWindow::runStatusWindow()
{
    UnitStatusWindow window(*session_->port(), this);
    window.exec();
}

// The firmware and voice prompt updates come with their own windows later.
void MainWindow::runFirmwareUpdate() {}

void MainWindow::runVoicePromptUpdate() {}

void MainWindow::runConnectionSettings()
{
    PortSettingsWindow window(session_->portSlot(), this);
    window.exec();
}

void MainWindow::imageReplaced()
{
    emit commands_->databaseReplaced();
}
