#include "AtomicFile.h"

#include <QCoreApplication>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QRegularExpression>

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

bool failWith(QString* error, const QString& text)
{
    if (error)
        *error = text;
    return false;
}

// Follows a chain of links to the path they end at, which need not exist yet (a save through a
// dangling link creates the file it names).
QString followLinks(const QString& path)
{
    QString current = path;
    for (int hops = 0; hops < 40; ++hops) {
        char link[4096];
        const ssize_t n = ::readlink(QFile::encodeName(current).constData(), link, sizeof link);
        if (n <= 0 || n == static_cast<ssize_t>(sizeof link))
            return current;
        current = QFileInfo(current).dir().absoluteFilePath(
            QFile::decodeName(QByteArray(link, static_cast<qsizetype>(n))));
    }
    return current;
}

// ".site.dat.saving-" and mkstemp's six characters: a person sees what the file belongs to.
QString temporaryPrefix(const QString& fileName)
{
    return u'.' + fileName + QStringLiteral(".saving-");
}

// Only our own pattern for this exact file: a stale temporary file of another database, or a
// file of the user's that merely looks alike, stays.
void removeStaleTemporaryFiles(const QFileInfo& target)
{
    const QString prefix = temporaryPrefix(target.fileName());
    const QRegularExpression ours(QRegularExpression::anchoredPattern(
        QRegularExpression::escape(prefix) + QStringLiteral("[A-Za-z0-9]{6}")));
    const QStringList names = target.dir().entryList({prefix + u'*'}, QDir::Files | QDir::Hidden);
    for (const QString& name : names) {
        if (ours.match(name).hasMatch())
            QFile::remove(target.dir().filePath(name));
    }
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

bool AtomicFile::canReplace(const QString& path, QString* error)
{
    const QString targetPath = followLinks(path);
    const QByteArray target = QFile::encodeName(targetPath);
    struct stat existing {};
    if (::stat(target.constData(), &existing) != 0) {
        // Nothing there yet: the new file needs a folder to go in.
        const QFileInfo folder(QFileInfo(targetPath).absolutePath());
        if (!folder.isDir())
            return fail(error, ENOENT);
        return true;
    }
    // Renaming over a FIFO or a device node would take it away from whoever relies on it.
    if (!S_ISREG(existing.st_mode)) {
        return failWith(error, QCoreApplication::translate(
                                   "AtomicFile", "%1 is not a regular file; it was left as it is.")
                                   .arg(targetPath));
    }
    if (::access(target.constData(), W_OK) != 0)
        return fail(error, errno);
    return true;
}

bool AtomicFile::replace(const QString& path, const QByteArray& bytes, QString* error)
{
    if (!canReplace(path, error))
        return false;
    const QString targetPath = followLinks(path);
    const QByteArray target = QFile::encodeName(targetPath);

    const QFileInfo targetInfo(targetPath);
    removeStaleTemporaryFiles(targetInfo);
    QByteArray temporary =
        QFile::encodeName(targetInfo.dir().filePath(temporaryPrefix(targetInfo.fileName()))) +
        "XXXXXX";
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
