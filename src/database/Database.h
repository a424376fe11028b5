#pragma once

#include "ConfigurationImage.h"
#include "NameTable.h"

class QIODevice;

// What a database file read came to.
struct DatabaseReadResult {
    enum Status {
        Refused,          // missing, unreadable, too short or another version: image unchanged
        Read,             // the file's image is now in use
        ChecksumMismatch, // the file opened, but its image was damaged: default contents in use
    };
    // Why a file was refused.
    enum Refusal {
        NotRefused,
        Missing,
        NotAFile,     // a folder, a FIFO, a device
        CannotOpen,   // openError says why
        TooShort,     // fewer bytes than the version byte and the image
        OtherVersion, // versionByte holds what the file has
    };
    Status status = Refused;
    Refusal refusal = NotRefused;
    QString openError;
    uint8_t versionByte = 0;
    // Where the file was kept, empty when it could not be copied: for ChecksumMismatch, and for
    // a refused file when the caller kept it (see Database::keepDamagedCopy).
    QString damagedCopyPath;

    bool opened() const { return status != Refused; }
};

// The configuration image, the name table and the modified flag, together with their files.
//
// Database file: the version byte 5 followed by the 7738 bytes of the image. Names file: the
// database path with ".nam" appended (format in NameTable.h).
class Database {
public:
    static constexpr uint8_t VersionByte = 5;
    static constexpr int FileSize = 1 + ConfigurationImage::Size;

    // The process's own database; tests and the simulated unit construct their own.
    static Database& instance();

    ConfigurationImage& image() { return image_; }
    const ConfigurationImage& image() const { return image_; }
    NameTable& names() { return names_; }
    const NameTable& names() const { return names_; }

    // Every change an editor commits to the image or the name table calls markModified, so that
    // the save question comes up before the change could be lost.
    bool isModified() const { return modified_; }
    void markModified() { modified_ = true; }
    void clearModified() { modified_ = false; }

    // Why a database is read. Edit: the console works on it, so one it may not write is refused,
    // a damaged file is copied aside (its contents are about to be replaced by defaults) and a
    // missing names file is created. Inspect: a reading command only looks; it accepts a
    // read-only file and creates or changes nothing.
    enum class ReadPurpose { Edit, Inspect };

    DatabaseReadResult readDatabaseFile(const QString& path,
                                        ReadPurpose purpose = ReadPurpose::Edit);
    // The new file is written beside the old one and takes its place only when complete, so a
    // failed write leaves the previous database as it was. On failure, error says why.
    bool writeDatabaseFile(const QString& path, QString* error = nullptr);
    // Adds the names of path + ".nam" to the name table (for Edit, creating an empty names file
    // when there is none). Problems with the names file end the reading silently.
    void readNamesFile(const QString& databasePath, ReadPurpose purpose = ReadPurpose::Edit);
    bool writeNamesFile(const QString& databasePath, QString* error = nullptr);

    // Reads the version byte and the image from a device, as readDatabaseFile does from a file.
    DatabaseReadResult readDatabaseFrom(QIODevice& device);

    // Copies a database file that could not be used to <path>.damaged (.damaged.2, ... when
    // that exists), so that what the user had survives whatever is saved later. Only a regular
    // file is copied. The copy's path, or empty when there is none.
    static QString keepDamagedCopy(const QString& path);

    static QString namesFilePath(const QString& databasePath)
    {
        return databasePath + QStringLiteral(".nam");
    }
    // Where unsaved changes are kept when the console is ended with nobody to ask (its names
    // file beside it as usual).
    static QString recoveryFilePath(const QString& databasePath)
    {
        return databasePath + QStringLiteral(".recovered");
    }
    static QString defaultDatabasePath(const QString& directory);

private:
    ConfigurationImage image_;
    NameTable names_;
    bool modified_ = false;
};
