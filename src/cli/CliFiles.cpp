#include "CliFiles.h"

#include "Database.h"

#include <QFile>
#include <QFileInfo>

#include <cerrno>
#include <csignal>
#include <cstdio>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

namespace CliFiles {

namespace {

bool standardOutputClosed = false;
// A failed write has been said once; the close at the end need not say it again.
bool standardOutputFailed = false;
bool standardOutputDone = false;

struct Identity {
    dev_t device;
    ino_t inode;
};

// Device and inode name a file whatever path, spelling or link leads to it.
std::optional<Identity> identityOf(const QString& path)
{
    struct stat status {};
    if (::stat(QFile::encodeName(path).constData(), &status) != 0)
        return std::nullopt;
    return Identity{status.st_dev, status.st_ino};
}

std::optional<Identity> identityOf(int fd)
{
    struct stat status {};
    if (::fstat(fd, &status) != 0)
        return std::nullopt;
    return Identity{status.st_dev, status.st_ino};
}

// The input that output is, if any.
QString inputThatIs(const std::optional<Identity>& output, const QStringList& inputs)
{
    if (!output)
        return {};
    for (const QString& input : inputs) {
        const std::optional<Identity> in = identityOf(input);
        if (in && in->device == output->device && in->inode == output->inode)
            return input;
    }
    return {};
}

} // namespace

void guardStandardStreams()
{
    for (int fd = STDIN_FILENO; fd <= STDERR_FILENO; ++fd) {
        if (::fcntl(fd, F_GETFD) != -1 || errno != EBADF)
            continue;
        if (fd == STDOUT_FILENO)
            standardOutputClosed = true;
        const int null = ::open("/dev/null", fd == STDIN_FILENO ? O_RDONLY : O_WRONLY);
        if (null >= 0 && null != fd) {
            ::dup2(null, fd);
            ::close(null);
        }
    }
    std::signal(SIGXFSZ, SIG_IGN);
}

QStringList databaseInputs(const QString& databasePath)
{
    return {databasePath, Database::namesFilePath(databasePath)};
}

std::optional<int> refuseOutputFile(const QString& output, const QStringList& inputs)
{
    const QString input = inputThatIs(identityOf(output), inputs);
    if (input.isEmpty())
        return std::nullopt;
    fail(QStringLiteral("%1 is %2, which this command reads; name another output file")
             .arg(output, input));
    return UsageError;
}

std::optional<int> refuseStandardOutput(const QStringList& inputs)
{
    if (standardOutputClosed) {
        fail(QStringLiteral("stdout is closed; the result would be lost"));
        return FileProblem;
    }
    const QString input = inputThatIs(identityOf(STDOUT_FILENO), inputs);
    if (input.isEmpty())
        return std::nullopt;
    fail(QStringLiteral("stdout is %1, which this command reads; send the output elsewhere")
             .arg(input));
    return UsageError;
}

std::optional<int> readDatabase(Database& database, const QString& path)
{
    const DatabaseReadResult read = database.readDatabaseFile(path, Database::ReadPurpose::Inspect);
    if (!read.opened()) {
        fail(QFileInfo::exists(path)
                 ? QStringLiteral("%1 could not be opened as a Tavolux database.").arg(path)
                 : QStringLiteral("%1 does not exist.").arg(path));
        return FileProblem;
    }
    if (read.status == DatabaseReadResult::ChecksumMismatch) {
        fail(QStringLiteral("%1 is damaged: its checksum does not match its contents.").arg(path));
        return DamagedDatabase;
    }
    database.readNamesFile(path, Database::ReadPurpose::Inspect);
    return std::nullopt;
}

bool writeStandardOutput(const QByteArray& bytes)
{
    if (standardOutputClosed) {
        fail(QStringLiteral("stdout is closed; the result is lost"));
        return false;
    }
    errno = 0;
    if (std::fwrite(bytes.constData(), 1, static_cast<size_t>(bytes.size()), stdout) !=
            static_cast<size_t>(bytes.size()) ||
        std::fflush(stdout) != 0) {
        fail(QStringLiteral("the output could not be written: %1")
                 .arg(qt_error_string(errno ? errno : EIO)));
        standardOutputFailed = true;
        return false;
    }
    return true;
}

bool closeStandardOutput()
{
    if (standardOutputDone)
        return !standardOutputFailed;
    standardOutputDone = true;
    errno = 0;
    const bool flushed = std::fflush(stdout) == 0 && !std::ferror(stdout);
    const int flushError = errno;
    // Some file systems report a failed write only at close.
    const bool closed = std::fclose(stdout) == 0;
    if (standardOutputFailed)
        return false;
    if (flushed && closed)
        return true;
    standardOutputFailed = true;
    fail(QStringLiteral("the output could not be written: %1")
             .arg(qt_error_string(!flushed && flushError ? flushError
                                  : errno                ? errno
                                                         : EIO)));
    return false;
}

} // namespace CliFiles

void Cli::fail(const QString& text)
{
    std::fprintf(stderr, "tavolux-cli: %s\n", qPrintable(text));
}
