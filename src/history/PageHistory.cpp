#include "PageHistory.h"

#include "HistorySql.h"
#include "SettingsStore.h"

#include <QDateTime>
#include <QDir>
#include <QEventLoop>
#include <QFile>
#include <QFileInfo>
#include <QSqlDatabase>
#include <QSqlError>
#include <QSqlQuery>
#include <QStandardPaths>
#include <QThread>
#include <QTimer>
#include <QVariant>

#include <condition_variable>
#include <mutex>

namespace {

// A writer that another program holds the file from waits this long before the attempt fails.
constexpr int BusyTimeoutMs = 5000;
// Rows that could not be written are tried again this often, and kept up to this many.
constexpr int RetryMs = 5000;
constexpr int MaxUnwritten = 10000;
// Busy time-outs in a row before a lock held by another program is said.
constexpr int BusyTriesBeforeSaying = 6;
// An open refused for a lock is tried again this many times, this far apart.
constexpr int OpenBusyRetries = 20;
constexpr int OpenBusyPauseMs = 50;
// The clean-up removes old rows this many at a time, each batch its own short transaction.
constexpr int CleanUpBatch = 1000;
constexpr qint64 DayMs = 24LL * 60 * 60 * 1000;

} // namespace

// The writing thread's side: the connection, the rows still to write, the clean-up. The caller's
// side wakes it by the slots' names: a call by name carries no functor of the caller's for the
// two threads to share, which Qt counts and frees where a thread sanitizer cannot see.
class HistoryWriter : public QObject {
    Q_OBJECT
public:
    HistoryWriter(PageHistory& history, QString path)
        : history_(history)
        , path_(std::move(path))
        , connection_(QStringLiteral("page-history-writer-%1").arg(quintptr(this)))
    {}
    ~HistoryWriter() override
    {
        close();
        // Rows held back by another program's lock, which was not said: the user learns now
        // that they are lost.
        if (!unwritten_.isEmpty() && said_.isEmpty())
            emit history_.problem(
                PageHistory::tr("Pages could not be kept in the page history: %1 of them.")
                    .arg(unwritten_.size()));
    }

    // What the caller's side hands over, under mutex.
    std::mutex mutex;
    std::condition_variable settledChanged;
    QList<PageHistoryEntry> handedOver;
    qint64 recorded = 0;
    qint64 settled = 0;
    // The writing thread and its event loop, set there once they exist.
    QThread* thread = nullptr;
    QEventLoop* loop = nullptr;

public slots:
    void drain();
    void setRetentionDays(int days);
    // Ends the thread's event loop.
    void stop() { loop->quit(); }

private:
    bool ensureOpen();
    bool openOnce(QString* problem, bool* damaged, bool* busy);
    void close();
    bool write();
    std::optional<QSqlError> insertUnwritten();
    void moveAside();
    void cleanUp();
    void say(const QString& message);
    void sayCannotWrite(const QString& why);
    void retryLater();
    QSqlDatabase database() const { return QSqlDatabase::database(connection_, false); }

    PageHistory& history_;
    const QString path_;
    const QString connection_;
    bool open_ = false;
    QList<PageHistoryEntry> unwritten_;
    QString said_;
    QTimer* retry_ = nullptr;
    QTimer* daily_ = nullptr;
    int retentionDays_ = 0;
    int busyTries_ = 0;
};

void HistoryWriter::drain()
{
    qint64 taken = 0;
    {
        std::lock_guard lock(mutex);
        taken = handedOver.size();
        unwritten_ += std::exchange(handedOver, {});
    }
    if (!unwritten_.isEmpty() && !write()) {
        // A history that stays unwritable for long keeps only the newest rows; a burst that
        // could be written is written whole.
        if (unwritten_.size() > MaxUnwritten)
            unwritten_.remove(0, unwritten_.size() - MaxUnwritten);
        retryLater();
    }
    {
        std::lock_guard lock(mutex);
        settled += taken;
    }
    settledChanged.notify_all();
}

