#include "UnitSimulator.h"

#include "BlockTransfer.h"
#include "LineSettings.h"
#include "UnitSession.h"

#include <QDateTime>
#include <QFileInfo>
#include <QJsonArray>
#include <QJsonDocument>
#include <QtEndian>

#include <cerrno>
#include <csignal>
#include <fcntl.h>
#include <poll.h>
#include <sys/prctl.h>
#include <termios.h>
#include <thread>
#include <unistd.h>

namespace {

constexpr uint8_t Ack = BlockTransfer::Ack;
constexpr uint8_t Nak = BlockTransfer::Nak;
constexpr uint8_t BlockReady = BlockTransfer::BlockReady;
constexpr uint8_t OutOfMemory = BlockTransfer::OutOfMemory;
constexpr uint8_t InvalidLength = BlockTransfer::InvalidLength;
constexpr uint8_t UnitAnswer = UnitSession::UnitAnswer;
constexpr uint32_t OnlineSpeed = UnitSession::OnlineBaudRate;
constexpr auto StallTime = std::chrono::seconds(1);
constexpr uint32_t MaxPageRecord = 1024;
constexpr uint32_t MaxVoiceBlock = 8u << 20;

// The (offset, length) entries at the head of a voice prompt block, as far as the block holds
// them.
QJsonArray promptTable(const QByteArray& block)
{
    QJsonArray table;
    for (int entry = 0; entry < 6 && 8 * entry + 8 <= block.size(); ++entry) {
        const char* at = block.constData() + 8 * entry;
        table.append(QJsonArray{static_cast<qint64>(qFromLittleEndian<quint32>(at)),
                                static_cast<qint64>(qFromLittleEndian<quint32>(at + 4))});
    }
    return table;
}

uint16_t sum16(const QByteArray& bytes)
{
    return BlockTransfer::checksum(reinterpret_cast<const uint8_t*>(bytes.constData()),
                                   static_cast<uint32_t>(bytes.size()));
}

} // namespace

UnitSimulator::UnitSimulator(Options options)
    : options_(std::move(options))
{
    listeningSpeed_ = options_.speed;
    naksLeft_ = options_.nakChecksum;
    poweredOn_ = !options_.bootLoader;
    loaderNaksLeft_ = options_.loaderNakCount;
    random_.seed(options_.seed);
    if (options_.image) {
        image_ = *options_.image;
    } else {
        ConfigurationImage defaults;
        defaults.setChecksum(defaults.computeChecksum());
        image_ = defaults.bytes();
    }
}

UnitSimulator::~UnitSimulator()
{
    if (!options_.linkPath.isEmpty() && QFileInfo(options_.linkPath).isSymLink())
        QFile::remove(options_.linkPath);
    if (master_ >= 0)
        ::close(master_);
    if (slave_ >= 0)
        ::close(slave_);
}

bool UnitSimulator::open(QString* error)
{
    if (!openLine(error))
        return false;
    if (!options_.logPath.isEmpty()) {
        logFile_.setFileName(options_.logPath);
        if (!logFile_.open(QIODevice::WriteOnly | QIODevice::Append)) {
            *error = QStringLiteral("cannot write the log %1").arg(options_.logPath);
            return false;
        }
    }
    readLineSettings();
    log(QStringLiteral("start"),
        {{QStringLiteral("listening"), static_cast<qint64>(listeningSpeed_)}});
    return true;
}

bool UnitSimulator::openLine(QString* error)
{
    master_ = ::posix_openpt(O_RDWR | O_NOCTTY);
    if (master_ < 0 || ::grantpt(master_) != 0 || ::unlockpt(master_) != 0) {
        *error = QStringLiteral("cannot open a pseudo-terminal: %1").arg(qt_error_string(errno));
        return false;
    }
    slaveName_ = QString::fromLocal8Bit(::ptsname(master_));
    ::fcntl(master_, F_SETFL, ::fcntl(master_, F_GETFL) | O_NONBLOCK);

    // Holding the slave open keeps the master readable while no program is attached, and a raw
    // slave echoes nothing before the program has set the line.
    slave_ = ::open(slaveName_.toLocal8Bit().constData(), O_RDWR | O_NOCTTY);
    termios t{};
    ::tcgetattr(slave_, &t);
    ::cfmakeraw(&t);
    ::cfsetspeed(&t, B9600);
    ::tcsetattr(slave_, TCSANOW, &t);

    if (!options_.linkPath.isEmpty()) {
        const QFileInfo link(options_.linkPath);
        if (link.isSymLink())
            QFile::remove(options_.linkPath);
        else if (link.exists()) {
            *error = QStringLiteral("%1 exists and is not a link").arg(options_.linkPath);
            return false;
        }
        if (!QFile::link(slaveName_, options_.linkPath)) {
            *error = QStringLiteral("cannot link %1 to %2").arg(options_.linkPath, slaveName_);
            return false;
        }
    }
    return true;
}

