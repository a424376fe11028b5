#include "Database.h"

#include "AtomicFile.h"

#include <QBuffer>
#include <QDir>
#include <QFile>
#include <QFileInfo>

namespace {

bool sameContents(const QString& a, const QString& b)
{
    QFile first(a);
    QFile second(b);
    if (!QFileInfo(b).isFile() || first.size() != second.size() ||
        !first.open(QIODevice::ReadOnly) || !second.open(QIODevice::ReadOnly))
        return false;
    return first.readAll() == second.readAll();
}

} // namespace

Database& Database::instance()
{
    static Database database;
    return database;
}

QString Database::keepDamagedCopy(const QString& path)
{
    // Copying a FIFO would wait for a writer; a folder or a device is nothing to keep.
    if (!QFileInfo(path).isFile())
        return {};
    // An earlier copy is not overwritten; one that holds these very bytes already (kept at an
    // earlier start) serves again rather than piling up a copy per start.
    QString copyPath = path + QStringLiteral(".damaged");
    for (int n = 2; QFileInfo::exists(copyPath); ++n) {
        if (sameContents(path, copyPath))
            return copyPath;
        copyPath = path + QStringLiteral(".damaged.%1").arg(n);
    }
    return QFile::copy(path, copyPath) ? copyPath : QString();
}

QString Database::defaultDatabasePath(const QString& directory)
{
    return directory + QDir::separator() + QStringLiteral("tavoluxDB.dat");
}

DatabaseReadResult Database::readDatabaseFrom(QIODevice& device)
{
    DatabaseReadResult result;
    char version = 0;
    if (!device.getChar(&version)) {
        result.refusal = DatabaseReadResult::TooShort;
        return result;
    }
    if (static_cast<uint8_t>(version) != VersionByte) {
        result.refusal = DatabaseReadResult::OtherVersion;
        result.versionByte = static_cast<uint8_t>(version);
        return result;
    }
    ConfigurationImage::Bytes bytes;
    if (device.read(reinterpret_cast<char*>(bytes.data()), bytes.size()) !=
        static_cast<qint64>(bytes.size())) {
        result.refusal = DatabaseReadResult::TooShort;
        return result;
    }

    image_.setBytes(bytes);
    result.status = DatabaseReadResult::Read;
    if (image_.computeChecksum() != image_.checksum()) {
        image_.resetToDefaults();
        result.status = DatabaseReadResult::ChecksumMismatch;
    }
    image_.repairImage();
    modified_ = false;
    return result;
}

DatabaseReadResult Database::readDatabaseFile(const QString& path, ReadPurpose purpose)
{
    DatabaseReadResult result;
    const QFileInfo info(path);
    if (!info.exists()) {
        result.refusal = DatabaseReadResult::Missing;
        return result;
    }
    // A FIFO or a device would keep the read waiting for bytes that may never come.
    if (!info.isFile()) {
        result.refusal = DatabaseReadResult::NotAFile;
        return result;
    }
    const bool editing = purpose == ReadPurpose::Edit;
    QFile file(path);
    if (!file.open((editing ? QIODevice::ReadWrite : QIODevice::ReadOnly) |
                   QIODevice::ExistingOnly)) {
        result.refusal = DatabaseReadResult::CannotOpen;
        result.openError = file.errorString();
        return result;
    }
    result = readDatabaseFrom(file);
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
