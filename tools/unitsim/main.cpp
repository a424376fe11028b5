// tavolux-unitsim: a Tavolux unit on a pseudo-terminal, for tests and demonstrations.
#include "UnitSimulator.h"

#include <QCommandLineParser>
#include <QCoreApplication>
#include <QFile>

#include <climits>
#include <csignal>
#include <cstdio>
#include <optional>

namespace {

const char* const Description = R"(Plays the Tavolux unit on the far side of a pseudo-terminal.

The unit listens at one line speed at a time: --speed at first, 115200 baud once it has answered
a connect command (0xAA 0xBA 0xCA 0xDA), and still 115200 after a disconnect (0xAA 0xBA 0xCA 0xDB)
unless --reset-speed-on-disconnect is given. It answers both link commands with 0xA6, and only
when the line speed the program set (read from the master side) is the one it listens at: bytes
at any other speed are noise to it and are ignored.

Blocks (type, 24-bit length high byte first, data, 16-bit sum of the data high byte first):
  type 2  configuration image from the program: 7738 bytes (else 0xF9); kept, and sent back
          by the next type 3 request
  type 4  page record: 1 to 1024 bytes (else 0xF9); recorded
  type 5  voice prompt block: 1 byte to 8 MiB (empty 0xF9, larger 0xF8); recorded
  type 3  the unit's configuration image (the defaults, or --image)
  type 8  a status text of the unit's own: pages received, a request counter, the time
For blocks it receives, the unit answers the length with ACK, sends 0xF6 after every 64 data
bytes that are followed by more, and answers the checksum with ACK or NAK. For blocks it sends,
it waits for the program's ACK after the length and after the checksum. A block that stalls for
a second is dropped and the unit waits for the next command; so is a block in which the unit
fell silent, a second after it did, whatever the program sends meanwhile. Voice prompt blocks
are logged with their prompt table ((offset, length) of each of the six prompts).

With --boot-loader the unit starts switched off and hears nothing until it is switched on
(--power-on-after, or the signal SIGUSR1). Its boot loader then listens at 115200 baud: it
answers the call "@&$" with '?', and each Intel HEX record (sent without a line end) with '~',
'-' for a bad checksum or malformed record, '%' for data outside --flash-range, and '@' for the
end record, after which the unit is back to normal. Every record received is logged.)";

volatile std::sig_atomic_t powerSignal = 0;

void onPowerSignal(int)
{
    powerSignal = 1;
}

volatile std::sig_atomic_t stopSignal = 0;

void onSignal(int)
{
    stopSignal = 1;
}

} // namespace

