#include "RegularFile.h"

#include <QCoreApplication>

#include <cerrno>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

bool RegularFile::openForReading(QFile& file, const QString& path, QIODevice::OpenMode mode,
                                 QString* error)
{
    file.setFileName(path);
    // Non-blocking for the open alone: it returns at once on a FIFO without a writer.
    const int fd = ::open(QFile::encodeName(path).constData(), O_RDONLY | O_NONBLOCK | O_CLOEXEC);
    if (fd < 0) {
        if (error)
            *error = qt_error_string(errno);
        return false;
    }
    struct stat status {};
    if (::fstat(fd, &status) != 0 || !S_ISREG(status.st_mode)) {
        ::close(fd);
        if (error)
            *error = QCoreApplication::translate("RegularFile", "it is not a regular file");
        return false;
    }
    ::fcntl(fd, F_SETFL, ::fcntl(fd, F_GETFL) & ~O_NONBLOCK);
    if (!file.open(fd, QIODevice::ReadOnly | mode, QFileDevice::AutoCloseHandle)) {
        if (error)
            *error = file.errorString();
        return false;
    }
    return true;
}
