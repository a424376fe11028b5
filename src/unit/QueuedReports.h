#pragma once

#include <QObject>

#include <condition_variable>
#include <deque>
#include <functional>
#include <mutex>

// Carries a worker's reports over to the thread this object lives in, in the order they were
// made. The worker only queues them and posts a wake-up, so progress and outcomes never hold it
// up; a message holds it until the user has closed it. Reports still queued when the object
// goes are dropped with it; its owner stops the worker first. The listeners of the workers
// (block transfers, the firmware loader) are made of it.
class QueuedReports : public QObject {
    Q_OBJECT
public:
    explicit QueuedReports(QObject* parent = nullptr);

protected:
    // Runs report on this object's thread; the worker goes on at once.
    void post(std::function<void()> report);
    // Runs show on this object's thread and returns once it has returned (the user has closed
    // the message). Called on that thread itself, it runs show at once.
    void postAndWait(const std::function<void()>& show);

private slots:
    void deliver();

private:
    std::mutex mutex_;
    std::deque<std::function<void()>> pending_;
    // Messages posted and messages shown, counted on the worker's side and on this one.
    quint64 messagesPosted_ = 0;
    quint64 messagesShown_ = 0;
    std::condition_variable messageShown_;
};
