#include "MainWindow.h"

#include "DatabaseCommands.h"

#include <QCloseEvent>
#include <QLabel>
#include <QMenuBar>

MainWindow::MainWindow(Database& database, QWidget* parent)
    : QMainWindow(parent)
    , commands_(new DatabaseCommands(database, this))
    , pathLabel_(new QLabel(this))
{
    setWindowTitle(tr("Tavolux"));
    setMinimumSize(522, 480);
    pathLabel_->setAlignment(Qt::AlignCenter);
    pathLabel_->setWordWrap(true);
    setCentralWidget(pathLabel_);

    QMenu* file = menuBar()->addMenu(tr("&File"));
    file->addAction(tr("&New"), commands_, &DatabaseCommands::fileNew);
    file->addAction(tr("&Open"), commands_, &DatabaseCommands::fileOpen);
    file->addSeparator();
    file->addAction(tr("&Save"), commands_, &DatabaseCommands::fileSave);
    file->addAction(tr("Save &As"), commands_, &DatabaseCommands::fileSaveAs);
    file->addSeparator();
    file->addAction(tr("E&xit"), this, &QWidget::close);

    connect(commands_, &DatabaseCommands::currentPathChanged, this, &MainWindow::showPath);
}

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

void MainWindow::bringToFront()
{
    setWindowState((windowState() & ~Qt::WindowMinimized) | Qt::WindowActive);
    show();
    raise();
    activateWindow();
}

void MainWindow::closeEvent(QCloseEvent* event)
{
    if (commands_->promptSaveChanges())
        event->accept();
    else
        event->ignore();
}