void UnitSimulator::hangUp()
{
    ::close(master_);
    master_ = -1;
    ::close(slave_);
    slave_ = -1;
    resetToIdle();
    // In a long run with random faults the unit comes back on a new line; the program opens
    // the link again.
    if (options_.faultRate <= 0)
        exitRequested_ = true;
}

int UnitSimulator::serve(const std::function<bool()>& stopRequested)
{
    // Wire time is kept to the microsecond, not to the default 50 us of timer slack.
    ::prctl(PR_SET_TIMERSLACK, 1UL);
    readLineSettings();
    uint8_t chunk[4096];
    while (!exitRequested_ && !stopRequested()) {
        if (master_ < 0) {
            QString error;
            if (!openLine(&error)) {
                log(QStringLiteral("error"), {{QStringLiteral("text"), error}});
                exitCode_ = 2;
                break;
            }
            log(QStringLiteral("line"), {{QStringLiteral("slave"), slaveName_}});
        }
        if (!poweredOn_ &&
            ((options_.powerSwitch && options_.powerSwitch()) ||
             (options_.powerOnAfterMs >= 0 &&
              Clock::now() - started_ > std::chrono::milliseconds(options_.powerOnAfterMs))))
            powerOn();
        pollfd p{master_, static_cast<short>(options_.deaf ? 0 : POLLIN), 0};
        const int ready = ::poll(&p, 1, 100);
        if (ready < 0 && errno != EINTR)
            break;
        if (ready > 0 && (p.revents & POLLIN)) {
            const ssize_t n = ::read(master_, chunk, sizeof chunk);
            const auto now = Clock::now();
            // The program sets the line between exchanges, never inside one: one look per read.
            readLineSettings();
            const auto perByte = std::chrono::duration_cast<Clock::duration>(
                std::chrono::duration<double>(byteSeconds_));
            int garbled = 0;
            for (ssize_t i = 0; i < n && master_ >= 0 && !exitRequested_; ++i) {
                rxClock_ = std::max(rxClock_, now) + perByte;
                lastByte_ = now;
                // A unit switched off hears nothing; at another speed than the unit's, bytes
                // arrive as noise and mean nothing.
                if (!poweredOn_)
                    continue;
                if (!atListeningSpeed()) {
                    ++garbled;
                    continue;
                }
                handleByte(chunk[i]);
            }
            if (garbled > 0)
                log(QStringLiteral("garbled"), {{QStringLiteral("count"), garbled}});
        }
        // Silence ends a while after it began, whatever the program sends meanwhile.
        const bool stalled = mode_ == Mode::Silent ? Clock::now() - silentSince_ > StallTime
                                                   : Clock::now() - lastByte_ > StallTime;
        if (mode_ == Mode::LoaderLine && !loaderLine_.isEmpty() && stalled) {
            log(QStringLiteral("firmware-stalled"),
                {{QStringLiteral("text"), QString::fromLatin1(loaderLine_)}});
            loaderLine_.clear();
        }
        if (mode_ != Mode::Idle && !loaderActive() && stalled) {
            log(QStringLiteral("stalled"), {{QStringLiteral("type"), blockType_}});
            resetToIdle();
        }
    }
    return exitCode_;
}

