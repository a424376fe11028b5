#pragma once

#include "Channel.h"
#include "LineSettings.h"

#include <QCoreApplication>

#include <vector>

// An RS-232 port on POSIX termios: a real adapter (/dev/ttyUSB0, /dev/ttyS0) or a pseudo-terminal.
//
// There is no reader thread. Bytes are fetched from the driver inside Read and kept in a receive
// buffer until a caller takes them; a device read fetches what is waiting (at least what was
// asked for) so that single-byte reads of a stream do not cost a system call each.
//
// The port is opened exclusively: TIOCEXCL against other openers and an flock() that also holds
// against processes running as root, so a second program gets "busy" rather than a shared line.
class SerialPort : public Channel {
    Q_DECLARE_TR_FUNCTIONS(SerialPort)

public:
    // The handshake modes of SetHandshakeMode (DTR, RTS and XON/XOFF on input; LineSettings.h
    // says what Linux makes of each) and the flow modes of SetFlowMode (output held by CTS, DSR
    // or XOFF). KeepMode leaves that side as it is.
    static constexpr int KeepMode = 0;
    enum HandshakeMode : int {
        NoHandshake = 1,
        XonXoffHandshake = 2,
        RtsHandshake = 3,
        RtsToggle = 4,
        DtrHandshake = 6
    };
    enum FlowMode : int { NoFlowControl = 1, XonXoffFlow = 2, CtsFlow = 3, DsrFlow = 6 };

    // Speed, framing and modes as the console sets them on a line. 0 keeps the speed, the byte
    // size or a mode as it is.
    struct LineSetup {
        uint32_t baudRate = 0;
        int byteSize = 8;
        int parity = LineSettings::NoParity;
        int stopBits = LineSettings::OneStopBit;
        int handshakeMode = NoHandshake;
        int flowMode = NoFlowControl;
    };

    SerialPort();
    SerialPort(const QString& name, uint32_t baudRate, int byteSize, int parity, int stopBits,
               int handshakeMode, int flowMode);
    ~SerialPort() override;

    bool IsOpen() const override { return handle_ != InvalidHandle; }
    bool Close() override;
    // The far end has gone (a unit's adapter pulled, a pseudo-terminal's master closed): the
    // descriptor will never carry a byte again, only opening the device anew can.
    bool IsHungUp() const;
    // Opens the port by its name again with the line settings it has now.
    bool Reopen();
    bool Read(uint8_t* buffer, int count) override;
    void PurgeInput() override;
    bool Write(const uint8_t* buffer, int count) override;
    void PurgeOutput() override;
    // Drops what waits to go out and resumes output stopped by XOFF, so that a write the far end
    // is holding up returns. Safe from another thread than the one writing.
    void ReleaseHeldOutput();
    QString GetErrorText() const override;
    QString GetTypeName() const override { return QStringLiteral("RS-232"); }
    int GetTimeoutFactor() const override;

    virtual bool Open(const QString& name, uint32_t baudRate, int byteSize, int parity,
                      int stopBits, int handshakeMode, int flowMode);
    virtual bool WriteLine(const QByteArray& text);
    // Reads up to and including CR or LF into line, which holds at most size - 1 bytes.
    virtual bool ReadLine(QByteArray& line, int size, bool append);
    // 0 keeps the baud rate or byte size; a mode of 0 or above 6 keeps that side's flow control.
    [[nodiscard]] virtual bool Configure(uint32_t baudRate, int byteSize, int parity, int stopBits,
                           int handshakeMode, int flowMode);

    // A setting the device refuses outright leaves the line as it ran, and one that fails
    // because the line has gone leaves nothing to run with: neither may pass unnoticed.
    uint32_t GetBaudRate() const { return settings_.baudRate; }
    [[nodiscard]] bool SetBaudRate(uint32_t rate);
    int GetByteSize() const { return settings_.byteSize; }
    [[nodiscard]] bool SetByteSize(int bits);
    int GetParity() const { return settings_.parity; }
    [[nodiscard]] bool SetParity(int code);
    int GetStopBits() const { return settings_.stopBits; }
    [[nodiscard]] bool SetStopBits(int code);
    int GetHandshakeMode() const;
    [[nodiscard]] bool SetHandshakeMode(int mode);
    int GetFlowMode() const;
    [[nodiscard]] bool SetFlowMode(int mode);

    LineSetup GetLineSetup() const;
    // Lets what was written go out at the speed it was written at (DrainOutput), then sets
    // each field of setup in the order they are listed, as its own setter would; false when any
    // of them failed. Every field is tried, so the others are as asked.
    [[nodiscard]] bool SetLineSetup(const LineSetup& setup);
    // Waits until the driver has sent what was written, for at most limitMs (output that flow
    // control holds may never go); false when output was still waiting then. A pseudo-terminal
    // hands bytes over as they are written and has nothing to wait for.
    bool DrainOutput(int32_t limitMs);
    // What SetLineSetup waits at most: a full driver queue (4096 bytes) at 115200 baud.
    static constexpr int32_t DrainLimitMs = 400;

    // What the line runs with: only what the device took of the settings asked for.
    const LineSettings& GetLineSettings() const { return settings_; }
    // Says which settings the device did not take since this was last asked ("The port does not
    // take 7 data bits, even parity; it runs with 8 data bits, no parity."); empty when it took
    // them all.
    QString TakeRefusal();

    // A name with a slash is a path, made absolute from the working directory (build/demo/unit,
    // ./unit, /dev/pts/3). "COM3" (any case, with or without a colon) is /dev/ttyS2, as settings
    // brought from the other platform expect; any other bare name is below /dev/ (ttyUSB0).
    static QString NormalizeName(const QString& name);

    // System calls made on the device since the port was created (for measurements).
    uint64_t SystemCallCount() const { return systemCalls_; }
    // read() calls made on the device since the port was created.
    uint64_t DeviceReadCount() const { return deviceReads_; }
    // Bytes fetched from the driver and not yet handed out.
    int BufferedCount() const { return static_cast<int>(buffer_.size() - bufferHead_); }

private:
    bool applySettings();
    void applyModemLines();
    int deviceBytesWaiting(bool* ok);
    bool deviceRead(int size, int wanted);
    bool recordFailure(int errorNumber);

    LineSettings settings_ = LineSettings::defaults();
    // Since TakeRefusal: the fields the device did not take (LineSettings::Field bits), and what
    // was asked for in them.
    int refusedFields_ = 0;
    LineSettings refusedAsked_;
    // Receive buffer: bytes [bufferHead_, size) are waiting to be handed out.
    std::vector<uint8_t> buffer_;
    size_t bufferHead_ = 0;
    int handedSinceQuery_ = 0;
    uint64_t systemCalls_ = 0;
    uint64_t deviceReads_ = 0;
};
