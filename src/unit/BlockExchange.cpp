#include "BlockExchange.h"

#include "ServeEventsUntil.h"

BlockExchange::BlockExchange(Channel& port, std::function<void(const QString&)> showMessage,
                             QObject* parent)
    : QObject(parent)
{
    // Reports that reach us once the exchange is over (a stop included) belong to the past.
    QueuedTransferListener::Handlers handlers;
    handlers.progress = [this](int percent) {
        if (outcome_ == Outcome::Running)
            emit progress(percent);
    };
    handlers.done = [this] {
        if (outcome_ != Outcome::Running)
            return;
        outcome_ = Outcome::Done;
        emit done();
    };
    handlers.failed = [this] {
        if (outcome_ != Outcome::Running)
            return;
        outcome_ = Outcome::Failed;
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
    outcome_ = Outcome::Running;
    transfer_->Start(type, reinterpret_cast<uint8_t*>(buffer_.data()),
                     static_cast<uint32_t>(buffer_.size()));
}

void BlockExchange::receive(uint8_t type, uint32_t expectedLength)
{
    buffer_ = QByteArray(static_cast<qsizetype>(expectedLength), '\0');
    outcome_ = Outcome::Running;
    transfer_->Start(type,
                     expectedLength == 0 ? nullptr : reinterpret_cast<uint8_t*>(buffer_.data()),
                     expectedLength);
}

void BlockExchange::stop()
{
    if (outcome_ == Outcome::Running)
        outcome_ = Outcome::Stopped;
    transfer_->Stop();
}

QByteArray BlockExchange::received() const
{
    return QByteArray(reinterpret_cast<const char*>(transfer_->Data()),
                      static_cast<qsizetype>(transfer_->Length()));
}

bool BlockExchange::runToEnd()
{
    static_cast<void>(serveEventsUntil([this] { return outcome_ != Outcome::Running; },
                                       QDeadlineTimer::Forever));
    stop();
    return outcome_ == Outcome::Done;
}
