#include "SerialPort.h"

#include <QCoreApplication>

#include <QDeadlineTimer>
#include <QDir>
#include <QRegularExpression>
#include <QThread>

#include <algorithm>
#include <cerrno>
#include <cstring>
#include <fcntl.h>
#include <poll.h>
#include <sys/file.h>
#include <sys/ioctl.h>
#include <termios.h>
#include <unistd.h>
#include <utility>

namespace {

// Whenever this much is waiting in the driver, a read drains it, however little was asked for:
// half of what the driver holds (Linux's terminal layer keeps 4096 bytes ready to read).
constexpr int DrainThreshold = 2048;
constexpr int QueryInterval = 1024;

QDeadlineTimer deadlineFor(int32_t timeoutMs)
{
    return timeoutMs == Channel::NoTimeLimit ? QDeadlineTimer(QDeadlineTimer::Forever)
                                             : QDeadlineTimer(timeoutMs);
}

int pollTimeout(const QDeadlineTimer& deadline)
{
    if (deadline.isForever())
        return -1;
    return static_cast<int>(std::min<qint64>(deadline.remainingTime(), 1 << 30));
}

} // namespace

SerialPort::SerialPort() = default;

SerialPort::SerialPort(const QString& name, uint32_t baudRate, int byteSize, int parity,
                       int stopBits, int handshakeMode, int flowMode)
{
    Open(name, baudRate, byteSize, parity, stopBits, handshakeMode, flowMode);
}

SerialPort::~SerialPort()
{
    Close();
}

QString SerialPort::NormalizeName(const QString& name)
{
    const QString trimmed = name.trimmed();
    if (trimmed.contains(u'/'))
        return QDir::cleanPath(QDir::current().absoluteFilePath(trimmed));
    static const QRegularExpression comName(QStringLiteral("^com([0-9]+):?$"),
                                            QRegularExpression::CaseInsensitiveOption);
    const QRegularExpressionMatch com = comName.match(trimmed);
    if (com.hasMatch() && com.captured(1).toInt() >= 1)
        return QStringLiteral("/dev/ttyS%1").arg(com.captured(1).toInt() - 1);
    QString bare = trimmed;
    bare.remove(u':');
    return QStringLiteral("/dev/") + bare;
}

int SerialPort::GetTimeoutFactor() const
{
    switch (settings_.baudRate) {
    case 300:
        return 10;
    case 1200:
        return 5;
    default:
        return 1;
    }
}

QString SerialPort::GetErrorText() const
{
    if (lastError_ == 0)
        return Channel::GetErrorText();
    const QString text = qt_error_string(static_cast<int>(lastError_));
    // The system's words do not say who is busy with the port.
    if (lastError_ == EBUSY)
        return QCoreApplication::translate(
                   "SerialPort", "%1: another program (such as a running console) holds the port")
            .arg(text);
    return text;
}

bool SerialPort::recordFailure(int errorNumber)
{
    lastError_ = static_cast<uint32_t>(errorNumber);
    return false;
}

bool SerialPort::Open(const QString& name, uint32_t baudRate, int byteSize, int parity,
                      int stopBits, int handshakeMode, int flowMode)
{
    Close();
    name_ = NormalizeName(name);
    const QByteArray path = name_.toLocal8Bit();
    ++systemCalls_;
    const int fd = ::open(path.constData(), O_RDWR | O_NOCTTY | O_NONBLOCK | O_CLOEXEC);
    if (fd < 0)
        return recordFailure(errno);

    // TIOCEXCL keeps other users out, but not root; the flock() holds against everybody who
    // opens the port the same way, a second copy of this program included.
    int problem = 0;
    systemCalls_ += 2;
    if (::ioctl(fd, TIOCEXCL) != 0)
        problem = errno;
    else if (::flock(fd, LOCK_EX | LOCK_NB) != 0)
        problem = errno == EWOULDBLOCK ? EBUSY : errno;
    if (problem != 0) {
        ::close(fd);
        return recordFailure(problem);
    }

    // Linux sizes the driver queues itself; there is nothing to set for them.
    handle_ = fd;
    if (!Configure(baudRate, byteSize, parity, stopBits, handshakeMode, flowMode)) {
        Close();
        return false;
    }
    return true;
}

