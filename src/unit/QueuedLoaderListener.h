#pragma once

#include "FirmwareLoader.h"
#include "QueuedReports.h"

#include <functional>

// The firmware loader's reports, delivered on the thread this object lives in (see
// QueuedReports), as a block transfer's are.
class QueuedLoaderListener : public QueuedReports, public FirmwareLoader::Listener {
    Q_OBJECT
public:
    struct Handlers {
        std::function<void(const QString&)> text;
        std::function<void(qint64)> progress;
        std::function<void(const QString&)> message;
        std::function<void()> complete;
        std::function<void()> ended;
    };

    explicit QueuedLoaderListener(Handlers handlers, QObject* parent = nullptr);

    void loaderText(const QString& text) override;
    void loaderProgress(qint64 position) override;
    void loaderMessage(const QString& text) override;
    void loaderComplete() override;
    void loaderEnded() override;

private:
    Handlers handlers_;
};
