#include "SimulatorOptions.h"

#include <QCommandLineParser>
#include <QCoreApplication>
#include <QFile>

#include <climits>
#include <cstdio>
#include <functional>

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

using Options = UnitSimulator::Options;
// Takes an option's value into the options; the refusal when the value cannot be used.
using Apply = std::function<std::optional<QString>(const QString& value, Options& options)>;

// One option: what the help says of it, and what it sets.
struct OptionRow {
    QCommandLineOption option;
    Apply apply;
};

std::optional<int> wholeNumber(const QString& text, qint64 low, qint64 high)
{
    bool ok = false;
    const qint64 value = text.toLongLong(&ok);
    if (!ok || value < low || value > high)
        return std::nullopt;
    return static_cast<int>(value);
}

QString wholeNumberRefusal(const QString& name, qint64 low, qint64 high)
{
    return QStringLiteral("--%1 takes a whole number from %2 to %3").arg(name).arg(low).arg(high);
}

OptionRow flag(const char* name, const char* description, bool Options::*member)
{
    return {QCommandLineOption(QString::fromLatin1(name), QString::fromUtf8(description)),
            [member](const QString&, Options& options) -> std::optional<QString> {
                options.*member = true;
                return std::nullopt;
            }};
}

OptionRow text(const char* name, const char* description, const char* valueName,
               QString Options::*member)
{
    return {QCommandLineOption(QString::fromLatin1(name), QString::fromUtf8(description),
                               QString::fromLatin1(valueName)),
            [member](const QString& value, Options& options) -> std::optional<QString> {
                options.*member = value;
                return std::nullopt;
            }};
}

OptionRow number(const char* name, const char* description, const char* valueName,
                 int Options::*member, qint64 low, qint64 high)
{
    const QString optionName = QString::fromLatin1(name);
    return {QCommandLineOption(optionName, QString::fromUtf8(description),
                               QString::fromLatin1(valueName)),
            [=](const QString& value, Options& options) -> std::optional<QString> {
                const std::optional<int> read = wholeNumber(value, low, high);
                if (!read)
                    return wholeNumberRefusal(optionName, low, high);
                options.*member = *read;
                return std::nullopt;
            }};
}

OptionRow custom(const char* name, const char* description, const char* valueName, Apply apply,
                 const char* defaultValue = nullptr)
{
    QCommandLineOption option(QString::fromLatin1(name), QString::fromUtf8(description),
                              QString::fromLatin1(valueName));
    if (defaultValue)
        option.setDefaultValue(QString::fromLatin1(defaultValue));
    return {option, std::move(apply)};
}

std::optional<QString> readImage(const QString& path, Options& options)
{
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly))
        return QStringLiteral("cannot read %1").arg(file.fileName());
    QByteArray bytes = file.readAll();
    if (bytes.size() >= ConfigurationImage::Size + 1 && bytes[0] == 5)
        bytes = bytes.mid(1, ConfigurationImage::Size);
    if (bytes.size() != ConfigurationImage::Size)
        return QStringLiteral("%1 is not a configuration image").arg(file.fileName());
    ConfigurationImage::Bytes raw;
    std::copy(bytes.begin(), bytes.end(), raw.begin());
    options.image = raw;
    return std::nullopt;
}

// EVENT or EVENT:N, N from 1; a bare EVENT is its first time.
std::optional<std::pair<QString, int>> eventCount(const QString& value)
{
    const QStringList parts = value.split(u':');
    const std::optional<int> count = parts.size() > 1 ? wholeNumber(parts[1], 1, INT_MAX) : 1;
    if (parts.size() > 2 || !count)
        return std::nullopt;
    return std::pair{parts[0], *count};
}