bool SerialPort::Close()
{
    if (!IsOpen())
        return false;
    // The exclusive flag is the terminal's, not this descriptor's: closed with it set, the
    // port stays barred to everyone but root for as long as anything else holds it open.
    systemCalls_ += 2;
    ::ioctl(handle_, TIOCNXCL);
    ::close(handle_);
    handle_ = InvalidHandle;
    buffer_.clear();
    bufferHead_ = 0;
    handedSinceQuery_ = 0;
    return true;
}

bool SerialPort::IsHungUp() const
{
    if (!IsOpen())
        return false;
    pollfd p{handle_, 0, 0};
    return ::poll(&p, 1, 0) > 0 && (p.revents & (POLLHUP | POLLERR | POLLNVAL)) != 0;
}

bool SerialPort::Reopen()
{
    const LineSettings kept = settings_;
    return Open(name_, kept.baudRate, kept.byteSize, kept.parity, kept.stopBits, GetHandshakeMode(),
                GetFlowMode());
}

bool SerialPort::Configure(uint32_t baudRate, int byteSize, int parity, int stopBits,
                           int handshakeMode, int flowMode)
{
    const LineSettings before = settings_;
    LineSettings& s = settings_;
    s.binary = true;
    s.parityCheck = false;
    s.dsrSensitivity = false;
    s.errorChar = false;
    s.nullStrip = false;
    s.abortOnError = false;
    if (baudRate > 0)
        s.baudRate = baudRate;
    if (byteSize > 0)
        s.byteSize = static_cast<uint8_t>(byteSize);
    s.parity = static_cast<uint8_t>(parity);
    s.stopBits = static_cast<uint8_t>(stopBits);

    using Dtr = LineSettings::DtrControl;
    using Rts = LineSettings::RtsControl;
    switch (handshakeMode) {
    case NoHandshake:
    case 5: // the same as NoHandshake
        s.dtrControl = Dtr::Enable, s.rtsControl = Rts::Enable, s.inX = false;
        break;
    case XonXoffHandshake:
        s.dtrControl = Dtr::Enable, s.rtsControl = Rts::Enable, s.inX = true;
        break;
    case RtsHandshake:
        s.dtrControl = Dtr::Enable, s.rtsControl = Rts::Handshake, s.inX = false;
        break;
    case RtsToggle:
        s.dtrControl = Dtr::Enable, s.rtsControl = Rts::Toggle, s.inX = false;
        break;
    case DtrHandshake:
        s.dtrControl = Dtr::Handshake, s.rtsControl = Rts::Enable, s.inX = false;
        break;
    default:
        break;
    }
    switch (flowMode) {
    case NoFlowControl:
    case 4: // 4 and 5 are NoFlowControl as well
    case 5:
        s.outxCtsFlow = false, s.outxDsrFlow = false, s.outX = false;
        break;
    case XonXoffFlow:
        s.outxCtsFlow = false, s.outxDsrFlow = false, s.outX = true;
        break;
    case CtsFlow:
        s.outxCtsFlow = true, s.outxDsrFlow = false, s.outX = false;
        break;
    case DsrFlow:
        s.outxCtsFlow = false, s.outxDsrFlow = true, s.outX = false;
        break;
    default:
        break;
    }
    if (!IsOpen() || applySettings())
        return true;
    // Settings the device refuses leave it as it runs. A device that has gone (the line hung
    // up) runs nothing: the settings are kept for opening it anew.
    if (lastError_ == EINVAL)
        settings_ = before;
    return false;
}

