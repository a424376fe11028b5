#include "BlockExchange.h"

#include <QEventLoop>

BlockExchange::BlockExchange(Channel& port, std::function<void(const QString&)> showMessage,
                             QObject* parent)
    : QObject(parent)
{
    QueuedTransferListener::Handlers handlers;
    handlers.progress = [this](int percent) {
        if (!stopped_)
            emit progress(percent);
    };
    handlers.done = [this] {
        if (!stopped_)
            emit done();
    };
    handlers.failed = [this] {
        if (!stopped_)
            emit failed();
    };
    handlers.message = std::move(showMessage);
    listener_ = std::make_unique<QueuedTransferListener>(std::move(handlers));
    transfer_ = std::make_unique<BlockTransfer>(port, *listener_);
}

BlockExchange::~BlockExchange()
{
    stop();
}

void BlockExchange::send(uint8_t type, const QByteArray& data)
{
    buffer_ = data;
    stopped_ = false;
    transfer_->Start(type, reinterpret_cast<uint8_t*>(buffer_.data()),
                     static_cast<uint32_t>(buffer_.size()));
}

void BlockExchange::receive(uint8_t type, uint32_t expectedLength)
{
    buffer_ = QByteArray(static_cast<qsizetype>(expectedLength), '\0');
    stopped_ = false;
    transfer_->Start(type,
                     expectedLength == 0 ? nullptr : reinterpret_cast<uint8_t*>(buffer_.data()),
                     expectedLength);
}

void BlockExchange::stop()
{
    // Reports that reach us while the worker is being stopped belong to the past.
    stopped_ = true;
    transfer_->Stop();
}

QByteArray BlockExchange::received() const
{
    return QByteArray(reinterpret_cast<const char*>(transfer_->Data()),
                      static_cast<qsizetype>(transfer_->Length()));
}

bool BlockExchange::runToEnd()
{
    bool completed = false;
    QEventLoop loop;
    connect(this, &BlockExchange::done, &loop, [&] {
        completed = true;
        loop.quit();
    });
    connect(this, &BlockExchange::failed, &loop, &QEventLoop::quit);
    loop.exec();
    stop();
    return completed;
}
