#pragma once

#include "ConfigurationImage.h"

#include <QByteArray>
#include <QFile>
#include <QJsonObject>
#include <QString>

#include <chrono>
#include <cstdint>
#include <functional>
#include <optional>
#include <random>

// Plays the Tavolux unit on the master side of a pseudo-terminal. See --help
// (SimulatorOptions.cpp) for what it does and which faults it can be told to make; the boot loader
// and the fault plan are in files of their own.
class UnitSimulator {
public:
    struct Options {
        QString linkPath;
        uint32_t speed = 9600; // the speed the unit listens at before any connect
        bool resetSpeedOnDisconnect = false;
        bool ignoreConnect = false;
        bool ignoreDisconnect = false;
        bool deaf = false; // never reads the line, so that what the program sends piles up
        bool wireTime = false;
        QString logPath;
        std::optional<ConfigurationImage::Bytes> image;
        std::optional<QByteArray> statusText; // sent for every status request instead of its own
        QString exitAfterEvent;
        int exitAfterCount = 1;
        // Faults, for blocks of faultType only when it is set.
        int faultType = 0;
        uint8_t refuseLength = 0;     // 0xF9 or 0xF8 instead of ACK
        int nakChecksum = 0;          // NAK this many good checksums (-1: always)
        int uploadLength = -1;        // announced instead of 7738 for type 3
        bool corruptChecksum = false; // in the blocks the unit sends
        int silentAfter = -1;         // stop answering after this many data bytes of a block
        bool garbage = false;         // sprinkle bytes the protocol does not know
        int hangupAfter = -1;         // close the line after this many data bytes of a block
        // Instead of the faults above: each block has this chance of one fault drawn at random
        // (reproducibly from the seed); a hang-up then opens a new line at the same link.
        double faultRate = 0;
        uint32_t seed = 1;
        // The boot loader: the unit starts switched off and is switched on after powerOnAfterMs
        // or when powerSwitch says so; its loader then takes one firmware file.
        bool bootLoader = false;
        int powerOnAfterMs = -1;
        std::function<bool()> powerSwitch;
        uint32_t flashLow = 0;
        uint32_t flashHigh = 0xFFFFFFFF;
        int loaderNakLine = 0; // answer '-' loaderNakCount times for this line
        int loaderNakCount = 0;
        int loaderGarbageLine = 0;   // answer this line once with a byte the dialogue does not know
        int loaderDeadAfterLine = 0; // XOFF and the answer to this line, then never a byte again
        bool loaderXonXoff = false;  // XOFF and XON before every answer
        bool loaderAcceptEnd = false; // '~' for the end record before its '@'
    };

    explicit UnitSimulator(Options options);
    ~UnitSimulator();

    // Opens the pseudo-terminal and links its slave to the link path. False with a message on
    // error.
    bool open(QString* error);
    QString slaveName() const { return slaveName_; }
    // Serves until an exit is due (--exit-after, a hang-up) or stopRequested says so; returns
    // the exit code.
    int serve(const std::function<bool()>& stopRequested);

private:
    enum class Mode {
        Idle,
        LinkCommand,
        RxLength,
        RxData,
        RxChecksum,
        TxAwaitLengthAnswer,
        TxAwaitChecksumAnswer,
        Silent,
        LoaderCall,
        LoaderLine,
        LoaderDead,
    };
    using Clock = std::chrono::steady_clock;
    // The faults made in the block under way.
    struct BlockFaults {
        uint8_t refuseLength = 0;
        bool nakChecksum = false;
        int uploadLength = -1;
        bool corruptChecksum = false;
        int silentAfter = -1;
        bool garbage = false;
        int hangupAfter = -1;
    };
    enum class RandomFault { Nak, RefuseLength, Silence, Garbage, Hangup };

    void handleByte(uint8_t byte);
    void handleIdle(uint8_t byte);
    void handleLinkCommand(uint8_t byte);
    void startReceive(uint8_t type);
    void finishReceive();
    void startSend(uint8_t type);
    void sendBlockBody();
    void finishSend(bool acknowledged);
    void resetToIdle();

    void send(const QByteArray& bytes);
    void sendByte(uint8_t byte) { send(QByteArray(1, static_cast<char>(byte))); }
    void sendGarbage();
    bool faultApplies() const;
    // At the start of a block: the faults it gets, from the options or drawn at random.
    void chooseFaults();
    // Once the block's length is known: where a random fault strikes. Logged.
    void placeRandomFault(uint32_t length);
    bool openLine(QString* error);
    void hangUp();
    void countDataByte();
    // Falls silent or hangs up once the block has reached the limit the faults set.
    void applyDataLimits();

    void powerOn();
    void handleLoaderByte(uint8_t byte);
    void finishLoaderLine();
    // The answer to a complete record: '~', '-', '%' or '@'.
    char judgeRecord(const QByteArray& text);
    bool loaderActive() const
    {
        return mode_ == Mode::LoaderCall || mode_ == Mode::LoaderLine || mode_ == Mode::LoaderDead;
    }

    void readLineSettings();
    QJsonObject lineSettings() const;
    bool atListeningSpeed() const { return lineSpeed_ == listeningSpeed_; }
    void log(const QString& event, QJsonObject fields = {});
    void noteExchange(const QString& event);
    QByteArray statusText();

    Options options_;
    int master_ = -1;
    int slave_ = -1;
    QString slaveName_;
    QFile logFile_;
    Clock::time_point started_ = Clock::now();
    Clock::time_point rxClock_ = Clock::now();
    Clock::time_point txClock_ = Clock::now();
    Clock::time_point lastByte_ = Clock::now();
    bool exitRequested_ = false;
    int exitCode_ = 0;
    int exchangesToExit_ = 0;

    ConfigurationImage::Bytes image_{};
    uint32_t listeningSpeed_ = 9600;
    uint32_t lineSpeed_ = 0;
    double byteSeconds_ = 0;
    Mode mode_ = Mode::Idle;
    QByteArray linkCommand_;
    uint8_t blockType_ = 0;
    uint32_t blockLength_ = 0;
    int lengthBytes_ = 0;
    QByteArray blockData_;
    QByteArray outgoing_;
    uint16_t checksumReceived_ = 0;
    int checksumBytes_ = 0;
    int dataBytesThisBlock_ = 0;
    int naksLeft_ = 0;
    int pagesReceived_ = 0;
    int statusRequests_ = 0;
    BlockFaults faults_;
    std::optional<RandomFault> randomFault_;
    std::mt19937 random_;
    Clock::time_point silentSince_ = Clock::now();
    bool poweredOn_ = true;
    QByteArray loaderCall_;
    QByteArray loaderLine_;
    int loaderLineNumber_ = 0;
    int loaderNaksLeft_ = 0;
    bool loaderGarbageDone_ = false;
    uint32_t loaderBase_ = 0;
    // The last voice prompt block received with a good checksum.
    QByteArray voiceBlock_;
};
