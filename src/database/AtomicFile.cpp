#include "AtomicFile.h"

#include <QFile>
#include <QFileInfo>

#include <cerrno>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

namespace {

bool fail(QString* error, int errorNumber)
{
    if (error)
        *error = qt_error_string(errorNumber);
    return false;
}

bool writeFully(int fd, const QByteArray& bytes)
{
    qsizetype done = 0;
    while (done < bytes.size()) {
        const ssize_t n =
            ::write(fd, bytes.constData() + done, static_cast<size_t>(bytes.size() - done));
        if (n < 0 && errno == EINTR)
            continue;
        if (n <= 0)
            return false;
        done += n;
    }
    return true;
}

bool readBackMatches(int fd, const QByteArray& bytes)
{
    if (::lseek(fd, 0, SEEK_SET) != 0)
        return false;
    QByteArray back(bytes.size() + 1, Qt::Uninitialized);
    qsizetype got = 0;
    while (got < back.size()) {
        const ssize_t n = ::read(fd, back.data() + got, static_cast<size_t>(back.size() - got));
        if (n < 0 && errno == EINTR)
            continue;
        if (n < 0)
            return false;
        if (n == 0)
            break;
        got += n;
    }
    return got == bytes.size() && std::equal(bytes.begin(), bytes.end(), back.begin());
}

mode_t modeForNewFile(const QByteArray& path)
{
    struct stat existing {};
    if (::stat(path.constData(), &existing) == 0)
        return existing.st_mode & 07777;
    const mode_t mask = ::umask(0);
    ::umask(mask);
    return 0666 & ~mask;
}

} // namespace

bool AtomicFile::replace(const QString& path, const QByteArray& bytes, QString* error)
{
    // A link is followed, so that the file it points at is replaced rather than the link.
    const QFileInfo info(path);
    const QByteArray target = QFile::encodeName(info.isSymLink() ? info.symLinkTarget() : path);
    if (::access(target.constData(), F_OK) == 0 && ::access(target.constData(), W_OK) != 0)
        return fail(error, errno);

    QByteArray temporary = target + ".XXXXXX";
    const int fd = ::mkstemp(temporary.data());
    if (fd < 0)
        return fail(error, errno);

    int problem = 0;
    errno = 0;
    if (!writeFully(fd, bytes) || ::fsync(fd) != 0)
        problem = errno ? errno : EIO;
    else if (!readBackMatches(fd, bytes))
        problem = EIO;
    else if (::fchmod(fd, modeForNewFile(target)) != 0)
        problem = errno;
    if (::close(fd) != 0 && problem == 0)
        problem = errno;
    if (problem == 0 && ::rename(temporary.constData(), target.constData()) != 0)
        problem = errno;
    if (problem != 0) {
        ::unlink(temporary.constData());
        return fail(error, problem);
    }
    return true;
}
