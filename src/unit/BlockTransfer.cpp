#include "BlockTransfer.h"

#include "Channel.h"
#include "TransferListener.h"

#include <QCoreApplication>
#include <QEventLoop>
#include <QThread>
#include <QTimer>

namespace {

QString badChecksumText()
{
    return QCoreApplication::translate("BlockTransfer", "Error: Bad Checksum!");
}

} // namespace

BlockTransfer::BlockTransfer(Channel& port, TransferListener& listener)
    : port_(port)
    , listener_(listener)
{}

BlockTransfer::~BlockTransfer()
{
    Stop();
}

uint16_t BlockTransfer::checksum(const uint8_t* data, uint32_t length)
{
    uint32_t sum = 0;
    for (uint32_t i = 0; i < length; ++i)
        sum += data[i];
    return static_cast<uint16_t>(sum & 0xFFFF);
}

void BlockTransfer::Start(uint8_t type, uint8_t* data, uint32_t length)
{
    Stop();
    type_ = type;
    data_ = data;
    length_ = length;
    stopRequest_ = false;
    workerEnded_ = false;
    worker_ = std::thread([this] {
        Run();
        workerEnded_ = true;
    });
}

void BlockTransfer::Stop()
{
    {
        std::lock_guard lock(stopMutex_);
        stopRequest_ = true;
    }
    stopped_.notify_all();
    if (!worker_.joinable())
        return;
    // A worker may be waiting for the user to close one of its messages, which this thread
    // shows: keep this thread's event loop turning until the worker has ended.
    QCoreApplication* app = QCoreApplication::instance();
    if (app && QThread::currentThread() == app->thread() && !workerEnded_) {
        QEventLoop loop;
        QTimer check;
        QObject::connect(&check, &QTimer::timeout, &loop, [&] {
            if (workerEnded_)
                loop.quit();
        });
        check.start(5);
        loop.exec(QEventLoop::ExcludeUserInputEvents);
    }
    worker_.join();
}

void BlockTransfer::Run()
{
    port_.SetReadTimeout(50);
    port_.SetWriteTimeout(Channel::NoTimeLimit);
    port_.PurgeInput();
    port_.PurgeOutput();
    sentCount_ = receivedCount_ = receivedLength_ = 0;
    runningChecksum_ = 0;
    lastPercent_ = -1;

    port_.WriteByte(type_);
    if (isReceiveType(type_)) {
        state_ = State::RxLengthHigh;
    } else {
        port_.WriteByte(static_cast<int>((length_ >> 16) & 0xFF));
        port_.WriteByte(static_cast<int>((length_ >> 8) & 0xFF));
        port_.WriteByte(static_cast<int>(length_ & 0xFF));
        state_ = State::AwaitLengthAck;
    }

    while (!stopRequest_) {
        if (state_ == State::Finished) {
            // The outcome is out; nothing that still comes can change it, and the next
            // transfer purges the line. Wait for the owner's stop without holding it up.
            std::unique_lock lock(stopMutex_);
            stopped_.wait(lock, [this] { return stopRequest_.load(); });
            break;
        }
        uint8_t byte = 0;
        port_.Read(&byte, 1);
        if (port_.LastReadCount() == 1)
            handleByte(byte);
        else if (port_.PeekError() != 0)
            // A broken line fails at once; wait as long as a read would before trying again.
            QThread::msleep(50);
        if (state_ == State::Sending && !stopRequest_)
            sendStep();
    }
}

void BlockTransfer::fail(const QString& text)
{
    state_ = State::Finished;
    listener_.transferMessage(text);
    listener_.transferFailed();
}

// Progress goes out when the whole percent changes; the bar shows nothing finer.
void BlockTransfer::progress(uint64_t moved)
{
    const int percent = length_ == 0 ? 0 : static_cast<int>(moved * 100 / length_);
    if (percent == lastPercent_)
        return;
    lastPercent_ = percent;
    listener_.transferProgress(percent);
}

void BlockTransfer::handleByte(uint8_t byte)
{
    switch (state_) {
    case State::AwaitLengthAck:
        if (byte == Ack) {
            sentCount_ = 0;
            state_ = State::Sending;
        } else if (byte == InvalidLength) {
            fail(QStringLiteral("Invalid data length received for sent data"));
        } else if (byte == OutOfMemory) {
            fail(QStringLiteral("Out of memory received for sent data"));
        }
        break;
    case State::Sending:
        break;
    case State::AwaitBlockReady:
        if (byte == BlockReady)
            state_ = State::Sending;
        break;
    case State::AwaitChecksumAck:
        if (byte == Ack) {
            state_ = State::Finished;
            listener_.transferDone();
        } else if (byte == Nak) {
            fail(badChecksumText());
        }
        break;
    case State::RxLengthHigh:
        receivedLength_ = byte;
        state_ = State::RxLengthMiddle;
        break;
    case State::RxLengthMiddle:
        receivedLength_ = receivedLength_ * 256 + byte;
        state_ = State::RxLengthLow;
        break;
    case State::RxLengthLow:
        receivedLength_ = receivedLength_ * 256 + byte;
        checkReceivedLength();
        break;
    case State::RxData:
        data_[receivedCount_] = byte;
        runningChecksum_ += byte;
        ++receivedCount_;
        progress(receivedCount_);
        if (receivedCount_ == length_)
            state_ = State::RxChecksumHigh;
        break;
    case State::RxChecksumHigh:
        receivedChecksum_ = static_cast<uint16_t>(byte << 8);
        state_ = State::RxChecksumLow;
        break;
    case State::RxChecksumLow:
        receivedChecksum_ = static_cast<uint16_t>(receivedChecksum_ + byte);
        if (receivedChecksum_ == (runningChecksum_ & 0xFFFF)) {
            port_.WriteByte(Ack);
            state_ = State::Finished;
            listener_.transferDone();
        } else {
            port_.WriteByte(Nak);
            fail(badChecksumText());
        }
        break;
    case State::Finished:
        break;
    }
}

void BlockTransfer::checkReceivedLength()
{
    port_.SetWriteTimeout(Channel::NoTimeLimit);
    if (data_ == nullptr && length_ == 0) {
        ownBuffer_.assign(receivedLength_, 0);
        data_ = ownBuffer_.data();
        length_ = receivedLength_;
    } else if (receivedLength_ != length_) {
        port_.WriteByte(Nak);
        fail(QStringLiteral("Invalid length for received data"));
        return;
    }
    port_.WriteByte(Ack);
    runningChecksum_ = 0;
    receivedCount_ = 0;
    // An empty block has nothing to wait for but its checksum.
    state_ = length_ == 0 ? State::RxChecksumHigh : State::RxData;
}

void BlockTransfer::sendStep()
{
    const uint32_t blockEnd = std::min((sentCount_ / BlockSize + 1) * BlockSize, length_);
    port_.SetWriteTimeout(500);
    port_.Write(data_ + sentCount_, static_cast<int>(blockEnd - sentCount_));
    const int written = port_.LastWriteCount();
    if (written <= 0)
        return;
    sentCount_ += static_cast<uint32_t>(written);
    progress(sentCount_);
    if (sentCount_ == length_) {
        port_.SetWriteTimeout(Channel::NoTimeLimit);
        const uint16_t sum = checksum(data_, length_);
        port_.WriteByte(sum >> 8);
        port_.WriteByte(sum & 0xFF);
        state_ = State::AwaitChecksumAck;
    } else if (sentCount_ % BlockSize == 0) {
        state_ = State::AwaitBlockReady;
    }
}
