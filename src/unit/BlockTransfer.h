#pragma once

#include <QElapsedTimer>
#include <QString>

#include <atomic>
#include <condition_variable>
#include <cstdint>
#include <mutex>
#include <thread>
#include <vector>

class Channel;
class TransferListener;

// One typed, checksummed block to or from the unit, moved by a worker thread of its own.
//
// Wire order of a send: type, 24-bit length (high byte first), the unit's ACK (or 0xF9 / 0xF8),
// the data in 64-byte blocks each but the last followed by the unit's 0xF6, the 16-bit
// checksum (high byte first) right after the last data byte, the unit's ACK or NAK.
// A receive: type, the unit's 24-bit length, our ACK (or NAK), the data, the checksum, our
// ACK or NAK. The checksum is the sum of the data bytes kept to 16 bits.
//
// The owner creates it, starts it, waits for done or failed, then stops and deletes it. The
// worker is the only user of the port from Start until Stop has returned.
//
// Every wait ends: a broken line fails the transfer at once, and so does silence where an
// answer is awaited, once the answer time-out has passed since the last byte the transfer was
// waiting for (or, while sending, since bytes last went out). Bytes that mean nothing in the
// current state do not count, so a unit that only babbles is silent too.
class BlockTransfer {
public:
    enum Type : uint8_t {
        ImageToUnit = 2,
        ImageFromUnit = 3,
        PageRecord = 4,
        VoicePrompts = 5,
        StatusText = 8
    };
    enum class State {
        AwaitLengthAck,
        Sending,
        AwaitBlockReady,
        AwaitChecksumAck,
        RxLengthHigh,
        RxLengthMiddle,
        RxLengthLow,
        RxData,
        RxChecksumHigh,
        RxChecksumLow,
        Finished,
    };

    static constexpr uint8_t Ack = 0x06;
    static constexpr uint8_t Nak = 0x15;
    static constexpr uint8_t BlockReady = 0xF6;
    static constexpr uint8_t OutOfMemory = 0xF8;
    static constexpr uint8_t InvalidLength = 0xF9;
    static constexpr uint32_t BlockSize = 64;
    // How long the unit may leave an awaited answer unsaid.
    static constexpr int AnswerTimeoutMs = 5000;

    static QString noResponseText();
    static QString lineLostText();

    // How a transfer failed: the unit answered against the protocol (a NAK, a refused length, a
    // bad checksum), it left an awaited answer unsaid, or the line broke.
    enum class Failure { None, Refused, Silence, LineLost };

    BlockTransfer(Channel& port, TransferListener& listener);
    ~BlockTransfer();
    BlockTransfer(const BlockTransfer&) = delete;
    BlockTransfer& operator=(const BlockTransfer&) = delete;

    // Sends length bytes of data (types 2, 4, 5), or receives into data (types 3, 8). A receive
    // started with no data and length 0 takes whatever length the unit announces, into a buffer
    // of its own. The caller's data must stay valid until Stop has returned.
    void Start(uint8_t type, uint8_t* data, uint32_t length);
    // For the transfers started after it.
    void setAnswerTimeout(int ms) { answerTimeoutMs_ = ms; }
    // Ends the worker and waits for it. On the thread of a running event loop the loop keeps
    // running meanwhile, so that a message the worker is showing can still be answered.
    void Stop();
    // The worker's body; returns when a stop has been requested.
    void Run();

    // After done: the received bytes (the caller's buffer or the transfer's own).
    const uint8_t* Data() const { return data_; }
    uint32_t Length() const { return length_; }
    // After failed: why.
    Failure failure() const { return failure_; }

    static uint16_t checksum(const uint8_t* data, uint32_t length);
    static bool isReceiveType(uint8_t type) { return type == ImageFromUnit || type == StatusText; }

private:
    // True when the byte was one the state was waiting for.
    bool handleByte(uint8_t byte);
    void sendStep();
    void checkReceivedLength();
    // Writes all of bytes unless the line breaks, the unit stops taking them for the answer
    // time-out, or a stop is requested; false (the transfer over) when they did not all go out.
    bool sendBytes(const uint8_t* bytes, int count);
    bool sendByte(uint8_t byte) { return sendBytes(&byte, 1); }
    // A device call failed since the port's error was last taken: the line is gone.
    bool lineLost() const;
    void fail(Failure failure, const QString& text);
    void progress(uint64_t moved);

    Channel& port_;
    TransferListener& listener_;
    std::thread worker_;
    std::atomic<bool> stopRequest_{false};
    std::atomic<bool> workerEnded_{false};
    std::atomic<Failure> failure_{Failure::None};
    std::mutex stopMutex_;
    std::condition_variable stopped_;

    uint8_t type_ = 0;
    uint8_t* data_ = nullptr;
    uint32_t length_ = 0;
    std::vector<uint8_t> ownBuffer_;
    int answerTimeoutMs_ = AnswerTimeoutMs;
    QElapsedTimer sinceAnswer_;

    State state_ = State::Finished;
    uint32_t sentCount_ = 0;
    uint32_t receivedCount_ = 0;
    uint32_t receivedLength_ = 0;
    uint32_t runningChecksum_ = 0;
    uint16_t receivedChecksum_ = 0;
    int lastPercent_ = -1;
};