void UnitSimulator::handleByte(uint8_t byte)
{
    switch (mode_) {
    case Mode::Idle:
        handleIdle(byte);
        break;
    case Mode::LinkCommand:
        handleLinkCommand(byte);
        break;
    case Mode::RxLength:
        blockLength_ = blockLength_ * 256 + byte;
        if (++lengthBytes_ < 3)
            break;
        placeRandomFault(blockLength_);
        if (faults_.refuseLength != 0) {
            // Logged before the answer, so that whoever reads the log after the answer finds it.
            log(QStringLiteral("length-refused"),
                {{QStringLiteral("type"), blockType_},
                 {QStringLiteral("length"), static_cast<qint64>(blockLength_)}});
            sendByte(faults_.refuseLength);
            resetToIdle();
        } else if ((blockType_ == 2 && blockLength_ != ConfigurationImage::Size) ||
                   (blockType_ == 4 && (blockLength_ == 0 || blockLength_ > MaxPageRecord)) ||
                   (blockType_ == 5 && blockLength_ == 0)) {
            sendByte(InvalidLength);
            resetToIdle();
        } else if (blockType_ == 5 && blockLength_ > MaxVoiceBlock) {
            sendByte(OutOfMemory);
            resetToIdle();
        } else {
            if (faults_.garbage)
                sendGarbage();
            sendByte(Ack);
            mode_ = blockLength_ == 0 ? Mode::RxChecksum : Mode::RxData;
        }
        break;
    case Mode::RxData:
        blockData_.append(static_cast<char>(byte));
        countDataByte();
        if (mode_ != Mode::RxData)
            break;
        if (static_cast<uint32_t>(blockData_.size()) == blockLength_) {
            mode_ = Mode::RxChecksum;
        } else if (blockData_.size() % 64 == 0) {
            if (faults_.garbage)
                sendGarbage();
            sendByte(BlockReady);
        }
        break;
    case Mode::RxChecksum:
        checksumReceived_ = static_cast<uint16_t>(checksumReceived_ * 256 + byte);
        if (++checksumBytes_ == 2)
            finishReceive();
        break;
    case Mode::TxAwaitLengthAnswer:
        if (byte == Ack) {
            sendBlockBody();
        } else if (byte == Nak) {
            log(blockType_ == 3 ? QStringLiteral("upload") : QStringLiteral("status"),
                {{QStringLiteral("lengthRefused"), true}});
            resetToIdle();
        } else {
            resetToIdle();
            handleIdle(byte);
        }
        break;
    case Mode::TxAwaitChecksumAnswer:
        if (byte == Ack || byte == Nak) {
            finishSend(byte == Ack);
        } else {
            resetToIdle();
            handleIdle(byte);
        }
        break;
    case Mode::Silent:
        break;
    case Mode::LoaderCall:
    case Mode::LoaderLine:
    case Mode::LoaderDead:
        handleLoaderByte(byte);
        break;
    }
}

void UnitSimulator::handleIdle(uint8_t byte)
{
    if (byte == 0xAA) {
        linkCommand_ = QByteArray(1, static_cast<char>(byte));
        mode_ = Mode::LinkCommand;
    } else if (byte == 2 || byte == 4 || byte == 5) {
        startReceive(byte);
    } else if (byte == 3 || byte == 8) {
        startSend(byte);
    }
}

void UnitSimulator::handleLinkCommand(uint8_t byte)
{
    static const QByteArray prefix("\xAA\xBA\xCA", 3);
    if (linkCommand_.size() < 3) {
        if (static_cast<uint8_t>(prefix[linkCommand_.size()]) != byte) {
            resetToIdle();
            handleIdle(byte);
            return;
        }
        linkCommand_.append(static_cast<char>(byte));
        return;
    }
    resetToIdle();
    if (byte != 0xDA && byte != 0xDB) {
        handleIdle(byte);
        return;
    }
    const bool connect = byte == 0xDA;
    const QString event = connect ? QStringLiteral("connect") : QStringLiteral("disconnect");
    const bool answer = connect ? !options_.ignoreConnect : !options_.ignoreDisconnect;
    log(event, {{QStringLiteral("answered"), answer}});
    if (answer) {
        sendByte(UnitAnswer);
        if (connect)
            listeningSpeed_ = OnlineSpeed;
        else if (options_.resetSpeedOnDisconnect)
            listeningSpeed_ = options_.speed;
    }
    noteExchange(event);
}

void UnitSimulator::startReceive(uint8_t type)
{
    blockType_ = type;
    blockLength_ = 0;
    lengthBytes_ = 0;
    blockData_.clear();
    checksumReceived_ = 0;
    checksumBytes_ = 0;
    dataBytesThisBlock_ = 0;
    mode_ = Mode::RxLength;
    chooseFaults();
}

