#include "LineSettings.h"

#include <QStringList>

#include <array>
#include <termios.h>

namespace {

struct SpeedCode {
    uint32_t rate;
    speed_t code;
};

constexpr std::array<SpeedCode, 23> SpeedCodes{{
    {50, B50},         {75, B75},         {110, B110},         {134, B134},       {150, B150},
    {200, B200},       {300, B300},       {600, B600},         {1200, B1200},     {1800, B1800},
    {2400, B2400},     {4800, B4800},     {9600, B9600},       {19200, B19200},   {38400, B38400},
    {57600, B57600},   {115200, B115200}, {230400, B230400},   {460800, B460800}, {500000, B500000},
    {576000, B576000}, {921600, B921600}, {1000000, B1000000},
}};

std::optional<speed_t> speedCode(uint32_t rate)
{
    for (const SpeedCode& s : SpeedCodes)
        if (s.rate == rate)
            return s.code;
    return std::nullopt;
}

} // namespace

bool LineSettings::isSupportedBaudRate(qint64 rate)
{
    return rate > 0 && rate <= UINT32_MAX && speedCode(static_cast<uint32_t>(rate)).has_value();
}

uint32_t LineSettings::baudRateOf(const termios& t)
{
    const speed_t code = cfgetospeed(&t);
    for (const SpeedCode& s : SpeedCodes)
        if (s.code == code)
            return s.rate;
    return 0;
}

std::optional<LineSettings> LineSettings::fromModeText(const QString& text)
{
    const QStringList parts = text.split(u',');
    if (parts.size() < 4 || parts.size() > 5)
        return std::nullopt;
    LineSettings s;
    bool ok = false;
    s.baudRate = parts[0].trimmed().toUInt(&ok);
    if (!ok || s.baudRate == 0)
        return std::nullopt;

    const QString parity = parts[1].trimmed().toLower();
    if (parity == u"n")
        s.parity = NoParity;
    else if (parity == u"o")
        s.parity = OddParity;
    else if (parity == u"e")
        s.parity = EvenParity;
    else if (parity == u"m")
        s.parity = MarkParity;
    else if (parity == u"s")
        s.parity = SpaceParity;
    else
        return std::nullopt;

    const uint bits = parts[2].trimmed().toUInt(&ok);
    if (!ok || bits < 5 || bits > 8)
        return std::nullopt;
    s.byteSize = static_cast<uint8_t>(bits);

    const QString stop = parts[3].trimmed();
    if (stop == u"1")
        s.stopBits = OneStopBit;
    else if (stop == u"1.5")
        s.stopBits = OneAndHalfStopBits;
    else if (stop == u"2")
        s.stopBits = TwoStopBits;
    else
        return std::nullopt;

    const QString handshake = parts.size() == 5 ? parts[4].trimmed().toLower() : QString();
    if (handshake == u"x") {
        s.outX = s.inX = true;
    } else if (handshake == u"p") {
        s.outxCtsFlow = s.outxDsrFlow = true;
        s.dtrControl = DtrControl::Handshake;
        s.rtsControl = RtsControl::Handshake;
    } else if (!handshake.isEmpty()) {
        return std::nullopt;
    }
    return s;
}

LineSettings LineSettings::defaults()
{
    LineSettings s = *fromModeText(QStringLiteral("9600,n,8,1,x"));
    s.dtrControl = DtrControl::Enable;
    s.txContinueOnXoff = false;
    s.xonChar = 0x11;
    s.xoffChar = 0x13;
    s.xonLimit = 7680;
    s.xoffLimit = 8960;
    return s;
}

