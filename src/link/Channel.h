#pragma once

#include <QByteArray>
#include <QString>

#include <cstdint>

// A byte channel to the unit: blocking reads and writes with time-outs, purges, the last system
// error and the channel's names. The serial port is the one channel there is.
//
// Time-outs are milliseconds, multiplied by the channel's time-out factor when they are set;
// NoTimeLimit means no limit whatever the factor.
//
// The names of the line operations here, on SerialPort and on UnitSession (Read, SetParity,
// Connect, ...) are those of the unit's documented operations, hence their capitals; the rest of
// the program is camelCase. Keep both as they are.
class Channel {
public:
    static constexpr int32_t NoTimeLimit = 2147483647;
    static constexpr int InvalidHandle = -1;
    // The read time-out of the console's own waits on the unit: short, so that a reader sees a
    // stop or a broken line soon after it happens.
    static constexpr int32_t ShortReadTimeoutMs = 50;

    Channel() = default;
    Channel(const Channel&) = delete;
    Channel& operator=(const Channel&) = delete;
    virtual ~Channel() = default;

    virtual bool IsOpen() const { return GetHandle() != InvalidHandle; }
    virtual bool Close() { return false; }
    // Hands out count bytes. False when fewer came within the read time-out (LastReadCount says
    // how many were handed out) or a system call failed.
    virtual bool Read(uint8_t* buffer, int count) = 0;
    virtual void PurgeInput() {}
    virtual void SetReadTimeout(int32_t ms) { readTimeout_ = scaledTimeout(ms); }
    // Sends count bytes. False when not all went out within the write time-out (LastWriteCount
    // says how many did) or a system call failed.
    virtual bool Write(const uint8_t* buffer, int count) = 0;
    virtual void PurgeOutput() {}
    virtual void SetWriteTimeout(int32_t ms) { writeTimeout_ = scaledTimeout(ms); }
    virtual QString GetErrorText() const { return QStringLiteral("No error."); }
    virtual uint32_t TakeError();
    virtual void SetError(uint32_t code) { lastError_ = code; }
    virtual QString GetTypeName() const { return QStringLiteral("Channel"); }
    virtual int GetHandle() const { return handle_; }
    virtual int GetTimeoutFactor() const { return 1; }
    virtual QString GetName() const { return name_; }

    // -1 unless exactly one byte came.
    int ReadByte();
    bool WriteByte(int value);
    // Writes the bytes of text up to its first NUL; LastWriteCount is then the number of bytes
    // that went out.
    bool WriteString(const QByteArray& text);

    int LastReadCount() const { return lastReadCount_; }
    int LastWriteCount() const { return lastWriteCount_; }
    int32_t GetReadTimeout() const { return readTimeout_; }
    int32_t GetWriteTimeout() const { return writeTimeout_; }
    // Puts back time-outs taken with GetReadTimeout / GetWriteTimeout, which are already scaled.
    void RestoreTimeouts(int32_t read, int32_t write)
    {
        readTimeout_ = read;
        writeTimeout_ = write;
    }
    uint32_t PeekError() const { return lastError_; }

protected:
    int32_t scaledTimeout(int32_t ms) const;

    int handle_ = InvalidHandle;
    int lastReadCount_ = 0;
    int lastWriteCount_ = 0;
    int32_t readTimeout_ = NoTimeLimit;
    int32_t writeTimeout_ = NoTimeLimit;
    uint32_t lastError_ = 0;
    QString name_;
};
