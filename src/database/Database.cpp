#include "Database.h"

#include "AtomicFile.h"

#include <QBuffer>
#include <QDir>
#include <QFile>
#include <QFileInfo>

namespace {

// The damaged file is kept beside the original; an earlier copy is not overwritten.
QString keepDamagedCopy(const QString& path)
{
    QString copyPath = path + QStringLiteral(".damaged");
    for (int n = 2; QFileInfo::exists(copyPath); ++n)
        copyPath = path + QStringLiteral(".damaged.%1").arg(n);
    return QFile::copy(path, copyPath) ? copyPath : QString();
}

} // namespace

Database& Database::instance()
{
    static Database database;
    return database;
}

QString Database::defaultDatabasePath(const QString& directory)
{
    return directory + QDir::separator() + QStringLiteral("tavoluxDB.dat");
}

DatabaseReadResult::Status Database::readDatabaseFrom(QIODevice& device)
{
    char version = 0;
    if (!device.getChar(&version) || static_cast<uint8_t>(version) != VersionByte)
        return DatabaseReadResult::Refused;
    ConfigurationImage::Bytes bytes;
    if (device.read(reinterpret_cast<char*>(bytes.data()), bytes.size()) !=
        static_cast<qint64>(bytes.size()))
        return DatabaseReadResult::Refused;

    image_.setBytes(bytes);
    DatabaseReadResult::Status status = DatabaseReadResult::Read;
    if (image_.computeChecksum() != image_.checksum()) {
        image_.resetToDefaults();
        status = DatabaseReadResult::ChecksumMismatch;
    }
    image_.repairImage();
    modified_ = false;
    return status;
}

DatabaseReadResult Database::readDatabaseFile(const QString& path, ReadPurpose purpose)
{
    DatabaseReadResult result;
    // A FIFO or a device would keep the read waiting for bytes that may never come.
    if (!QFileInfo(path).isFile())
        return result;
    const bool editing = purpose == ReadPurpose::Edit;
    QFile file(path);
    if (!file.open((editing ? QIODevice::ReadWrite : QIODevice::ReadOnly) |
                   QIODevice::ExistingOnly))
        return result;
    result.status = readDatabaseFrom(file);
    file.close();
    if (editing && result.status == DatabaseReadResult::ChecksumMismatch)
        result.damagedCopyPath = keepDamagedCopy(path);
    return result;
}

bool Database::writeDatabaseFile(const QString& path, QString* error)
{
    image_.setChecksum(image_.computeChecksum());
    QByteArray file;
    file.reserve(FileSize);
    file.append(static_cast<char>(VersionByte));
    file.append(reinterpret_cast<const char*>(image_.bytes().data()), ConfigurationImage::Size);
    if (!AtomicFile::replace(path, file, error))
        return false;
    modified_ = false;
    return true;
}

void Database::readNamesFile(const QString& databasePath, ReadPurpose purpose)
{
    const QString path = namesFilePath(databasePath);
    QFile file(path);
    if (!file.exists()) {
        if (purpose == ReadPurpose::Inspect)
            return;
        // Leave an empty names file beside the database, as a new database has.
        QFile created(path);
        if (created.open(QIODevice::WriteOnly | QIODevice::NewOnly))
            created.close();
        return;
    }
    if (QFileInfo(path).isFile() && file.open(QIODevice::ReadOnly))
        names_.readFrom(file);
}

bool Database::writeNamesFile(const QString& databasePath, QString* error)
{
    QBuffer buffer;
    buffer.open(QIODevice::WriteOnly);
    names_.writeTo(buffer);
    return AtomicFile::replace(namesFilePath(databasePath), buffer.data(), error);
}
