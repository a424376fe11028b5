#pragma once

#include <QMainWindow>

class Database;
class DatabaseCommands;
class QLabel;

// The console's main window: for now the database in use and the File commands over it.
class MainWindow : public QMainWindow {
    Q_OBJECT
public:
    explicit MainWindow(Database& database, QWidget* parent = nullptr);

    QString databasePath() const;
    void setDatabasePath(const QString& path);
    DatabaseCommands& databaseCommands() { return *commands_; }

    // Brings the window to the front, restoring it when minimised.
    void bringToFront();

protected:
    void closeEvent(QCloseEvent* event) override;

private:
    void showPath(const QString& path);

    DatabaseCommands* commands_;
    QLabel* pathLabel_;
};