// The options in the order of the help, the boot loader's first.
QList<OptionRow> optionTable()
{
    const QString lengthAndNaks =
        QStringLiteral("--refuse-length takes f9 or f8, --nak-checksum once or always");
    const QString rateAndSeed = QStringLiteral("--fault-rate takes 0 to 1, --seed a number");
    return {
        flag("boot-loader", "Start switched off, with the boot loader waiting for power-on.",
             &Options::bootLoader),
        number("power-on-after", "Switch on after MS milliseconds.", "MS", &Options::powerOnAfterMs,
               0, INT_MAX),
        custom("flash-range",
               "Addresses the loader may program, in hex (LOW-HIGH); others get '%'.", "LOW-HIGH",
               [](const QString& value, Options& options) -> std::optional<QString> {
                   const QStringList range = value.split(u'-');
                   bool lowOk = false;
                   bool highOk = false;
                   if (range.size() == 2) {
                       options.flashLow = range[0].toUInt(&lowOk, 16);
                       options.flashHigh = range[1].toUInt(&highOk, 16);
                   }
                   if (!lowOk || !highOk || options.flashLow > options.flashHigh)
                       return QStringLiteral("--flash-range takes LOW-HIGH in hex");
                   return std::nullopt;
               }),
        custom("loader-nak", "Answer record L with '-' N times.", "L:N",
               [](const QString& value, Options& options) -> std::optional<QString> {
                   const std::optional<std::pair<QString, int>> lineAndCount = eventCount(value);
                   const std::optional<int> line =
                       lineAndCount ? wholeNumber(lineAndCount->first, 1, INT_MAX) : std::nullopt;
                   if (!line)
                       return QStringLiteral("--loader-nak takes L or L:N, both from 1");
                   options.loaderNakLine = *line;
                   options.loaderNakCount = lineAndCount->second;
                   return std::nullopt;
               }),
        number("loader-garbage",
               "Answer record L once with a byte the dialogue does not know, then wait for a new "
               "call.",
               "L", &Options::loaderGarbageLine, 1, INT_MAX),
        number("loader-dead-after", "Answer record L with XOFF and its answer, then never again.",
               "L", &Options::loaderDeadAfterLine, 1, INT_MAX),
        flag("loader-xon-xoff", "Send XOFF and XON before every answer.", &Options::loaderXonXoff),
        flag("loader-accept-end", "Answer the end record with '~' before its '@'.",
             &Options::loaderAcceptEnd),
        text("link", "Link the port to PATH (the console opens PATH).", "PATH", &Options::linkPath),
        custom(
            "speed", "Speed the unit listens at first (9600).", "BAUD",
            [](const QString& value, Options& options) -> std::optional<QString> {
                const std::optional<int> speed = wholeNumber(value, 1, 4000000);
                if (!speed)
                    return wholeNumberRefusal(QStringLiteral("speed"), 1, 4000000);
                options.speed = static_cast<uint32_t>(*speed);
                return std::nullopt;
            },
            "9600"),
        flag("reset-speed-on-disconnect", "Go back to --speed after answering a disconnect.",
             &Options::resetSpeedOnDisconnect),
        flag("ignore-connect", "Never answer a connect.", &Options::ignoreConnect),
        flag("ignore-disconnect", "Never answer a disconnect.", &Options::ignoreDisconnect),
        flag("deaf", "Never read the line, so that what the program sends piles up.",
             &Options::deaf),
        flag("wire-time", "Take as long as the bytes take on a real line at the current speed.",
             &Options::wireTime),
        text("log", "Append what the unit receives, as JSON lines, to FILE.", "FILE",
             &Options::logPath),
        custom("image", "Start with this configuration image (a database file or 7738 raw bytes).",
               "FILE", readImage),
        custom("exit-after",
               "Exit after EVENT (connect, disconnect, page, image, voice, upload, status), or "
               "after its N-th time with EVENT:N.",
               "EVENT[:N]",
               [](const QString& value, Options& options) -> std::optional<QString> {
                   const std::optional<std::pair<QString, int>> event = eventCount(value);
                   if (!event)
                       return QStringLiteral("--exit-after takes EVENT or EVENT:N");
                   options.exitAfterEvent = event->first;
                   options.exitAfterCount = event->second;
                   return std::nullopt;
               }),
        number("fault-type", "Make the faults below only in blocks of this type.", "TYPE",
               &Options::faultType, 1, 255),
        custom("refuse-length", "Answer the length of blocks sent to the unit with f9 or f8.",
               "f9|f8",
               [=](const QString& value, Options& options) -> std::optional<QString> {
                   const QString refusal = value.toLower();
                   if (refusal != u"f8" && refusal != u"f9")
                       return lengthAndNaks;
                   options.refuseLength = refusal == u"f8" ? 0xF8 : 0xF9;
                   return std::nullopt;
               }),
        custom("nak-checksum", "NAK good checksums: once, or always.", "once|always",
               [=](const QString& value, Options& options) -> std::optional<QString> {
                   if (value != u"once" && value != u"always")
                       return lengthAndNaks;
                   options.nakChecksum = value == u"always" ? -1 : 1;
                   return std::nullopt;
               }),
        number("upload-length", "Announce this length for the configuration image it sends.", "N",
               &Options::uploadLength, 0, INT_MAX),
        flag("corrupt-checksum", "Send a wrong checksum with the blocks it sends.",
             &Options::corruptChecksum),
        number("silent-after", "Fall silent after N data bytes of a block.", "N",
               &Options::silentAfter, 0, INT_MAX),
        flag("garbage", "Send bytes the protocol does not know before its answers.",
             &Options::garbage),
        number("hangup-after", "Hang up the line after N data bytes of a block, and exit.", "N",
               &Options::hangupAfter, 0, INT_MAX),
        custom("status-text",
               "Answer status requests with TEXT (Latin-1) instead of the unit's own.", "TEXT",
               [](const QString& value, Options& options) -> std::optional<QString> {
                   options.statusText = value.toLatin1();
                   return std::nullopt;
               }),
        custom("fault-rate",
               "Give each block this chance (0 to 1) of one fault drawn at random: a NAK (a wrong "
               "checksum in the blocks it sends), a refused length, silence, garbage or a "
               "hang-up, after which the unit comes back on a new line at the same link. Each "
               "fault is logged. Instead of the fault options above.",
               "P",
               [=](const QString& value, Options& options) -> std::optional<QString> {
                   bool ok = false;
                   options.faultRate = value.toDouble(&ok);
                   if (!ok || options.faultRate < 0 || options.faultRate > 1)
                       return rateAndSeed;
                   return std::nullopt;
               }),
        custom(
            "seed", "Seed of the random faults (1); the same seed makes the same faults.", "S",
            [=](const QString& value, Options& options) -> std::optional<QString> {
                bool ok = false;
                options.seed = value.toUInt(&ok);
                if (!ok)
                    return rateAndSeed;
                return std::nullopt;
            },
            "1"),
    };
}

} // namespace

std::variant<UnitSimulator::Options, int> readOptions(const QCoreApplication& app)
{
    const QList<OptionRow> table = optionTable();
    QCommandLineParser parser;
    parser.setApplicationDescription(QString::fromUtf8(Description));
    parser.addHelpOption();
    for (const OptionRow& row : table)
        parser.addOption(row.option);
    parser.process(app);

    if (!parser.positionalArguments().isEmpty()) {
        std::fprintf(stderr, "tavolux-unitsim: unexpected argument \"%s\"; see --help\n",
                     qPrintable(parser.positionalArguments().first()));
        return 1;
    }
    Options options;
    for (const OptionRow& row : table) {
        if (!parser.isSet(row.option) && row.option.defaultValues().isEmpty())
            continue;
        if (const std::optional<QString> refusal = row.apply(parser.value(row.option), options)) {
            std::fprintf(stderr, "tavolux-unitsim: %s\n", qPrintable(*refusal));
            return 2;
        }
    }
    return options;
}
