#pragma once

#include "QueuedReports.h"
#include "TransferListener.h"

#include <functional>

// A block transfer's reports, delivered on the thread this object lives in (see QueuedReports).
class QueuedTransferListener : public QueuedReports, public TransferListener {
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

private:
    Handlers handlers_;
};
