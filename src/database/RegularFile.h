#pragma once

#include <QFile>
#include <QString>

namespace RegularFile {

// Opens path for reading, but only when it is a regular file (a link is followed). A FIFO would
// hold the open, or the first read, until some other program wrote to it, and a device or a
// folder is no file of ours. The check is made on what was opened, so nothing can be put in the
// file's place between the check and the reads. On failure, error says why (to follow "<path> cannot be read: ").
bool openForReading(QFile& file, const QString& path, QIODevice::OpenMode mode, QString* error);

} // namespace RegularFile