void UnitSimulator::finishReceive()
{
    const uint16_t sum = sum16(blockData_);
    bool good = sum == checksumReceived_;
    if (good && faults_.nakChecksum) {
        good = false;
        if (naksLeft_ > 0)
            --naksLeft_;
    }

    QJsonObject fields{{QStringLiteral("length"), blockData_.size()},
                       {QStringLiteral("checksumOk"), sum == checksumReceived_},
                       {QStringLiteral("acknowledged"), good},
                       {QStringLiteral("bytes"), QString::fromLatin1(blockData_.toHex())}};
    QString event;
    switch (blockType_) {
    case 2:
        event = QStringLiteral("image");
        if (good)
            std::copy(blockData_.begin(), blockData_.end(), image_.begin());
        break;
    case 4:
        event = QStringLiteral("page");
        fields.insert(QStringLiteral("text"), QString::fromLatin1(blockData_));
        pagesReceived_ += good;
        break;
    default:
        event = QStringLiteral("voice");
        fields.remove(QStringLiteral("bytes"));
        fields.insert(QStringLiteral("prompts"), promptTable(blockData_));
        if (good)
            voiceBlock_ = blockData_;
        break;
    }
    log(event, fields);
    sendByte(good ? Ack : Nak);
    resetToIdle();
    noteExchange(event);
}

void UnitSimulator::startSend(uint8_t type)
{
    blockType_ = type;
    dataBytesThisBlock_ = 0;
    chooseFaults();
    outgoing_ = type == 3 ? QByteArray(reinterpret_cast<const char*>(image_.data()),
                                       ConfigurationImage::Size)
                          : statusText();
    placeRandomFault(static_cast<uint32_t>(outgoing_.size()));
    uint32_t announced = static_cast<uint32_t>(outgoing_.size());
    if (type == 3 && faults_.uploadLength >= 0)
        announced = static_cast<uint32_t>(faults_.uploadLength);
    QByteArray length(3, 0);
    length[0] = static_cast<char>((announced >> 16) & 0xFF);
    length[1] = static_cast<char>((announced >> 8) & 0xFF);
    length[2] = static_cast<char>(announced & 0xFF);
    send(length);
    mode_ = Mode::TxAwaitLengthAnswer;
}

void UnitSimulator::sendBlockBody()
{
    // Data bytes go out without pauses; the faults may cut them short.
    for (qsizetype offset = 0; offset < outgoing_.size() && !exitRequested_;) {
        qsizetype take = std::min<qsizetype>(64, outgoing_.size() - offset);
        for (const int limit : {faults_.silentAfter, faults_.hangupAfter})
            if (limit >= 0)
                take = std::min<qsizetype>(take, std::max(0, limit - dataBytesThisBlock_));
        if (take > 0)
            send(outgoing_.mid(offset, take));
        else
            applyDataLimits(); // a limit of 0 bytes: the fault comes before the first one
        offset += take;
        for (qsizetype i = 0; i < take; ++i)
            countDataByte();
        if (mode_ == Mode::Silent || master_ < 0)
            return;
    }
    uint16_t sum = sum16(outgoing_);
    if (faults_.corruptChecksum)
        sum = static_cast<uint16_t>(sum + 1);
    QByteArray checksum(2, 0);
    checksum[0] = static_cast<char>(sum >> 8);
    checksum[1] = static_cast<char>(sum & 0xFF);
    send(checksum);
    mode_ = Mode::TxAwaitChecksumAnswer;
}

void UnitSimulator::finishSend(bool acknowledged)
{
    const QString event = blockType_ == 3 ? QStringLiteral("upload") : QStringLiteral("status");
    QJsonObject fields{{QStringLiteral("length"), outgoing_.size()},
                       {QStringLiteral("acknowledged"), acknowledged}};
    if (blockType_ == 8)
        fields.insert(QStringLiteral("text"), QString::fromLatin1(outgoing_));
    log(event, fields);
    resetToIdle();
    noteExchange(event);
}

void UnitSimulator::resetToIdle()
{
    mode_ = Mode::Idle;
    linkCommand_.clear();
}

