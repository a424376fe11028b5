#include "FirmwareLoader.h"

#include "BlockTransfer.h"
#include "HexFile.h"
#include "SerialPort.h"

#include <QIODevice>

namespace {

constexpr int Xon = 0x11;
constexpr int Xoff = 0x13;

bool isEndRecord(const QByteArray& line)
{
    // The record type sits in the eighth and ninth characters of ":LLAAAATT...".
    return line.size() >= 9 && line[7] == '0' && line[8] == '1';
}

} // namespace

FirmwareLoader::FirmwareLoader(SerialPort& port, QIODevice& file, Listener& listener)
    : port_(port)
    , file_(file)
    , listener_(listener)
{}

FirmwareLoader::~FirmwareLoader()
{
    requestStop();
    join();
}

QString FirmwareLoader::startText()
{
    return tr("Please turn ON the power to the unit to enable the boot loader");
}

QString FirmwareLoader::connectedText()
{
    return tr("Connect.  Sending firmware...");
}

QString FirmwareLoader::completeText(int lines)
{
    return tr("Firmware load complete.  %1 lines sent").arg(lines);
}

qint64 FirmwareLoader::quietMs() const
{
    return clock_.isValid() ? clock_.elapsed() - lastHeardMs_ : 0;
}

void FirmwareLoader::start()
{
    clock_.start();
    lastHeardMs_ = 0;
    stopRequest_ = false;
    ended_ = false;
    lineLost_ = false;
    worker_ = std::thread([this] { run(); });
}

void FirmwareLoader::requestStop()
{
    stopRequest_ = true;
    port_.ReleaseHeldOutput();
}

void FirmwareLoader::join()
{
    if (worker_.joinable())
        worker_.join();
}

void FirmwareLoader::run()
{
    setUpLine();
    while (!stopRequest_)
        pass();
    ended_ = true;
}

void FirmwareLoader::setUpLine()
{
    // What went wrong on the port before the update is not the update's broken line; a line
    // that cannot be set up now is: its error stays, and the first pass ends on it.
    port_.TakeError();
    static_cast<void>(port_.SetLineSetup({BaudRate, 8, LineSettings::NoParity,
                                          LineSettings::OneStopBit, SerialPort::XonXoffHandshake,
                                          SerialPort::XonXoffFlow}));
    port_.SetReadTimeout(SerialPort::ShortReadTimeoutMs);
    port_.SetWriteTimeout(WriteTimeoutMs);
    port_.PurgeInput();
    port_.PurgeOutput();
    state_ = State::Calling;
    publicState_ = state_;
    endRecordSent_ = false;
}

bool FirmwareLoader::endOnBrokenLine()
{
    // A write the loader held up with XOFF ran out of time: that is the quiet loader, which the
    // owner's time-out deals with, not a broken line.
    const uint32_t error = port_.PeekError();
    if (state_ == State::Done || error == 0 || error == ETIMEDOUT)
        return false;
    lineLost_ = true;
    listener_.loaderMessage(BlockTransfer::lineLostText());
    end();
    return true;
}

void FirmwareLoader::pass()
{
    const int byte = port_.ReadByte();
    if (endOnBrokenLine())
        return;
    if (byte != -1 && byte != Xon && byte != Xoff)
        lastHeardMs_ = clock_.elapsed();
    switch (state_) {
    case State::Calling:
        port_.WriteString(callText());
        if (byte == '?') {
            listener_.loaderText(connectedText());
            bool atEnd = false;
            if (!readLine(line_, atEnd))
                return;
            port_.WriteString(line_);
            retries_ = 0;
            lineNumber_ = 1;
            state_ = State::Sending;
            publicState_ = state_;
        }
        break;
    case State::Sending:
        handleSendingByte(byte);
        break;
    case State::Done:
        break;
    }
}

void FirmwareLoader::handleSendingByte(int byte)
{
    switch (byte) {
    case -1:
    case Xon:
    case Xoff:
        return;
    case '~': {
        if (endRecordSent_)
            return;
        bool atEnd = false;
        if (!readLine(line_, atEnd))
            return;
        if (atEnd) {
            listener_.loaderMessage(tr("Warning: No end of record in Intel Hex file"));
            line_ = substituteEndRecord();
        }
        if (isEndRecord(line_))
            endRecordSent_ = true;
        listener_.loaderProgress(file_.pos());
        port_.WriteString(line_);
        retries_ = 0;
        ++lineNumber_;
        return;
    }
    case '-':
        if (retries_++ < MaxResends) {
            port_.WriteString(line_);
            return;
        }
        listener_.loaderMessage(
            tr("Checksum error reported for line %1.  Aborting").arg(lineNumber_));
        end();
        return;
    case '%':
        listener_.loaderMessage(
            tr("Invalid page error reported for line %1.  Aborting").arg(lineNumber_));
        end();
        return;
    case '@':
        listener_.loaderComplete();
        listener_.loaderMessage(completeText(lineNumber_));
        end();
        return;
    default:
        restartFromCall();
        return;
    }
}

bool FirmwareLoader::readLine(QByteArray& line, bool& atEnd)
{
    const std::optional<QByteArray> next = HexFile::nextRecord(file_, MaxLineLength);
    if (!next) {
        listener_.loaderText(tr("Error"));
        return false;
    }
    atEnd = next->isEmpty();
    if (!atEnd)
        line = *next;
    return true;
}

void FirmwareLoader::restartFromCall()
{
    // Line breaks as this platform's message boxes take them.
    listener_.loaderMessage(tr("Unrecognised output, please;\n1.)Turn OFF the unit.\n2.)Hit OK\n3.)"
                               "Turn ON the unit."));
    port_.PurgeInput();
    port_.PurgeOutput();
    state_ = State::Calling;
    publicState_ = state_;
    // The file starts over, and so does what is known about the lines sent from it.
    file_.seek(0);
    endRecordSent_ = false;
}

void FirmwareLoader::end()
{
    state_ = State::Done;
    publicState_ = state_;
    listener_.loaderEnded();
}
