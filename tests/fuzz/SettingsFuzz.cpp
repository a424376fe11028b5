// The settings file as the console reads it at start: the input is written as the whole INI file
// in a private configuration folder, then read the way the program reads it. The port settings
// must be ones the line takes, or name the value it cannot; the port name must come out as a
// device path; the main window's stored frame must be one a window can have, or be refused;
// and reading must leave the file as it was.
#include "FuzzCheck.h"
#include "LineSettings.h"
#include "SerialPort.h"
#include "SettingsStore.h"

#include <QDir>
#include <QFile>
#include <QTemporaryDir>

#include <termios.h>

#include <chrono>
#include <cstddef>
#include <cstdint>
#include <filesystem>

namespace {

// Set up once: QSettings and QStandardPaths take the configuration folder on first use.
const QString& settingsFile()
{
    static const QString file = [] {
        static QTemporaryDir home(QDir::tempPath() + QStringLiteral("/tavolux-fuzz-XXXXXX"));
        FUZZ_CHECK(home.isValid());
        qputenv("XDG_CONFIG_HOME", QFile::encodeName(home.path()));
        const QString folder =
            home.path() + u'/' + QString::fromLatin1(SettingsStore::Organisation);
        FUZZ_CHECK(QDir().mkpath(folder));
        return folder + u'/' + QString::fromLatin1(SettingsStore::Application) +
               QStringLiteral(".conf");
    }();
    return file;
}

void writeSettings(const QByteArray& contents)
{
    QFile file(settingsFile());
    FUZZ_CHECK(file.open(QIODevice::WriteOnly | QIODevice::Truncate));
    FUZZ_CHECK(file.write(contents) == contents.size());
    file.close();
    // QSettings keeps a file it has read until its size or time changes; two inputs of one size
    // written within the same tick would otherwise read as the first.
    static int64_t tick = 0;
    std::filesystem::last_write_time(settingsFile().toStdString(),
                                     std::filesystem::file_time_type(std::chrono::seconds(++tick)));
}

QByteArray readSettingsFile()
{
    QFile file(settingsFile());
    FUZZ_CHECK(file.open(QIODevice::ReadOnly));
    return file.readAll();
}

void checkPortSettings(const PortSettings& settings)
{
    if (!settings.usable()) {
        static const QStringList numbers{QString::fromLatin1(SettingsStore::BaudRate.name),
                                         QString::fromLatin1(SettingsStore::DataBits.name),
                                         QString::fromLatin1(SettingsStore::Parity.name),
                                         QString::fromLatin1(SettingsStore::StopBits.name)};
        FUZZ_CHECK(numbers.contains(settings.unusableName));
    }
    // Whatever was refused kept its default, so every number here is one the line can take.
    FUZZ_CHECK(settings.baudRate == 0 || LineSettings::isSupportedBaudRate(settings.baudRate));
    FUZZ_CHECK(settings.dataBits >= 5 && settings.dataBits <= 8);
    FUZZ_CHECK(settings.parity >= LineSettings::NoParity &&
               settings.parity <= LineSettings::SpaceParity);
    FUZZ_CHECK(settings.stopBits >= LineSettings::OneStopBit &&
               settings.stopBits <= LineSettings::TwoStopBits);

    // The port takes them as they are (a baud rate of 0 keeps its own).
    SerialPort port;
    FUZZ_CHECK(port.Configure(settings.baudRate, settings.dataBits, settings.parity,
                              settings.stopBits, SerialPort::NoHandshake, SerialPort::NoFlowControl));
    const LineSettings& line = port.GetLineSettings();
    FUZZ_CHECK(line.baudRate ==
               (settings.baudRate == 0 ? LineSettings::defaults().baudRate : settings.baudRate));
    FUZZ_CHECK(line.byteSize == settings.dataBits && line.parity == settings.parity &&
               line.stopBits == settings.stopBits);
    termios t{};
    FUZZ_CHECK(line.toTermios(t));
}

void checkPortName(const QString& name)
{
    const QString device = SerialPort::NormalizeName(name);
    FUZZ_CHECK(device.startsWith(u'/'));
    if (!name.contains(u'/'))
        FUZZ_CHECK(device.startsWith(QStringLiteral("/dev/")));
}

void checkWindowFrame(const QByteArray& stored)
{
    const std::optional<QRect> frame = SettingsStore::windowFrame(stored);
    if (!frame)
        return;
    FUZZ_CHECK(frame->isValid());
    // Measured wide, as QRect's own width() overflows on a frame across the whole int range.
    constexpr qint64 LargestSide = (1 << 24) - 1;
    FUZZ_CHECK(qint64(frame->right()) - frame->left() + 1 <= LargestSide);
    FUZZ_CHECK(qint64(frame->bottom()) - frame->top() + 1 <= LargestSide);
    FUZZ_CHECK(SettingsStore::windowFrameValue(*frame) == stored);
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    const QByteArray contents(reinterpret_cast<const char*>(data), static_cast<qsizetype>(size));
    writeSettings(contents);

    const PortSettings settings = SettingsStore::portSettings();
    checkPortSettings(settings);
    checkPortName(settings.port);
    checkWindowFrame(SettingsStore::binary(SettingsStore::WndPos));

    FUZZ_CHECK(readSettingsFile() == contents);
    return 0;
}
