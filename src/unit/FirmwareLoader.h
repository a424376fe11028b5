#pragma once

#include <QByteArray>
#include <QCoreApplication>
#include <QElapsedTimer>
#include <QString>

#include <atomic>
#include <cstdint>
#include <thread>

class QIODevice;
class SerialPort;

// The boot loader's character dialogue: "@&$" until the loader answers '?', then the HEX file
// one line per '~', each line exactly as read without its line end. It runs on a worker thread
// of its own that owns the port meanwhile, and reports through its listener.
class FirmwareLoader {
    Q_DECLARE_TR_FUNCTIONS(FirmwareLoader)
public:
    enum class State { Calling, Sending, Done };

    static constexpr uint32_t BaudRate = 115200;
    // The loader holds our output with XOFF while it programs a page; one that never sends XON
    // again must not hold a line write for ever.
    static constexpr int WriteTimeoutMs = 2000;
    static constexpr int MaxResends = 3;
    // The longest Intel HEX record (255 data bytes) is 521 characters; a longer line is read
    // in pieces of this size, which the loader refuses, rather than whole into memory.
    static constexpr qint64 MaxLineLength = 1024;

    static QByteArray callText() { return QByteArrayLiteral("@&$"); }
    static QByteArray substituteEndRecord() { return QByteArrayLiteral(":00000001FF"); }

    // What the worker tells the window or the terminal. The calls come from the worker thread;
    // the owner's side turns them into calls on its own thread (see QueuedLoaderListener).
    class Listener {
    public:
        virtual ~Listener() = default;
        virtual void loaderText(const QString& text) = 0;
        // The read position in the file, in bytes.
        virtual void loaderProgress(qint64 position) = 0;
        // Shows text and returns once the user has closed it.
        virtual void loaderMessage(const QString& text) = 0;
        // The loader said '@': the update is complete.
        virtual void loaderComplete() = 0;
        // The dialogue is over ('@', '%' or too many '-'); the owner stops the worker.
        virtual void loaderEnded() = 0;
    };

    // file: open for reading in text mode; it stays the caller's.
    FirmwareLoader(SerialPort& port, QIODevice& file, Listener& listener);
    ~FirmwareLoader();
    FirmwareLoader(const FirmwareLoader&) = delete;
    FirmwareLoader& operator=(const FirmwareLoader&) = delete;

    void start();
    // Asks the worker to end and frees a line write the unit is holding up, so that the worker
    // sees the request within one read and one write time-out. Any thread may call it.
    void requestStop();
    bool hasEnded() const { return ended_; }
    // Milliseconds since the loader last said something that means anything (or since the start).
    qint64 quietMs() const;
    State state() const { return publicState_; }
    // The line broke (the port hung up or failed): the dialogue ended without the loader's word.
    bool lineLost() const { return lineLost_; }
    // Joins the worker; call it once hasEnded() or after requestStop() has had its time.
    void join();

    // The worker's body; returns when a stop has been requested.
    void run();

    static QString startText();
    static QString connectedText();
    static QString completeText(int lines);

private:
    void setUpLine();
    void pass();
    // Ends the dialogue when the port reports a broken line; true when it did.
    bool endOnBrokenLine();
    void handleSendingByte(int byte);
    // Reads the next line that holds anything (an empty one would send nothing, and the loader
    // would wait for it for ever); false when the file could not be read.
    bool readLine(QByteArray& line, bool& atEnd);
    void sendLine();
    void restartFromCall();
    void end();

    SerialPort& port_;
    QIODevice& file_;
    QElapsedTimer clock_;
    Listener& listener_;
    std::thread worker_;
    std::atomic<bool> stopRequest_{false};
    std::atomic<bool> ended_{false};
    std::atomic<bool> lineLost_{false};
    std::atomic<qint64> lastHeardMs_{0};
    std::atomic<State> publicState_{State::Calling};

    State state_ = State::Calling;
    QByteArray line_;
    int lineNumber_ = 0;
    int retries_ = 0;
    bool endRecordSent_ = false;
};