bool SerialPort::applySettings()
{
    termios t{};
    ++systemCalls_;
    if (::tcgetattr(handle_, &t) != 0)
        return recordFailure(errno);
    if (!settings_.toTermios(t))
        return recordFailure(EINVAL);
    ++systemCalls_;
    const bool set = ::tcsetattr(handle_, TCSANOW, &t) == 0;
    const int setError = errno;
    // A device may take part of the settings: a pseudo-terminal (as a network serial bridge
    // presents) runs 8 data bits without parity whatever it is told, and the C library then
    // reports EINVAL although the speed and the rest were set. What the device holds now is
    // what the line runs with, so that is what the port records.
    termios held{};
    ++systemCalls_;
    if (::tcgetattr(handle_, &held) != 0)
        return recordFailure(set ? errno : setError);
    if (!set && setError != EINVAL)
        return recordFailure(setError);
    const LineSettings asked = settings_;
    const int refused = settings_.adoptHeld(held);
    if (!set && refused == 0)
        return recordFailure(setError);
    if (refused & LineSettings::Speed)
        refusedAsked_.baudRate = asked.baudRate;
    if (refused & LineSettings::DataBits)
        refusedAsked_.byteSize = asked.byteSize;
    if (refused & LineSettings::ParityField)
        refusedAsked_.parity = asked.parity;
    if (refused & LineSettings::StopBitsField)
        refusedAsked_.stopBits = asked.stopBits;
    refusedFields_ |= refused;
    applyModemLines();
    return true;
}

QString SerialPort::TakeRefusal()
{
    if (refusedFields_ == 0)
        return {};
    const int fields = std::exchange(refusedFields_, 0);
    return tr("The port does not take %1; it runs with %2.")
        .arg(refusedAsked_.describe(fields), settings_.describe(fields));
}

// DTR and RTS follow their settings where the line is not handed to a handshake. A
// pseudo-terminal has no modem lines, so failures here are not failures of the port.
void SerialPort::applyModemLines()
{
    using Dtr = LineSettings::DtrControl;
    using Rts = LineSettings::RtsControl;
    int set = 0;
    int clear = 0;
    (settings_.dtrControl == Dtr::Disable ? clear : set) |= TIOCM_DTR;
    if (settings_.rtsControl == Rts::Disable)
        clear |= TIOCM_RTS;
    else if (settings_.rtsControl != Rts::Handshake)
        set |= TIOCM_RTS;
    systemCalls_ += 2;
    if (set != 0)
        ::ioctl(handle_, TIOCMBIS, &set);
    if (clear != 0)
        ::ioctl(handle_, TIOCMBIC, &clear);
}

bool SerialPort::SetBaudRate(uint32_t rate)
{
    return Configure(rate, 0, GetParity(), GetStopBits(), KeepMode, KeepMode);
}

bool SerialPort::SetByteSize(int bits)
{
    return Configure(0, bits, GetParity(), GetStopBits(), KeepMode, KeepMode);
}

bool SerialPort::SetParity(int code)
{
    return Configure(0, 0, code, GetStopBits(), KeepMode, KeepMode);
}

bool SerialPort::SetStopBits(int code)
{
    return Configure(0, 0, GetParity(), code, KeepMode, KeepMode);
}

bool SerialPort::SetHandshakeMode(int mode)
{
    return Configure(0, 0, GetParity(), GetStopBits(), mode, KeepMode);
}

bool SerialPort::SetFlowMode(int mode)
{
    return Configure(0, 0, GetParity(), GetStopBits(), KeepMode, mode);
}

SerialPort::LineSetup SerialPort::GetLineSetup() const
{
    return {GetBaudRate(), GetByteSize(), GetParity(), GetStopBits(), GetHandshakeMode(),
            GetFlowMode()};
}

bool SerialPort::SetLineSetup(const LineSetup& setup)
{
    DrainOutput(DrainLimitMs);
    bool set = true;
    if (setup.baudRate != 0)
        set = SetBaudRate(setup.baudRate) && set;
    if (setup.byteSize != 0)
        set = SetByteSize(setup.byteSize) && set;
    set = SetParity(setup.parity) && set;
    set = SetStopBits(setup.stopBits) && set;
    if (setup.handshakeMode != KeepMode)
        set = SetHandshakeMode(setup.handshakeMode) && set;
    if (setup.flowMode != KeepMode)
        set = SetFlowMode(setup.flowMode) && set;
    return set;
}

