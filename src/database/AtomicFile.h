#pragma once

#include <QByteArray>
#include <QString>

namespace AtomicFile {

// Puts bytes at path so that path holds either its old contents or all of the new ones: the
// bytes go to a temporary file beside it (".<name>.saving-XXXXXX", so that one left by a save
// that was killed is recognised, and removed by the next save to the same path), are read back
// and compared, and only then does the temporary file take the old one's place (keeping its
// permissions). A link is followed to the file it points at. Only a regular file is replaced:
// a FIFO, a device, a folder, or a file that the user may not write is left alone. On failure,
// error says why.
bool replace(const QString& path, const QByteArray& bytes, QString* error);

// Whether replace could put a file at path (the same checks, nothing written), so that a
// command can refuse a target before it starts work whose result would have nowhere to go.
bool canReplace(const QString& path, QString* error);

} // namespace AtomicFile