void HistoryWriter::sayCannotWrite(const QString& why)
{
    say(PageHistory::tr("The page history %1 cannot be written: %2. Pages are sent all the same.")
            .arg(QDir::toNativeSeparators(path_), why));
}

void HistoryWriter::retryLater()
{
    if (!retry_) {
        retry_ = new QTimer(this);
        retry_->setSingleShot(true);
        retry_->setInterval(RetryMs);
        connect(retry_, &QTimer::timeout, this, [this] { drain(); });
    }
    if (!retry_->isActive())
        retry_->start();
}

void HistoryWriter::say(const QString& message)
{
    if (message == said_)
        return;
    said_ = message;
    emit history_.problem(message);
}

bool HistoryWriter::ensureOpen()
{
    if (open_)
        return true;
    QString problem;
    bool damaged = false;
    bool busy = false;
    openOnce(&problem, &damaged, &busy);
    // Two programs opening a history at once (turning a new file to WAL at the same moment):
    // SQLite refuses one of them at once rather than let them wait on each other, and the
    // other is done in a moment.
    for (int retry = 0; !open_ && busy && retry < OpenBusyRetries; ++retry) {
        QThread::msleep(OpenBusyPauseMs);
        openOnce(&problem, &damaged, &busy);
    }
    if (!open_ && damaged) {
        moveAside();
        openOnce(&problem, &damaged, &busy);
    }
    if (open_)
        return true;
    if (!busy)
        sayCannotWrite(problem);
    else if (++busyTries_ >= BusyTriesBeforeSaying)
        sayCannotWrite(PageHistory::tr("another program keeps it locked"));
    return false;
}

bool HistoryWriter::openOnce(QString* problem, bool* damaged, bool* busy)
{
    close();
    *damaged = false;
    *busy = false;
    if (!QDir().mkpath(QFileInfo(path_).absolutePath())) {
        *problem = PageHistory::tr("its folder cannot be made");
        return false;
    }
    // A FIFO or a device in its place would hang or feed the first read; it is left alone.
    if (const QFileInfo file(path_); file.exists() && !file.isFile()) {
        *problem = PageHistory::tr("it is not a regular file");
        return false;
    }
    QSqlDatabase db = QSqlDatabase::addDatabase(QStringLiteral("QSQLITE"), connection_);
    db.setDatabaseName(path_);
    db.setConnectOptions(QStringLiteral("QSQLITE_BUSY_TIMEOUT=%1").arg(BusyTimeoutMs));
    auto failed = [&](const QSqlError& error) {
        *problem = HistorySql::describe(error);
        *damaged = HistorySql::isDamage(error);
        *busy = HistorySql::isBusy(error);
        return false;
    };
    if (!db.open())
        return failed(db.lastError());
    // Looked at before anything is changed: another program's file, or a newer one, is left
    // exactly as it is.
    QSqlError error;
    const std::optional<HistorySql::FileState> state = HistorySql::inspect(db, &error);
    if (!state)
        return failed(error);
    if (state->foreign) {
        *problem = PageHistory::tr("it is not a page history");
        *damaged = true;
        return false;
    }
    if (state->version > HistorySql::CurrentVersion) {
        *problem = PageHistory::tr("a newer version of the program wrote it");
        return false;
    }
    QSqlQuery query(db);
    // WAL lets the console, the command line and the gateway write while others read.
    if (!query.exec(QStringLiteral("PRAGMA journal_mode=WAL")))
        return failed(query.lastError());
    query.finish(); // a statement left open would keep the transactions below from committing
    if (const std::optional<QSqlError> migrateError = HistorySql::createOrMigrate(db))
        return failed(*migrateError);
    // After a crash WAL keeps the file sound; a power cut may lose the last page or two.
    query.exec(QStringLiteral("PRAGMA synchronous=NORMAL"));
    open_ = true;
    return true;
}