bool SerialPort::DrainOutput(int32_t limitMs)
{
    if (!IsOpen())
        return true;
    // tcdrain has no time limit: wait for the driver's queue here, where one can be kept, and
    // leave to tcdrain only what the UART still holds, which its driver bounds itself.
    const QDeadlineTimer deadline(limitMs);
    const int bitsPerByte = 1 + settings_.byteSize + (settings_.parity != LineSettings::NoParity) +
                            (settings_.stopBits == LineSettings::OneStopBit ? 1 : 2);
    for (;;) {
        int queued = 0;
        ++systemCalls_;
        if (::ioctl(handle_, TIOCOUTQ, &queued) != 0)
            return false;
        if (queued == 0) {
            ++systemCalls_;
            return ::tcdrain(handle_) == 0;
        }
        if (deadline.hasExpired())
            return false;
        // Look again once the queued bytes could have gone at this speed.
        const qint64 lineMs = settings_.baudRate == 0
                                  ? 1
                                  : qint64(queued) * bitsPerByte * 1000 / settings_.baudRate + 1;
        QThread::msleep(static_cast<unsigned long>(std::min(lineMs, deadline.remainingTime())));
    }
}

int SerialPort::GetHandshakeMode() const
{
    using Rts = LineSettings::RtsControl;
    if (settings_.rtsControl == Rts::Handshake)
        return RtsHandshake;
    if (settings_.rtsControl == Rts::Toggle)
        return RtsToggle;
    return settings_.inX ? XonXoffHandshake : NoHandshake;
}

int SerialPort::GetFlowMode() const
{
    if (settings_.outxCtsFlow)
        return CtsFlow;
    return settings_.outX ? XonXoffFlow : NoFlowControl;
}

int SerialPort::deviceBytesWaiting(bool* ok)
{
    int waiting = 0;
    ++systemCalls_;
    *ok = ::ioctl(handle_, FIONREAD, &waiting) == 0;
    if (!*ok)
        recordFailure(errno);
    return *ok ? waiting : 0;
}

// Reads up to size bytes onto the end of the receive buffer, returning as soon as `wanted` have
// come (at once when wanted <= 0) or the read time-out has run out.
bool SerialPort::deviceRead(int size, int wanted)
{
    const size_t start = buffer_.size();
    buffer_.resize(start + static_cast<size_t>(size));
    const QDeadlineTimer deadline = deadlineFor(readTimeout_);
    int received = 0;
    bool ok = true;
    while (received < size) {
        ++systemCalls_;
        ++deviceReads_;
        const ssize_t n = ::read(handle_, buffer_.data() + start + received,
                                 static_cast<size_t>(size - received));
        if (n > 0) {
            received += static_cast<int>(n);
            if (received >= wanted)
                break;
            continue;
        }
        if (n < 0 && errno == EINTR)
            continue;
        if (n < 0 && errno != EAGAIN) {
            ok = recordFailure(errno);
            break;
        }
        if (received >= wanted || deadline.hasExpired())
            break;
        pollfd p{handle_, POLLIN, 0};
        ++systemCalls_;
        const int ready = ::poll(&p, 1, pollTimeout(deadline));
        if (ready == 0)
            break;
        if (ready < 0) {
            if (errno == EINTR)
                continue;
            ok = recordFailure(errno);
            break;
        }
        // The other end hung up (a pseudo-terminal's master closed, an adapter pulled). A hung-up
        // terminal also reports itself readable while every read gives nothing, so a hang-up
        // counts even when POLLIN comes with it: the read just before found nothing to take.
        if ((p.revents & POLLIN) == 0 || (p.revents & (POLLHUP | POLLERR | POLLNVAL)) != 0) {
            ok = recordFailure(EIO);
            break;
        }
    }
    buffer_.resize(start + static_cast<size_t>(received));
    return ok;
}

