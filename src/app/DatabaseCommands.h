#pragma once

#include "Database.h"
#include "FileDialog.h"

#include <QObject>
#include <QString>

class QWidget;

// File New, Open, Save and Save As over the database, and the save question that comes before
// anything replaces unsaved work. The window that owns it routes its menu commands here.
class DatabaseCommands : public QObject {
    Q_OBJECT
public:
    DatabaseCommands(Database& database, QWidget* window);

    QString currentPath() const { return currentPath_; }
    void setCurrentPath(const QString& path);
    // Start-up could not read the file at path: it stays the current database path, but Save
    // and the save question ask for a name (as Save As) until the user chooses a file.
    void setCurrentPathUnread(const QString& path);

    // Asks "Do You wish to save your current database?" when there are unsaved changes.
    // False means the operation that asked must not go on: the user cancelled, or the save failed.
    bool promptSaveChanges();

    void fileNew();
    void fileOpen();
    bool fileSave();
    bool fileSaveAs();

    // When the console is ended with nobody to answer the save question (a signal, the end of the
    // desktop session), unsaved changes go to the recovery files beside the current database
    // instead of over it. False when they could not be written (said on stderr).
    bool keepRecoveryCopy();
    // At start-up: when recovery files wait beside the current database, says so and offers to
    // open them. Yes loads them as unsaved changes to the current database (the files stay until
    // it is saved); No leaves them where they are, to be offered again at the next start.
    void offerRecovery();

    // The warning for a database file that opened with the default contents.
    static void warnDamaged(QWidget* parent, const QString& path, const DatabaseReadResult& result);
    // The warning for a database file that start-up could not read: which, why, and that it is
    // left as it is.
    static void warnUnread(QWidget* parent, const QString& path, const DatabaseReadResult& result);

signals:
    // The image was replaced (New, Open): lists built from it must be rebuilt.
    void databaseReplaced();
    void currentPathChanged(const QString& path);

private:
    FileDialog::Request dialogRequest(FileDialog::Mode mode, const QString& caption) const;
    bool saveTo(const QString& path);

    Database& database_;
    QWidget* window_;
    QString currentPath_;
    bool currentFileUnread_ = false;
    // The recovery files that the unsaved changes came from; gone once the database is saved.
    QString recoveryInUse_;
};
