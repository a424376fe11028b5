#include "QueuedTransferListener.h"

#include <QThread>

#include <chrono>
#include <thread>

QueuedTransferListener::QueuedTransferListener(Handlers handlers, QObject* parent)
    : QObject(parent)
    , handlers_(std::move(handlers))
{}

void QueuedTransferListener::queue(Report report)
{
    bool wake = false;
    {
        std::lock_guard lock(mutex_);
        wake = pending_.empty();
        pending_.push_back(std::move(report));
    }
    // One wake-up serves everything queued before it is delivered.
    if (wake)
        QMetaObject::invokeMethod(this, "deliver", Qt::QueuedConnection);
}

void QueuedTransferListener::transferProgress(int percent)
{
    queue({Report::Progress, percent, {}, 0});
}

void QueuedTransferListener::transferDone()
{
    queue({Report::Done, 0, {}, 0});
}

void QueuedTransferListener::transferFailed()
{
    queue({Report::Failed, 0, {}, 0});
}

void QueuedTransferListener::transferMessage(const QString& text)
{
    if (QThread::currentThread() == thread()) {
        if (handlers_.message)
            handlers_.message(text);
        return;
    }
    const quint64 ticket = ++messagesQueued_;
    queue({Report::Message, 0, text, ticket});
    // The user takes seconds over a message; looking every few milliseconds costs nothing.
    while (messagesClosed_.load() < ticket)
        std::this_thread::sleep_for(std::chrono::milliseconds(5));
}

void QueuedTransferListener::deliver()
{
    std::deque<Report> reports;
    {
        std::lock_guard lock(mutex_);
        reports.swap(pending_);
    }
    for (const Report& report : reports) {
        switch (report.kind) {
        case Report::Progress:
            if (handlers_.progress)
                handlers_.progress(report.percent);
            break;
        case Report::Done:
            if (handlers_.done)
                handlers_.done();
            break;
        case Report::Failed:
            if (handlers_.failed)
                handlers_.failed();
            break;
        case Report::Message:
            if (handlers_.message)
                handlers_.message(report.text);
            messagesClosed_.store(std::max(messagesClosed_.load(), report.ticket));
            break;
        }
    }
}
