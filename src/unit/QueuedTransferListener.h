#pragma once

#include "TransferListener.h"

#include <QObject>

#include <atomic>
#include <deque>
#include <functional>
#include <mutex>

// Carries a worker's reports over to the thread this object lives in. The worker only queues
// them and posts a wake-up, so progress and outcomes never hold it up; a message holds it until
// the user has closed it. Reports still queued when the object goes are dropped with it; its
// owner stops the worker first.
class QueuedTransferListener : public QObject, public TransferListener {
    Q_OBJECT
public:
    struct Handlers {
        std::function<void(int)> progress;
        std::function<void()> done;
        std::function<void()> failed;
        std::function<void(const QString&)> message;
    };

    explicit QueuedTransferListener(Handlers handlers, QObject* parent = nullptr);

    void transferProgress(int percent) override;
    void transferDone() override;
    void transferFailed() override;
    void transferMessage(const QString& text) override;

private slots:
    void deliver();

private:
    struct Report {
        enum Kind { Progress, Done, Failed, Message } kind;
        int percent = 0;
        QString text;
        quint64 ticket = 0;
    };
    void queue(Report report);

    Handlers handlers_;
    std::mutex mutex_;
    std::deque<Report> pending_;
    std::atomic<quint64> messagesQueued_{0};
    std::atomic<quint64> messagesClosed_{0};
};
