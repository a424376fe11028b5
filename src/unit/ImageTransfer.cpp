#include "ImageTransfer.h"

#include "BlockExchange.h"
#include "ConfigurationImage.h"

ImageTransfer::ImageTransfer(Channel& port, ConfigurationImage& image, uint8_t type,
                             std::function<void(const QString&)> showMessage, QObject* parent)
    : QObject(parent)
    , image_(image)
    , type_(type)
    , exchange_(std::make_unique<BlockExchange>(port, std::move(showMessage)))
{
    connect(exchange_.get(), &BlockExchange::progress, this, &ImageTransfer::progress);
    connect(exchange_.get(), &BlockExchange::done, this, &ImageTransfer::complete);
    connect(exchange_.get(), &BlockExchange::failed, this, [this] {
        exchange_->stop();
        over_ = true;
        emit finished(false);
    });
}

ImageTransfer::~ImageTransfer() = default;

void ImageTransfer::setAnswerTimeout(int ms)
{
    exchange_->setAnswerTimeout(ms);
}

void ImageTransfer::start()
{
    over_ = false;
    if (type_ == BlockTransfer::ImageToUnit) {
        // The image may have changed since its checksum was last stored (a repair on reading,
        // an edit not yet saved); the unit checks the bytes it gets against it.
        ConfigurationImage outgoing = image_;
        outgoing.setChecksum(outgoing.computeChecksum());
        const auto& bytes = outgoing.bytes();
        exchange_->send(type_, QByteArray(reinterpret_cast<const char*>(bytes.data()),
                                          ConfigurationImage::Size));
    } else {
        exchange_->receive(type_, ConfigurationImage::Size);
    }
}

void ImageTransfer::complete()
{
    exchange_->stop();
    if (type_ == BlockTransfer::ImageFromUnit) {
        const QByteArray received = exchange_->received();
        ConfigurationImage::Bytes bytes;
        std::copy(received.begin(), received.end(), bytes.begin());
        image_.setBytes(bytes);
        // An erased or foreign unit may hold values that no editor expects, as a file may.
        image_.repairImage();
    }
    over_ = true;
    emit finished(true);
}

void ImageTransfer::abort()
{
    if (over_)
        return;
    exchange_->stop();
    over_ = true;
    emit finished(false);
}

bool ImageTransfer::run()
{
    start();
    // The exchange's done has completed the transfer by the time it is seen here.
    return exchange_->runToEnd();
}
