#include "DatabaseCommands.h"

#include "MessageBox.h"

#include <QFile>
#include <QFileInfo>

#include <cstdio>

DatabaseCommands::DatabaseCommands(Database& database, QWidget* window)
    : QObject(window)
    , database_(database)
    , window_(window)
{}

void DatabaseCommands::setCurrentPath(const QString& path)
{
    currentFileUnread_ = false;
    if (path == currentPath_)
        return;
    currentPath_ = path;
    emit currentPathChanged(path);
}

void DatabaseCommands::setCurrentPathUnread(const QString& path)
{
    setCurrentPath(path);
    currentFileUnread_ = true;
}

FileDialog::Request DatabaseCommands::dialogRequest(FileDialog::Mode mode,
                                                    const QString& caption) const
{
    FileDialog::Request request;
    request.mode = mode;
    request.caption = caption;
    request.filters = {tr("All") + QStringLiteral(" (*)"), QStringLiteral("Tavolux (*.dat)")};
    request.defaultSuffix = QStringLiteral("dat");
    return request;
}

bool DatabaseCommands::promptSaveChanges()
{
    if (!database_.isModified())
        return true;
    const auto answer =
        MessageBox::question(window_, tr("Do You wish to save your current database?"),
                             QMessageBox::Yes | QMessageBox::No | QMessageBox::Cancel);
    switch (answer) {
    case QMessageBox::Yes:
        return fileSave();
    case QMessageBox::No:
        database_.clearModified();
        return true;
    default:
        return false;
    }
}

// Writes the database and its names; a failure is told to the user and leaves the files that
// were there before untouched. Once the database file is written, path is the current one.
bool DatabaseCommands::saveTo(const QString& path)
{
    QString error;
    if (!database_.writeDatabaseFile(path, &error)) {
        MessageBox::warning(window_,
                            tr("The database could not be saved to %1.\n%2").arg(path, error));
        return false;
    }
    setCurrentPath(path);
    if (!database_.writeNamesFile(path, &error)) {
        database_.markModified();
        MessageBox::warning(window_, tr("The pager and group names could not be saved to %1.\n%2")
                                         .arg(Database::namesFilePath(path), error));
        return false;
    }
    if (!recoveryInUse_.isEmpty() && recoveryInUse_ == Database::recoveryFilePath(path)) {
        QFile::remove(recoveryInUse_);
        QFile::remove(Database::namesFilePath(recoveryInUse_));
        recoveryInUse_.clear();
    }
    return true;
}

bool DatabaseCommands::keepRecoveryCopy()
{
    // The recovery file is what the next start looks for, so it goes last, after its names:
    // whatever stops the writing, the next start finds both or neither. An older pair goes
    // first; these changes replace it.
    const QString recovery = Database::recoveryFilePath(currentPath_);
    const QString recoveryNames = Database::namesFilePath(recovery);
    QFile::remove(recovery);
    QString error;
    QString failed = recoveryNames;
    bool kept = database_.writeNamesFile(recovery, &error);
    if (kept) {
        failed = recovery;
        kept = database_.writeDatabaseFile(recovery, &error);
    }
    if (kept)
        return true;
    if (failed == recovery)
        QFile::remove(recoveryNames);
    // Nobody is there to see a message box any more.
    std::fprintf(stderr, "tavolux: unsaved changes could not be kept in %s: %s\n",
                 qPrintable(failed), qPrintable(error));
    return false;
}

void DatabaseCommands::offerRecovery()
{
    const QString recovery = Database::recoveryFilePath(currentPath_);
    // Without its names, a recovery would take every name away.
    if (!QFileInfo(recovery).isFile() || !QFileInfo(Database::namesFilePath(recovery)).isFile())
        return;
    const auto answer = MessageBox::question(
        window_,
        tr("Tavolux was ended while %1 had unsaved changes. They were kept in %2.\n"
           "Do you want to open them now? They become unsaved changes to %1.")
            .arg(currentPath_, recovery),
        QMessageBox::Yes | QMessageBox::No, QMessageBox::Yes);
    if (answer != QMessageBox::Yes)
        return;
    Database recovered;
    const DatabaseReadResult result = recovered.readDatabaseFile(recovery);
    if (result.status != DatabaseReadResult::Read) {
        MessageBox::warning(window_,
                            tr("%1 could not be opened as a Tavolux database.").arg(recovery));
        return;
    }
    recovered.readNamesFile(recovery);
    database_.image() = recovered.image();
    database_.names() = recovered.names();
    database_.markModified();
    recoveryInUse_ = recovery;
    emit databaseReplaced();
}

