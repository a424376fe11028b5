// The unit's boot loader: switched on, it takes one firmware file as Intel HEX records, with the
// faults the options ask for.
#include "UnitSimulator.h"

#include "UnitSession.h"

void UnitSimulator::powerOn()
{
    poweredOn_ = true;
    mode_ = Mode::LoaderCall;
    listeningSpeed_ = UnitSession::OnlineBaudRate;
    loaderCall_.clear();
    log(QStringLiteral("power-on"));
}

void UnitSimulator::handleLoaderByte(uint8_t byte)
{
    if (mode_ == Mode::LoaderDead)
        return;
    if (mode_ == Mode::LoaderCall) {
        loaderCall_.append(static_cast<char>(byte));
        if (loaderCall_.endsWith("@&$")) {
            loaderCall_.clear();
            loaderLine_.clear();
            loaderLineNumber_ = 1;
            loaderBase_ = 0;
            mode_ = Mode::LoaderLine;
            log(QStringLiteral("firmware-call"));
            sendByte('?');
        }
        loaderCall_ = loaderCall_.right(2);
        return;
    }
    // Calls still on their way when the loader answered come before the first line.
    if (loaderLine_.isEmpty() && (byte == '@' || byte == '&' || byte == '$'))
        return;
    loaderLine_.append(static_cast<char>(byte));
    if (!loaderLine_.startsWith(':')) {
        finishLoaderLine();
        return;
    }
    if (loaderLine_.size() >= 3) {
        bool ok = false;
        const int count = loaderLine_.mid(1, 2).toInt(&ok, 16);
        if (!ok || loaderLine_.size() == 11 + 2 * count)
            finishLoaderLine();
    }
}

char UnitSimulator::judgeRecord(const QByteArray& text)
{
    const QByteArray bytes = QByteArray::fromHex(text.mid(1));
    if (!text.startsWith(':') || bytes.size() < 5 ||
        bytes.toHex().toUpper() != text.mid(1).toUpper() ||
        bytes.size() != 5 + static_cast<uint8_t>(bytes[0]))
        return '-';
    uint8_t sum = 0;
    for (const char c : bytes)
        sum = static_cast<uint8_t>(sum + static_cast<uint8_t>(c));
    if (sum != 0)
        return '-';
    const uint32_t address = static_cast<uint8_t>(bytes[1]) * 256u + static_cast<uint8_t>(bytes[2]);
    const uint32_t upper =
        bytes.size() >= 7 ? static_cast<uint8_t>(bytes[4]) * 256u + static_cast<uint8_t>(bytes[5])
                          : 0;
    switch (bytes[3]) {
    case 0: {
        const uint32_t first = loaderBase_ + address;
        const uint32_t last = first + static_cast<uint8_t>(bytes[0]) - (bytes[0] != 0 ? 1 : 0);
        return first < options_.flashLow || last > options_.flashHigh ? '%' : '~';
    }
    case 1:
        return '@';
    case 2:
        loaderBase_ = upper << 4;
        return '~';
    case 4:
        loaderBase_ = upper << 16;
        return '~';
    default:
        return '~';
    }
}

void UnitSimulator::finishLoaderLine()
{
    const QByteArray text = loaderLine_;
    loaderLine_.clear();
    char answer = judgeRecord(text);
    if (answer != '-' && loaderLineNumber_ == options_.loaderNakLine && loaderNaksLeft_ > 0) {
        --loaderNaksLeft_;
        answer = '-';
    }
    const bool garbage = loaderLineNumber_ == options_.loaderGarbageLine && !loaderGarbageDone_;
    const bool dies = loaderLineNumber_ == options_.loaderDeadAfterLine;
    log(QStringLiteral("firmware-line"),
        {{QStringLiteral("number"), loaderLineNumber_},
         {QStringLiteral("text"), QString::fromLatin1(text)},
         {QStringLiteral("answer"), garbage ? QStringLiteral("garbage")
                                    : dies  ? QStringLiteral("dead")
                                            : QString(QLatin1Char(answer))}});
    if (dies) {
        // The answer after the XOFF lets the program write a line that can never go out.
        mode_ = Mode::LoaderDead;
        sendByte(0x13);
        sendByte(static_cast<uint8_t>(answer));
        return;
    }
    if (options_.loaderXonXoff) {
        sendByte(0x13);
        sendByte(0x11);
    }
    if (garbage) {
        // As if the loader had lost its way: it waits for a new call.
        loaderGarbageDone_ = true;
        mode_ = Mode::LoaderCall;
        sendByte('G');
        return;
    }
    if (answer == '@' && options_.loaderAcceptEnd)
        sendByte('~');
    sendByte(static_cast<uint8_t>(answer));
    if (answer == '~')
        ++loaderLineNumber_;
    if (answer == '@') {
        log(QStringLiteral("firmware-complete"), {{QStringLiteral("lines"), loaderLineNumber_}});
        listeningSpeed_ = options_.speed;
        resetToIdle();
        noteExchange(QStringLiteral("firmware"));
    }
}
