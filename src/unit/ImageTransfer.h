#pragma once

#include <QObject>

#include <functional>
#include <memory>

class BlockExchange;
class Channel;
class ConfigurationImage;

// The configuration image to the unit (type 2) or from it (type 3). The image is copied before
// a download starts and goes out with the checksum of the bytes sent; an upload replaces it
// only once the unit's block has been confirmed, and repairs it as a file read does.
class ImageTransfer : public QObject {
    Q_OBJECT
public:
    ImageTransfer(Channel& port, ConfigurationImage& image, uint8_t type,
                  std::function<void(const QString&)> showMessage, QObject* parent = nullptr);
    ~ImageTransfer() override;

    void setAnswerTimeout(int ms);
    void start();
    // Gives up: finished(false) follows without a message to the user.
    void abort();
    // Runs the whole transfer, turning this thread's event loop meanwhile; true when it completed.
    bool run();

signals:
    void progress(int percent);
    void finished(bool completed);

private:
    void complete();

    ConfigurationImage& image_;
    uint8_t type_;
    std::unique_ptr<BlockExchange> exchange_;
    bool over_ = false;
};