void DatabaseCommands::fileNew()
{
    if (!promptSaveChanges())
        return;
    const QString path =
        FileDialog::getFileName(window_, dialogRequest(FileDialog::Mode::Create, tr("New")));
    if (path.isEmpty())
        return;
    setCurrentPath(path);
    database_.image().createImage();
    database_.names().clear();
    // The names file goes with it: names left from the file replaced would be given to the new
    // database's pagers when it is opened again.
    saveTo(path);
    emit databaseReplaced();
}

void DatabaseCommands::fileOpen()
{
    if (!promptSaveChanges())
        return;
    const QString path =
        FileDialog::getFileName(window_, dialogRequest(FileDialog::Mode::OpenExisting, tr("Open")));
    if (path.isEmpty())
        return;
    const DatabaseReadResult result = database_.readDatabaseFile(path);
    if (!result.opened()) {
        MessageBox::warning(window_, tr("%1 could not be opened as a Tavolux database.").arg(path));
        return;
    }
    if (result.status == DatabaseReadResult::ChecksumMismatch)
        warnDamaged(window_, path, result);
    setCurrentPath(path);
    database_.names().clear();
    database_.readNamesFile(path);
    emit databaseReplaced();
}

bool DatabaseCommands::fileSave()
{
    if (currentPath_.isEmpty() || currentFileUnread_)
        return fileSaveAs();
    return saveTo(currentPath_);
}

bool DatabaseCommands::fileSaveAs()
{
    FileDialog::Request request = dialogRequest(FileDialog::Mode::Save, tr("Save As"));
    request.initialPath = currentPath_;
    const QString path = FileDialog::getFileName(window_, request);
    if (path.isEmpty())
        return false;
    return saveTo(path);
}

void DatabaseCommands::warnDamaged(QWidget* parent, const QString& path,
                                   const DatabaseReadResult& result)
{
    QString text = tr("The database file %1 is damaged (its checksum is wrong).\n"
                      "The default contents have been loaded instead.")
                       .arg(path);
    text += u'\n';
    text += result.damagedCopyPath.isEmpty()
                ? tr("The damaged file could not be copied; do not save over it if you need it.")
                : tr("The damaged file has been kept as %1.").arg(result.damagedCopyPath);
    MessageBox::warning(parent, text);
}

void DatabaseCommands::warnUnread(QWidget* parent, const QString& path,
                                  const DatabaseReadResult& result)
{
    QString reason;
    switch (result.refusal) {
    case DatabaseReadResult::NotAFile:
        reason = tr("it is not a regular file");
        break;
    case DatabaseReadResult::CannotOpen:
        reason = tr("it cannot be opened for reading and writing (%1)").arg(result.openError);
        break;
    case DatabaseReadResult::OtherVersion:
        reason = tr("it has the version byte %1, not %2")
                     .arg(result.versionByte)
                     .arg(Database::VersionByte);
        break;
    default:
        reason = tr("it is too short (%1 bytes; a database file has %2)")
                     .arg(QFileInfo(path).size())
                     .arg(Database::FileSize);
        break;
    }
    QString text = tr("The database file %1 could not be read: %2.\n"
                      "The console has started with the default contents. The file is left as "
                      "it is; Save asks for a name until you choose a file.")
                       .arg(path, reason);
    if (!result.damagedCopyPath.isEmpty())
        text += u'\n' + tr("A copy of it has been kept as %1.").arg(result.damagedCopyPath);
    MessageBox::warning(parent, text);
}