bool LineSettings::toTermios(termios& t) const
{
    const std::optional<speed_t> speed = speedCode(baudRate);
    if (!speed)
        return false;

    // Raw and binary: no line editing, no signals, no translation of CR or NL either way.
    t.c_iflag &= ~static_cast<tcflag_t>(IGNBRK | BRKINT | PARMRK | ISTRIP | INLCR | IGNCR | ICRNL |
                                        IXON | IXOFF | IXANY | INPCK | IGNPAR);
    t.c_oflag &= ~static_cast<tcflag_t>(OPOST);
    t.c_lflag &= ~static_cast<tcflag_t>(ECHO | ECHONL | ICANON | ISIG | IEXTEN);
    t.c_cflag &= ~static_cast<tcflag_t>(CSIZE | PARENB | PARODD | CMSPAR | CSTOPB | CRTSCTS);
    t.c_cflag |= CREAD | CLOCAL;

    switch (byteSize) {
    case 5:
        t.c_cflag |= CS5;
        break;
    case 6:
        t.c_cflag |= CS6;
        break;
    case 7:
        t.c_cflag |= CS7;
        break;
    default:
        t.c_cflag |= CS8;
        break;
    }
    switch (parity) {
    case OddParity:
        t.c_cflag |= PARENB | PARODD;
        break;
    case EvenParity:
        t.c_cflag |= PARENB;
        break;
    case MarkParity:
        t.c_cflag |= PARENB | CMSPAR | PARODD;
        break;
    case SpaceParity:
        t.c_cflag |= PARENB | CMSPAR;
        break;
    default:
        break;
    }
    if (parityCheck)
        t.c_iflag |= INPCK;
    if (stopBits != OneStopBit)
        t.c_cflag |= CSTOPB;
    if (outxCtsFlow || rtsControl == RtsControl::Handshake)
        t.c_cflag |= CRTSCTS;
    if (outX)
        t.c_iflag |= IXON;
    if (inX)
        t.c_iflag |= IXOFF;
    t.c_cc[VSTART] = static_cast<cc_t>(xonChar);
    t.c_cc[VSTOP] = static_cast<cc_t>(xoffChar);
    // Reads never block in the driver; the port waits with poll() and its own time-outs.
    t.c_cc[VMIN] = 0;
    t.c_cc[VTIME] = 0;
    cfsetispeed(&t, *speed);
    cfsetospeed(&t, *speed);
    return true;
}

int LineSettings::adoptHeld(const termios& held)
{
    int refused = 0;
    const uint32_t heldRate = baudRateOf(held);
    if (heldRate != 0 && heldRate != baudRate) {
        baudRate = heldRate;
        refused |= Speed;
    }
    uint8_t heldBits = 8;
    switch (held.c_cflag & CSIZE) {
    case CS5:
        heldBits = 5;
        break;
    case CS6:
        heldBits = 6;
        break;
    case CS7:
        heldBits = 7;
        break;
    default:
        break;
    }
    if (heldBits != byteSize) {
        byteSize = heldBits;
        refused |= DataBits;
    }
    uint8_t heldParity = NoParity;
    if (held.c_cflag & PARENB) {
        const bool odd = (held.c_cflag & PARODD) != 0;
        if (held.c_cflag & CMSPAR)
            heldParity = odd ? MarkParity : SpaceParity;
        else
            heldParity = odd ? OddParity : EvenParity;
    }
    if (heldParity != parity) {
        parity = heldParity;
        refused |= ParityField;
    }
    // One and a half stop bits go out as CSTOPB too.
    const bool heldLongStop = (held.c_cflag & CSTOPB) != 0;
    if (heldLongStop != (stopBits != OneStopBit)) {
        stopBits = heldLongStop ? TwoStopBits : OneStopBit;
        refused |= StopBitsField;
    }
    return refused;
}

QString LineSettings::describe(int fields) const
{
    QStringList words;
    if (fields & Speed)
        words << tr("%1 baud").arg(baudRate);
    if (fields & DataBits)
        words << tr("%1 data bits").arg(byteSize);
    if (fields & ParityField) {
        static const char* const names[] = {QT_TR_NOOP("no parity"), QT_TR_NOOP("odd parity"),
                                            QT_TR_NOOP("even parity"), QT_TR_NOOP("mark parity"),
                                            QT_TR_NOOP("space parity")};
        words << (parity < 5 ? tr(names[parity]) : tr("parity %1").arg(parity));
    }
    if (fields & StopBitsField) {
        words << (stopBits == OneStopBit           ? tr("1 stop bit")
                  : stopBits == OneAndHalfStopBits ? tr("1.5 stop bits")
                                                   : tr("2 stop bits"));
    }
    return words.join(QStringLiteral(", "));
}