void HistoryWriter::close()
{
    open_ = false;
    if (!QSqlDatabase::contains(connection_))
        return;
    database().close();
    QSqlDatabase::removeDatabase(connection_);
}

void HistoryWriter::moveAside()
{
    close();
    const QString stamp = QDateTime::currentDateTime().toString(QStringLiteral("yyyyMMdd-HHmmss"));
    QString aside = path_ + QStringLiteral(".damaged-") + stamp;
    for (int n = 2; QFileInfo::exists(aside); ++n)
        aside = path_ + QStringLiteral(".damaged-%1-%2").arg(stamp).arg(n);
    if (!QFile::rename(path_, aside))
        return; // opening says why the history cannot be written
    // The journal belongs with the file it was written for; the shared-memory index is
    // rebuilt from it.
    QFile::rename(path_ + QStringLiteral("-wal"), aside + QStringLiteral("-wal"));
    QFile::remove(path_ + QStringLiteral("-shm"));
    emit history_.problem(
        PageHistory::tr("The page history was damaged. It was moved to %1 and a new one begun.")
            .arg(QDir::toNativeSeparators(aside)));
}

std::optional<QSqlError> HistoryWriter::insertUnwritten()
{
    QSqlDatabase db = database();
    QSqlQuery query(db);
    if (!query.exec(QStringLiteral("BEGIN IMMEDIATE")))
        return query.lastError();
    query.prepare(QStringLiteral(
        "INSERT INTO pages (queued_at, ended_at, source, peer, login, recipient, name, text, "
        "outcome, reason) VALUES (?, ?, ?, ?, ?, ?, ?, ?, ?, ?)"));
    // A null text would bind as NULL, which the columns refuse.
    auto text = [](const QString& value) {
        return value.isNull() ? QStringLiteral("") : value;
    };
    std::optional<QSqlError> error;
    for (const PageHistoryEntry& entry : std::as_const(unwritten_)) {
        query.addBindValue(entry.queuedMs);
        query.addBindValue(entry.endedMs);
        query.addBindValue(PageOrigin::key(entry.origin.source));
        query.addBindValue(text(entry.origin.peer));
        query.addBindValue(text(entry.origin.login));
        query.addBindValue(static_cast<qlonglong>(entry.recipient));
        query.addBindValue(text(entry.name));
        query.addBindValue(text(entry.text));
        query.addBindValue(static_cast<int>(entry.outcome));
        query.addBindValue(text(entry.reason));
        if (!query.exec()) {
            error = query.lastError();
            break;
        }
    }
    query.finish();
    if (!error && !query.exec(QStringLiteral("COMMIT")))
        error = query.lastError();
    if (error)
        query.exec(QStringLiteral("ROLLBACK"));
    return error;
}

bool HistoryWriter::write()
{
    for (int attempt = 0; attempt < 2; ++attempt) {
        if (!ensureOpen())
            return false;
        const std::optional<QSqlError> error = insertUnwritten();
        if (!error) {
            unwritten_.clear();
            said_.clear();
            busyTries_ = 0;
            emit history_.written();
            return true;
        }
        if (HistorySql::isDamage(*error)) {
            moveAside();
            continue;
        }
        if (HistorySql::isBusy(*error)) {
            // Another program's long write: the rows wait for it, and only a lock held for
            // about a minute is worth the user's attention.
            if (++busyTries_ >= BusyTriesBeforeSaying)
                sayCannotWrite(PageHistory::tr("another program keeps it locked"));
            return false;
        }
        close(); // opened afresh next time: the folder or the disk may have come back
        sayCannotWrite(HistorySql::describe(*error));
        return false;
    }
    return false;
}