int main(int argc, char* argv[])
{
    QCoreApplication app(argc, argv);
    QCoreApplication::setApplicationName(QStringLiteral("tavolux-unitsim"));

    QCommandLineParser parser;
    parser.setApplicationDescription(QString::fromUtf8(Description));
    parser.addHelpOption();
    const QCommandLineOption link(QStringLiteral("link"),
                                  QStringLiteral("Link the port to PATH (the console opens PATH)."),
                                  QStringLiteral("PATH"));
    const QCommandLineOption speed(QStringLiteral("speed"),
                                   QStringLiteral("Speed the unit listens at first (9600)."),
                                   QStringLiteral("BAUD"), QStringLiteral("9600"));
    const QCommandLineOption resetSpeed(
        QStringLiteral("reset-speed-on-disconnect"),
        QStringLiteral("Go back to --speed after answering a disconnect."));
    const QCommandLineOption ignoreConnect(QStringLiteral("ignore-connect"),
                                           QStringLiteral("Never answer a connect."));
    const QCommandLineOption ignoreDisconnect(QStringLiteral("ignore-disconnect"),
                                              QStringLiteral("Never answer a disconnect."));
    const QCommandLineOption deaf(
        QStringLiteral("deaf"),
        QStringLiteral("Never read the line, so that what the program sends piles up."));
    const QCommandLineOption wireTime(
        QStringLiteral("wire-time"),
        QStringLiteral("Take as long as the bytes take on a real line at the current speed."));
    const QCommandLineOption logFile(
        QStringLiteral("log"),
        QStringLiteral("Append what the unit receives, as JSON lines, to FILE."),
        QStringLiteral("FILE"));
    const QCommandLineOption image(
        QStringLiteral("image"),
        QStringLiteral("Start with this configuration image (a database file or 7738 raw bytes)."),
        QStringLiteral("FILE"));
    const QCommandLineOption exitAfter(
        QStringLiteral("exit-after"),
        QStringLiteral("Exit after EVENT (connect, disconnect, page, image, voice, upload, "
                       "status), or after its N-th time with EVENT:N."),
        QStringLiteral("EVENT[:N]"));
    const QCommandLineOption faultType(
        QStringLiteral("fault-type"),
        QStringLiteral("Make the faults below only in blocks of this type."),
        QStringLiteral("TYPE"));
    const QCommandLineOption refuseLength(
        QStringLiteral("refuse-length"),
        QStringLiteral("Answer the length of blocks sent to the unit with f9 or f8."),
        QStringLiteral("f9|f8"));
    const QCommandLineOption nakChecksum(QStringLiteral("nak-checksum"),
                                         QStringLiteral("NAK good checksums: once, or always."),
                                         QStringLiteral("once|always"));
    const QCommandLineOption uploadLength(
        QStringLiteral("upload-length"),
        QStringLiteral("Announce this length for the configuration image it sends."),
        QStringLiteral("N"));
    const QCommandLineOption corruptChecksum(
        QStringLiteral("corrupt-checksum"),
        QStringLiteral("Send a wrong checksum with the blocks it sends."));
    const QCommandLineOption silentAfter(
        QStringLiteral("silent-after"),
        QStringLiteral("Fall silent after N data bytes of a block."), QStringLiteral("N"));
    const QCommandLineOption garbage(
        QStringLiteral("garbage"),
        QStringLiteral("Send bytes the protocol does not know before its answers."));
    const QCommandLineOption hangup(
        QStringLiteral("hangup-after"),
        QStringLiteral("Hang up the line after N data bytes of a block, and exit."),
        QStringLiteral("N"));
    const QCommandLineOption statusText(
        QStringLiteral("status-text"),
        QStringLiteral("Answer status requests with TEXT (Latin-1) instead of the unit's own."),
        QStringLiteral("TEXT"));
    const QCommandLineOption faultRate(
        QStringLiteral("fault-rate"),
        QStringLiteral("Give each block this chance (0 to 1) of one fault drawn at random: a NAK "
                       "(a wrong checksum in the blocks it sends), a refused length, silence, "
                       "garbage or a hang-up, after which the unit comes back on a new line at "
                       "the same link. Each fault is logged. Instead of the fault options above."),
        QStringLiteral("P"));
    const QCommandLineOption seed(
        QStringLiteral("seed"),
        QStringLiteral("Seed of the random faults (1); the same seed makes the same faults."),
        QStringLiteral("S"), QStringLiteral("1"));
    const QCommandLineOption bootLoader(
        QStringLiteral("boot-loader"),
        QStringLiteral("Start switched off, with the boot loader waiting for power-on."));
    const QCommandLineOption powerOnAfter(QStringLiteral("power-on-after"),
                                          QStringLiteral("Switch on after MS milliseconds."),
                                          QStringLiteral("MS"));
    const QCommandLineOption flashRange(
        QStringLiteral("flash-range"),
        QStringLiteral("Addresses the loader may program, in hex (LOW-HIGH); others get '%'."),
        QStringLiteral("LOW-HIGH"));
    const QCommandLineOption loaderNak(QStringLiteral("loader-nak"),
                                       QStringLiteral("Answer record L with '-' N times."),
                                       QStringLiteral("L:N"));
    const QCommandLineOption loaderGarbage(
        QStringLiteral("loader-garbage"),
        QStringLiteral("Answer record L once with a byte the dialogue does not know, then wait "
                       "for a new call."),
        QStringLiteral("L"));
    const QCommandLineOption loaderDead(
        QStringLiteral("loader-dead-after"),
        QStringLiteral("Answer record L with XOFF and its answer, then never again."),
        QStringLiteral("L"));
    const QCommandLineOption loaderXonXoff(
        QStringLiteral("loader-xon-xoff"),
        QStringLiteral("Send XOFF and XON before every answer."));
    const QCommandLineOption loaderAcceptEnd(
        QStringLiteral("loader-accept-end"),
        QStringLiteral("Answer the end record with '~' before its '@'."));
    parser.addOptions({bootLoader, powerOnAfter, flashRange, loaderNak, loaderGarbage, loaderDead,
                       loaderXonXoff, loaderAcceptEnd});
    parser.addOptions({link,        speed,        resetSpeed,  ignoreConnect, ignoreDisconnect,
                       deaf,        wireTime,     logFile,     image,         exitAfter,
                       faultType,   refuseLength, nakChecksum, uploadLength,  corruptChecksum,
                       silentAfter, garbage,      hangup,      statusText,    faultRate,
                       seed});
    parser.process(app);

    UnitSimulator::Options options;
    options.linkPath = parser.value(link);
    // Every number is checked: a mistyped value must not pass as 0 and quietly change the test.
    const auto refuseNumber = [](const QCommandLineOption& option, qint64 low, qint64 high) {
        std::fprintf(stderr, "tavolux-unitsim: --%s takes a whole number from %lld to %lld\n",
                     qPrintable(option.names().first()), low, high);
        return 2;
    };
    const auto number = [](const QString& text, qint64 low, qint64 high) -> std::optional<int> {
        bool ok = false;
        const qint64 value = text.toLongLong(&ok);
        if (!ok || value < low || value > high)
            return std::nullopt;
        return static_cast<int>(value);
    };
    if (!parser.positionalArguments().isEmpty()) {
        std::fprintf(stderr, "tavolux-unitsim: unexpected argument \"%s\"; see --help\n",
                     qPrintable(parser.positionalArguments().first()));
        return 1;
    }
    const std::optional<int> listening = number(parser.value(speed), 1, 4000000);
    if (!listening)
        return refuseNumber(speed, 1, 4000000);
    options.speed = static_cast<uint32_t>(*listening);
    struct WholeNumber {
        const QCommandLineOption& option;
        int& value;
        qint64 low;
        qint64 high;
    };
    const WholeNumber wholeNumbers[] = {
        {faultType, options.faultType, 1, 255},
        {uploadLength, options.uploadLength, 0, INT_MAX},
        {silentAfter, options.silentAfter, 0, INT_MAX},
        {hangup, options.hangupAfter, 0, INT_MAX},
        {powerOnAfter, options.powerOnAfterMs, 0, INT_MAX},
        {loaderGarbage, options.loaderGarbageLine, 1, INT_MAX},
        {loaderDead, options.loaderDeadAfterLine, 1, INT_MAX},
    };
    for (const WholeNumber& whole : wholeNumbers) {
        if (!parser.isSet(whole.option))
            continue;
        const std::optional<int> value = number(parser.value(whole.option), whole.low, whole.high);
        if (!value)
            return refuseNumber(whole.option, whole.low, whole.high);
        whole.value = *value;
    }
    options.resetSpeedOnDisconnect = parser.isSet(resetSpeed);
    options.ignoreConnect = parser.isSet(ignoreConnect);
    options.ignoreDisconnect = parser.isSet(ignoreDisconnect);
    options.deaf = parser.isSet(deaf);
    options.wireTime = parser.isSet(wireTime);
    options.logPath = parser.value(logFile);
    if (parser.isSet(statusText))
        options.statusText = parser.value(statusText).toLatin1();
    if (parser.isSet(image)) {
        QFile file(parser.value(image));
        if (!file.open(QIODevice::ReadOnly)) {
            std::fprintf(stderr, "tavolux-unitsim: cannot read %s\n", qPrintable(file.fileName()));
            return 2;
        }
        QByteArray bytes = file.readAll();
        if (bytes.size() >= ConfigurationImage::Size + 1 && bytes[0] == 5)
            bytes = bytes.mid(1, ConfigurationImage::Size);
        if (bytes.size() != ConfigurationImage::Size) {
            std::fprintf(stderr, "tavolux-unitsim: %s is not a configuration image\n",
                         qPrintable(file.fileName()));
            return 2;
        }
        ConfigurationImage::Bytes raw;
        std::copy(bytes.begin(), bytes.end(), raw.begin());
        options.image = raw;
    }
    if (parser.isSet(exitAfter)) {
        const QStringList parts = parser.value(exitAfter).split(u':');
        const std::optional<int> count = parts.size() > 1 ? number(parts[1], 1, INT_MAX) : 1;
        if (parts.size() > 2 || !count) {
            std::fprintf(stderr, "tavolux-unitsim: --exit-after takes EVENT or EVENT:N\n");
            return 2;
        }
        options.exitAfterEvent = parts[0];
        options.exitAfterCount = *count;
    }
    const QString refusal = parser.value(refuseLength).toLower();
    const QString naks = parser.value(nakChecksum);
    if ((parser.isSet(refuseLength) && refusal != u"f8" && refusal != u"f9") ||
        (parser.isSet(nakChecksum) && naks != u"once" && naks != u"always")) {
        std::fprintf(stderr, "tavolux-unitsim: --refuse-length takes f9 or f8, --nak-checksum "
                             "once or always\n");
        return 2;
    }
    if (parser.isSet(refuseLength))
        options.refuseLength = refusal == u"f8" ? 0xF8 : 0xF9;
    if (parser.isSet(nakChecksum))
        options.nakChecksum = naks == u"always" ? -1 : 1;
    options.corruptChecksum = parser.isSet(corruptChecksum);
    options.garbage = parser.isSet(garbage);
    {
        bool rateOk = !parser.isSet(faultRate);
        bool seedOk = false;
        if (parser.isSet(faultRate))
            options.faultRate = parser.value(faultRate).toDouble(&rateOk);
        options.seed = parser.value(seed).toUInt(&seedOk);
        if (!rateOk || !seedOk || options.faultRate < 0 || options.faultRate > 1) {
            std::fprintf(stderr, "tavolux-unitsim: --fault-rate takes 0 to 1, --seed a number\n");
            return 2;
        }
    }

    options.bootLoader = parser.isSet(bootLoader);
    options.powerSwitch = [] {
        return powerSignal != 0;
    };
    if (parser.isSet(flashRange)) {
        const QStringList range = parser.value(flashRange).split(u'-');
        bool lowOk = false;
        bool highOk = false;
        if (range.size() == 2) {
            options.flashLow = range[0].toUInt(&lowOk, 16);
            options.flashHigh = range[1].toUInt(&highOk, 16);
        }
        if (!lowOk || !highOk || options.flashLow > options.flashHigh) {
            std::fprintf(stderr, "tavolux-unitsim: --flash-range takes LOW-HIGH in hex\n");
            return 2;
        }
    }
    if (parser.isSet(loaderNak)) {
        const QStringList parts = parser.value(loaderNak).split(u':');
        const std::optional<int> line = number(parts[0], 1, INT_MAX);
        const std::optional<int> count = parts.size() > 1 ? number(parts[1], 1, INT_MAX) : 1;
        if (parts.size() > 2 || !line || !count) {
            std::fprintf(stderr, "tavolux-unitsim: --loader-nak takes L or L:N, both from 1\n");
            return 2;
        }
        options.loaderNakLine = *line;
        options.loaderNakCount = *count;
    }
    options.loaderXonXoff = parser.isSet(loaderXonXoff);
    options.loaderAcceptEnd = parser.isSet(loaderAcceptEnd);

    UnitSimulator unit(options);
    QString error;
    if (!unit.open(&error)) {
        std::fprintf(stderr, "tavolux-unitsim: %s\n", qPrintable(error));
        return 2;
    }
    std::signal(SIGTERM, onSignal);
    std::signal(SIGINT, onSignal);
    std::signal(SIGHUP, onSignal);
    std::signal(SIGUSR1, onPowerSignal);
    std::printf("tavolux-unitsim: unit on %s (%s), listening at %u baud\n",
                qPrintable(options.linkPath.isEmpty() ? unit.slaveName() : options.linkPath),
                qPrintable(unit.slaveName()), options.speed);
    std::fflush(stdout);
    return unit.serve([] { return stopSignal != 0; });
}
