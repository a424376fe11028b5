#pragma once

#include "TransferListener.h"

#include <QObject>

#include <functional>

// Carries a worker's reports over to the thread of a context object: progress and outcomes as
// queued calls that never hold up the worker, messages as a blocking call that returns once the
// user has closed the message. The context must outlive the worker (owners stop their transfer
// before they go); queued calls still on their way when it goes are dropped with it.
class QueuedTransferListener : public TransferListener {
public:
    struct Handlers {
        std::function<void(int)> progress;
        std::function<void()> done;
        std::function<void()> failed;
        std::function<void(const QString&)> message;
    };

    QueuedTransferListener(QObject* context, Handlers handlers);

    void transferProgress(int percent) override;
    void transferDone() override;
    void transferFailed() override;
    void transferMessage(const QString& text) override;

private:
    void post(std::function<void()> call);

    QObject* context_;
    Handlers handlers_;
};