bool SerialPort::Read(uint8_t* out, int count)
{
    lastReadCount_ = 0;
    if (!IsOpen())
        return false;

    // While the receive buffer can serve the caller, the driver is asked how much waits only
    // once per QueryInterval bytes handed out: often enough to drain it long before it fills,
    // and byte-by-byte reading of a stream then costs no system call per byte.
    bool ok = true;
    const int buffered = BufferedCount();
    if (buffered < count || handedSinceQuery_ >= QueryInterval) {
        handedSinceQuery_ = 0;
        const int waiting = deviceBytesWaiting(&ok);
        if (ok && (buffered < count || waiting >= DrainThreshold)) {
            const int size = std::max(count, waiting);
            if (size > 0)
                ok = deviceRead(size, count - buffered);
        }
    }

    const int handed = std::min(BufferedCount(), count);
    if (handed > 0)
        std::memcpy(out, buffer_.data() + bufferHead_, static_cast<size_t>(handed));
    bufferHead_ += static_cast<size_t>(handed);
    // Close the gap only when it is worth it, so that byte-by-byte reading does not move the
    // whole buffer each time.
    if (bufferHead_ == buffer_.size()) {
        buffer_.clear();
        bufferHead_ = 0;
    } else if (bufferHead_ >= 4096 && bufferHead_ * 2 >= buffer_.size()) {
        buffer_.erase(buffer_.begin(), buffer_.begin() + static_cast<std::ptrdiff_t>(bufferHead_));
        bufferHead_ = 0;
    }
    lastReadCount_ = handed;
    handedSinceQuery_ += handed;
    return ok && handed == count;
}

bool SerialPort::Write(const uint8_t* data, int count)
{
    lastWriteCount_ = 0;
    if (!IsOpen())
        return false;
    const QDeadlineTimer deadline = deadlineFor(writeTimeout_);
    int sent = 0;
    int problem = 0;
    while (sent < count) {
        ++systemCalls_;
        const ssize_t n = ::write(handle_, data + sent, static_cast<size_t>(count - sent));
        if (n > 0) {
            sent += static_cast<int>(n);
            continue;
        }
        if (n < 0 && errno == EINTR)
            continue;
        if (n < 0 && errno != EAGAIN) {
            problem = errno;
            break;
        }
        if (deadline.hasExpired()) {
            problem = ETIMEDOUT;
            break;
        }
        pollfd p{handle_, POLLOUT, 0};
        ++systemCalls_;
        const int ready = ::poll(&p, 1, pollTimeout(deadline));
        if (ready == 0) {
            problem = ETIMEDOUT;
            break;
        }
        if (ready < 0 && errno != EINTR) {
            problem = errno;
            break;
        }
        if (ready > 0 && (p.revents & POLLOUT) == 0) {
            problem = EIO;
            break;
        }
    }
    lastWriteCount_ = sent;
    if (problem == 0)
        return true;
    return recordFailure(problem);
}

void SerialPort::PurgeInput()
{
    if (IsOpen()) {
        ++systemCalls_;
        ::tcflush(handle_, TCIFLUSH);
    }
    buffer_.clear();
    bufferHead_ = 0;
}

void SerialPort::PurgeOutput()
{
    if (IsOpen()) {
        ++systemCalls_;
        ::tcflush(handle_, TCOFLUSH);
    }
}

bool SerialPort::ReadLine(QByteArray& line, int size, bool append)
{
    if (!IsOpen())
        return false;
    const QDeadlineTimer deadline = deadlineFor(readTimeout_);
    if (!append)
        line.clear();
    for (;;) {
        const int byte = ReadByte();
        if (byte < 0) {
            if (deadline.hasExpired())
                return false;
            continue;
        }
        if (line.size() >= size - 1)
            return true;
        line.append(static_cast<char>(byte));
        if (byte == '\r' || byte == '\n')
            return true;
        if (deadline.hasExpired())
            return false;
    }
}

void SerialPort::ReleaseHeldOutput()
{
    // No system call count here: the writer's thread owns it.
    if (IsOpen()) {
        ::tcflush(handle_, TCOFLUSH);
        // TCOON alone only undoes TCOOFF; after TCOOFF it also lifts a stop by XOFF.
        ::tcflow(handle_, TCOOFF);
        ::tcflow(handle_, TCOON);
    }
}

bool SerialPort::WriteLine(const QByteArray& text)
{
    if (!IsOpen())
        return false;
    SetWriteTimeout(NoTimeLimit);
    if (text.contains("\r\n"))
        return WriteString(text);
    return WriteString(text) && WriteString(QByteArrayLiteral("\r\n"));
}
