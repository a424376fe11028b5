#include "QueuedReports.h"

#include <QThread>

QueuedReports::QueuedReports(QObject* parent)
    : QObject(parent)
{}

void QueuedReports::post(std::function<void()> report)
{
    std::lock_guard lock(mutex_);
    const bool wake = pending_.empty();
    pending_.push_back(std::move(report));
    // One wake-up serves everything queued before it is delivered. It is posted under the lock
    // that deliver takes before anything else: Qt's own ordering of a posted event (a lock in
    // the uninstrumented library) is then one that a thread sanitizer sees too.
    if (wake)
        QMetaObject::invokeMethod(this, "deliver", Qt::QueuedConnection);
}

void QueuedReports::postAndWait(const std::function<void()>& show)
{
    if (QThread::currentThread() == thread()) {
        show();
        return;
    }
    std::unique_lock lock(mutex_);
    const quint64 ticket = ++messagesPosted_;
    lock.unlock();
    post([this, show, ticket] {
        show();
        {
            std::lock_guard shown(mutex_);
            messagesShown_ = ticket;
        }
        messageShown_.notify_all();
    });
    lock.lock();
    messageShown_.wait(lock, [&] { return messagesShown_ >= ticket; });
}

void QueuedReports::deliver()
{
    std::deque<std::function<void()>> reports;
    {
        std::lock_guard lock(mutex_);
        reports.swap(pending_);
    }
    for (const std::function<void()>& report : reports)
        report();
}
