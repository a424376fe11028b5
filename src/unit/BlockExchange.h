#pragma once

#include "BlockTransfer.h"
#include "QueuedTransferListener.h"

#include <QByteArray>
#include <QObject>

#include <functional>
#include <memory>

class Channel;

// One block transfer as seen from the thread that owns it: the worker's reports arrive as
// signals on this object's thread, and reports still on their way when it is stopped or
// deleted are dropped. It keeps the bytes it sends or receives.
class BlockExchange : public QObject {
    Q_OBJECT
public:
    // showMessage tells the user why a transfer failed and returns once the user has closed it.
    BlockExchange(Channel& port, std::function<void(const QString&)> showMessage,
                  QObject* parent = nullptr);
    ~BlockExchange() override;

    void send(uint8_t type, const QByteArray& data);
    // expectedLength 0 takes whatever length the unit announces.
    void receive(uint8_t type, uint32_t expectedLength = 0);
    // Ends the worker; no signal comes after this.
    void stop();
    // Serves this thread's events until the exchange begun by send or receive is done, has
    // failed or has been stopped, then ends the worker; true when it is done. The worker's
    // waits end by the answer time-out, so this one does too.
    [[nodiscard]] bool runToEnd();
    // How long the unit may leave an awaited answer unsaid, for the blocks started after it.
    void setAnswerTimeout(int ms) { transfer_->setAnswerTimeout(ms); }

    // After done: the bytes received.
    QByteArray received() const;
    // After failed: why.
    BlockTransfer::Failure failure() const { return transfer_->failure(); }

signals:
    void progress(int percent);
    void done();
    void failed();

private:
    std::unique_ptr<QueuedTransferListener> listener_;
    std::unique_ptr<BlockTransfer> transfer_;
    enum class Outcome { Running, Done, Failed, Stopped };
    QByteArray buffer_;
    Outcome outcome_ = Outcome::Stopped;
};