void HistoryWriter::setRetentionDays(int days)
{
    retentionDays_ = std::max(0, days);
    if (!daily_) {
        daily_ = new QTimer(this);
        daily_->setInterval(DayMs);
        connect(daily_, &QTimer::timeout, this, &HistoryWriter::cleanUp);
    }
    if (retentionDays_ == 0) {
        daily_->stop();
        return;
    }
    daily_->start();
    cleanUp();
}

void HistoryWriter::cleanUp()
{
    if (retentionDays_ == 0 || !ensureOpen())
        return;
    const qint64 before = QDateTime::currentMSecsSinceEpoch() - retentionDays_ * DayMs;
    QSqlQuery query(database());
    query.prepare(QStringLiteral("DELETE FROM pages WHERE id IN (SELECT id FROM pages WHERE "
                                 "queued_at < ? LIMIT %1)")
                      .arg(CleanUpBatch));
    // Each batch commits on its own, so that pages of other programs wait for one batch at most.
    for (;;) {
        query.addBindValue(before);
        if (!query.exec()) {
            say(PageHistory::tr("Old pages cannot be removed from the page history: %1")
                    .arg(HistorySql::describe(query.lastError())));
            return;
        }
        if (query.numRowsAffected() < CleanUpBatch)
            return;
    }
}

QString PageHistory::defaultPath()
{
    return QStandardPaths::writableLocation(QStandardPaths::GenericDataLocation) + u'/' +
           QLatin1String(SettingsStore::Organisation) + u'/' +
           QLatin1String(SettingsStore::Application) + QStringLiteral("/pages.sqlite");
}

PageHistory::PageHistory(const QString& path, QObject* parent)
    : QObject(parent)
    , path_(path)
    , writer_(new HistoryWriter(*this, path))
{
    // A thread of the standard library rather than a QThread: starting it, handing the writer
    // over and joining it are then ordered by locks and a join that a thread sanitizer sees,
    // where QThread orders them inside Qt's own (uninstrumented) library.
    thread_ = std::thread([writer = writer_] {
        QThread::currentThread()->setObjectName(QStringLiteral("page history"));
        QEventLoop loop;
        {
            std::lock_guard lock(writer->mutex);
            writer->thread = QThread::currentThread();
            writer->loop = &loop;
        }
        writer->settledChanged.notify_all();
        // Runs once the writer is here; ends when the history is destroyed.
        loop.exec();
        delete writer;
    });
    std::unique_lock lock(writer_->mutex);
    // A thread that was made starts; there is nothing else to wait for.
    writer_->settledChanged.wait(lock, [this] { return writer_->thread != nullptr; });
    writer_->moveToThread(writer_->thread);
}

PageHistory::~PageHistory()
{
    flush(FinalFlushMs);
    QMetaObject::invokeMethod(writer_, "stop", Qt::QueuedConnection);
    // A writer still waiting on another program's lock ends with its busy time-out.
    thread_.join();
}

void PageHistory::record(const PageHistoryEntry& entry)
{
    std::lock_guard lock(writer_->mutex);
    const bool wake = writer_->handedOver.isEmpty();
    writer_->handedOver.append(entry);
    ++writer_->recorded;
    // One wake-up drains everything handed over by then, in one transaction. It is posted under
    // the lock that drain() takes first, so that the order of the two is one a thread sanitizer
    // sees, not only the one inside Qt.
    if (wake)
        QMetaObject::invokeMethod(writer_, "drain", Qt::QueuedConnection);
}

bool PageHistory::flush(int timeoutMs)
{
    std::unique_lock lock(writer_->mutex);
    const qint64 target = writer_->recorded;
    return writer_->settledChanged.wait_for(lock, std::chrono::milliseconds(timeoutMs),
                                            [&] { return writer_->settled >= target; });
}

void PageHistory::setRetentionDays(int days)
{
    QMetaObject::invokeMethod(writer_, "setRetentionDays", Qt::QueuedConnection, Q_ARG(int, days));
}

#include "PageHistory.moc"
