#include "BlockTransfer.h"

#include "Channel.h"
#include "ServeEventsUntil.h"
#include "TransferListener.h"

#include <QCoreApplication>
#include <QEventLoop>
#include <QThread>

#include <cerrno>

namespace {

// Each pass of a write gives up after this long, so that the worker looks at a stop in time.
constexpr int32_t WritePassMs = 500;

QString badChecksumText()
{
    return QCoreApplication::translate("BlockTransfer", "Error: Bad Checksum!");
}

} // namespace

QString BlockTransfer::noResponseText()
{
    return QCoreApplication::translate("BlockTransfer", "No response from unit.");
}

QString BlockTransfer::lineLostText()
{
    return QCoreApplication::translate("BlockTransfer", "The connection to the unit was lost.");
}

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
    failure_ = Failure::None;
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
        // Unbounded here: only the user's closing of a message may hold the worker.
        static_cast<void>(serveEventsUntil([this] { return workerEnded_.load(); },
                                           QDeadlineTimer::Forever,
                                           QEventLoop::ExcludeUserInputEvents));
    }
    worker_.join();
}

void BlockTransfer::Run()
{
    port_.SetReadTimeout(Channel::ShortReadTimeoutMs);
    port_.PurgeInput();
    port_.PurgeOutput();
    // An error left over from before this transfer says nothing about the line now.
    port_.TakeError();
    sentCount_ = receivedCount_ = receivedLength_ = 0;
    runningChecksum_ = 0;
    lastPercent_ = -1;
    sinceAnswer_.start();

    state_ = isReceiveType(type_) ? State::RxLengthHigh : State::AwaitLengthAck;
    if (sendByte(type_) && !isReceiveType(type_)) {
        for (const int shift : {16, 8, 0}) {
            if (!sendByte(static_cast<uint8_t>((length_ >> shift) & 0xFF)))
                break;
        }
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
        port_.TakeError();
        port_.Read(&byte, 1);
        if (port_.LastReadCount() == 1) {
            if (handleByte(byte))
                sinceAnswer_.restart();
        } else if (lineLost()) {
            fail(Failure::LineLost, lineLostText());
            continue;
        }
        if (state_ == State::Sending && !stopRequest_)
            sendStep();
        if (state_ != State::Finished && !stopRequest_ && sinceAnswer_.hasExpired(answerTimeoutMs_))
            fail(Failure::Silence, noResponseText());
    }
}

bool BlockTransfer::lineLost() const
{
    // A write that ran out of time records a time-out: that is a unit not taking bytes, which
    // the answer time-out deals with.
    const uint32_t error = port_.PeekError();
    return error != 0 && error != ETIMEDOUT;
}

bool BlockTransfer::sendBytes(const uint8_t* bytes, int count)
{
    int sent = 0;
    while (sent < count) {
        if (stopRequest_) {
            state_ = State::Finished;
            return false;
        }
        port_.TakeError();
        // A short write time-out per pass keeps a stop prompt when nothing gets out.
        port_.SetWriteTimeout(WritePassMs);
        port_.Write(bytes + sent, count - sent);
        const int written = port_.LastWriteCount();
        if (lineLost()) {
            fail(Failure::LineLost, lineLostText());
            return false;
        }
        if (written > 0) {
            sent += written;
            sinceAnswer_.restart();
        } else if (sinceAnswer_.hasExpired(answerTimeoutMs_)) {
            fail(Failure::Silence, noResponseText());
            return false;
        }
    }
    return true;
}

void BlockTransfer::fail(Failure failure, const QString& text)
{
    state_ = State::Finished;
    failure_ = failure;
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

bool BlockTransfer::handleByte(uint8_t byte)
{
    switch (state_) {
    case State::AwaitLengthAck:
        if (byte == Ack) {
            sentCount_ = 0;
            state_ = State::Sending;
        } else if (byte == InvalidLength) {
            fail(Failure::Refused, QStringLiteral("Invalid data length received for sent data"));
        } else if (byte == OutOfMemory) {
            fail(Failure::Refused, QStringLiteral("Out of memory received for sent data"));
        } else {
            return false;
        }
        return true;
    case State::Sending:
        return false;
    case State::AwaitBlockReady:
        if (byte != BlockReady)
            return false;
        state_ = State::Sending;
        return true;
    case State::AwaitChecksumAck:
        if (byte == Ack) {
            state_ = State::Finished;
            listener_.transferDone();
        } else if (byte == Nak) {
            fail(Failure::Refused, badChecksumText());
        } else {
            return false;
        }
        return true;
    case State::RxLengthHigh:
        receivedLength_ = byte;
        state_ = State::RxLengthMiddle;
        return true;
    case State::RxLengthMiddle:
        receivedLength_ = receivedLength_ * 256 + byte;
        state_ = State::RxLengthLow;
        return true;
    case State::RxLengthLow:
        receivedLength_ = receivedLength_ * 256 + byte;
        checkReceivedLength();
        return true;
    case State::RxData:
        data_[receivedCount_] = byte;
        runningChecksum_ += byte;
        ++receivedCount_;
        progress(receivedCount_);
        if (receivedCount_ == length_)
            state_ = State::RxChecksumHigh;
        return true;
    case State::RxChecksumHigh:
        receivedChecksum_ = static_cast<uint16_t>(byte << 8);
        state_ = State::RxChecksumLow;
        return true;
    case State::RxChecksumLow:
        receivedChecksum_ = static_cast<uint16_t>(receivedChecksum_ + byte);
        if (receivedChecksum_ == (runningChecksum_ & 0xFFFF)) {
            if (sendByte(Ack)) {
                state_ = State::Finished;
                listener_.transferDone();
            }
        } else if (sendByte(Nak)) {
            fail(Failure::Refused, badChecksumText());
        }
        return true;
    case State::Finished:
        break;
    }
    return false;
}

void BlockTransfer::checkReceivedLength()
{
    if (data_ == nullptr && length_ == 0) {
        ownBuffer_.assign(receivedLength_, 0);
        data_ = ownBuffer_.data();
        length_ = receivedLength_;
    } else if (receivedLength_ != length_) {
        if (sendByte(Nak))
            fail(Failure::Refused, QStringLiteral("Invalid length for received data"));
        return;
    }
    if (!sendByte(Ack))
        return;
    runningChecksum_ = 0;
    receivedCount_ = 0;
    // An empty block has nothing to wait for but its checksum.
    state_ = length_ == 0 ? State::RxChecksumHigh : State::RxData;
}

void BlockTransfer::sendStep()
{
    const uint32_t blockEnd = std::min((sentCount_ / BlockSize + 1) * BlockSize, length_);
    port_.TakeError();
    port_.SetWriteTimeout(WritePassMs);
    port_.Write(data_ + sentCount_, static_cast<int>(blockEnd - sentCount_));
    const int written = port_.LastWriteCount();
    if (lineLost()) {
        fail(Failure::LineLost, lineLostText());
        return;
    }
    if (written <= 0)
        return;
    sinceAnswer_.restart();
    sentCount_ += static_cast<uint32_t>(written);
    progress(sentCount_);
    if (sentCount_ == length_) {
        state_ = State::AwaitChecksumAck;
        const uint16_t sum = checksum(data_, length_);
        if (sendByte(static_cast<uint8_t>(sum >> 8)))
            sendByte(static_cast<uint8_t>(sum & 0xFF));
    } else if (sentCount_ % BlockSize == 0) {
        state_ = State::AwaitBlockReady;
    }
}
