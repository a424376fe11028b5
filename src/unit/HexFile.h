#pragma once

#include <QByteArray>
#include <QCoreApplication>
#include <QString>

#include <optional>

class QIODevice;

// An Intel HEX file as the firmware update reads it: text with one record per line. Whether a
// record is well formed is the boot loader's to judge; what is read here is only what would
// otherwise send nothing and leave the loader waiting.
class HexFile {
    Q_DECLARE_TR_FUNCTIONS(HexFile)
public:
    // The next line that holds more than white space, without its line end, read at most
    // maxLength - 1 bytes at a time (a longer line comes in pieces); empty at the end of the
    // file, nothing when the file could not be read.
    static std::optional<QByteArray> nextRecord(QIODevice& file, qint64 maxLength);

    // Why the file, open for reading, cannot be sent (it is not text, or it holds no record),
    // or an empty text; it reads the file through and leaves it at its start.
    static QString problem(QIODevice& file, qint64 maxLength);
};