void UnitSimulator::send(const QByteArray& bytes)
{
    if (master_ < 0)
        return;
    const auto perByte =
        std::chrono::duration_cast<Clock::duration>(std::chrono::duration<double>(byteSeconds_));
    for (qsizetype offset = 0; offset < bytes.size();) {
        const qsizetype take = std::min<qsizetype>(64, bytes.size() - offset);
        if (options_.wireTime) {
            // An answer starts once what it answers has fully arrived and the line is free; the
            // bytes reach the program when they would have crossed the wire.
            txClock_ = std::max({txClock_, rxClock_, Clock::now()}) + perByte * take;
            std::this_thread::sleep_until(txClock_);
        }
        qsizetype done = 0;
        while (done < take) {
            const ssize_t n = ::write(master_, bytes.constData() + offset + done,
                                      static_cast<size_t>(take - done));
            if (n > 0) {
                done += n;
            } else if (n < 0 && errno == EAGAIN) {
                pollfd p{master_, POLLOUT, 0};
                ::poll(&p, 1, 100);
            } else if (n < 0 && errno != EINTR) {
                return;
            }
        }
        offset += take;
    }
}

void UnitSimulator::readLineSettings()
{
    termios t{};
    lineSpeed_ = 0;
    byteSeconds_ = 0;
    if (master_ < 0 || ::tcgetattr(master_, &t) != 0)
        return;
    lineSpeed_ = LineSettings::baudRateOf(t);
    const tcflag_t size = t.c_cflag & CSIZE;
    const int dataBits = size == CS5 ? 5 : size == CS6 ? 6 : size == CS7 ? 7 : 8;
    const int bits = 1 + dataBits + ((t.c_cflag & PARENB) ? 1 : 0) + ((t.c_cflag & CSTOPB) ? 2 : 1);
    byteSeconds_ = lineSpeed_ == 0 ? 0.0 : static_cast<double>(bits) / lineSpeed_;
}

QJsonObject UnitSimulator::lineSettings() const
{
    termios t{};
    if (master_ < 0 || ::tcgetattr(master_, &t) != 0)
        return {};
    const tcflag_t size = t.c_cflag & CSIZE;
    QString parity = QStringLiteral("none");
    if (t.c_cflag & PARENB) {
        if (t.c_cflag & CMSPAR)
            parity = (t.c_cflag & PARODD) ? QStringLiteral("mark") : QStringLiteral("space");
        else
            parity = (t.c_cflag & PARODD) ? QStringLiteral("odd") : QStringLiteral("even");
    }
    return {{QStringLiteral("baud"), static_cast<qint64>(lineSpeed_)},
            {QStringLiteral("dataBits"), size == CS5   ? 5
                                         : size == CS6 ? 6
                                         : size == CS7 ? 7
                                                       : 8},
            {QStringLiteral("parity"), parity},
            {QStringLiteral("stopBits"), (t.c_cflag & CSTOPB) ? 2 : 1},
            {QStringLiteral("rtsCts"), (t.c_cflag & CRTSCTS) != 0},
            {QStringLiteral("xonXoff"), (t.c_iflag & (IXON | IXOFF)) != 0}};
}

void UnitSimulator::log(const QString& event, QJsonObject fields)
{
    if (!logFile_.isOpen())
        return;
    fields.insert(QStringLiteral("event"), event);
    fields.insert(QStringLiteral("t"),
                  static_cast<qint64>(
                      std::chrono::duration_cast<std::chrono::milliseconds>(Clock::now() - started_)
                          .count()));
    fields.insert(QStringLiteral("line"), lineSettings());
    logFile_.write(QJsonDocument(fields).toJson(QJsonDocument::Compact) + '\n');
    logFile_.flush();
}

void UnitSimulator::noteExchange(const QString& event)
{
    if (event == options_.exitAfterEvent && ++exchangesToExit_ >= options_.exitAfterCount)
        exitRequested_ = true;
}

QByteArray UnitSimulator::statusText()
{
    ++statusRequests_;
    if (options_.statusText)
        return *options_.statusText;
    const auto uptime =
        std::chrono::duration_cast<std::chrono::seconds>(Clock::now() - started_).count();
    return QStringLiteral("Tavolux unit (simulated)\r\nPages received: %1\r\nStatus request: "
                          "%2\r\nUp for %3 s\r\nTime: %4")
        .arg(pagesReceived_)
        .arg(statusRequests_)
        .arg(uptime)
        .arg(QTime::currentTime().toString(QStringLiteral("HH:mm:ss")))
        .toLatin1();
}
