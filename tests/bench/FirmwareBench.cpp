// Loads a 64 KiB firmware file through the simulated unit's boot loader at 115200 baud with wire
// time emulated, and prints the update time against the pure wire time of the bytes exchanged.
#include "../support/ChildProcess.h"
#include "../support/UpdateFiles.h"

#include "FirmwareLoader.h"
#include "SerialPort.h"

#include <QBuffer>
#include <QCoreApplication>
#include <QElapsedTimer>
#include <QTemporaryDir>
#include <QThread>

#include <atomic>
#include <cstdio>

namespace {

constexpr double SecondsPerByte = 10 / 115200.0; // 8N1

class Listener : public FirmwareLoader::Listener {
public:
    std::atomic<bool> complete{false};
    std::atomic<bool> ended{false};
    void loaderText(const QString&) override {}
    void loaderProgress(qint64) override {}
    void loaderMessage(const QString& text) override
    {
        if (!text.startsWith(QStringLiteral("Firmware load complete")))
            std::fprintf(stderr, "%s\n", qPrintable(text));
    }
    void loaderComplete() override { complete = true; }
    void loaderEnded() override { ended = true; }
};

} // namespace

int main(int argc, char* argv[])
{
    QCoreApplication app(argc, argv);
    if (argc < 2) {
        std::fprintf(stderr, "usage: %s PATH-TO-tavolux-unitsim\n", argv[0]);
        return 1;
    }
    QTemporaryDir dir;
    const QString link = dir.filePath(QStringLiteral("unit"));
    ChildProcess unit(QString::fromLocal8Bit(argv[1]),
                      {QStringLiteral("--link"), link, QStringLiteral("--boot-loader"),
                       QStringLiteral("--power-on-after"), QStringLiteral("0"),
                       QStringLiteral("--wire-time")});
    if (!unit.started() || !unit.readLine().contains("unit on")) {
        std::fprintf(stderr, "the simulated unit did not start\n");
        return 1;
    }
    // 4096 records of 16 bytes: 64 KiB of firmware.
    QByteArray hex = updatefiles::hexFile(4096);
    QBuffer file(&hex);
    file.open(QIODevice::ReadOnly | QIODevice::Text);
    const QList<QByteArray> lines = hex.trimmed().split('\n');
    qint64 lineBytes = 0;
    for (const QByteArray& line : lines)
        lineBytes += line.size();

    SerialPort port(link, 9600, 8, 0, 0, 1, 1);
    Listener listener;
    FirmwareLoader loader(port, file, listener);
    QElapsedTimer clock;
    clock.start();
    loader.start();
    while (!listener.ended && clock.elapsed() < 120000)
        QThread::msleep(5);
    const double seconds = clock.nsecsElapsed() / 1e9;
    loader.requestStop();
    loader.join();
    if (!listener.complete) {
        std::fprintf(stderr, "the update did not complete\n");
        return 1;
    }
    // One call and its '?', every line and its answer.
    const qint64 exchanged = 3 + 1 + lineBytes + lines.size();
    const double wire = exchanged * SecondsPerByte;
    std::printf("Firmware update of 64 KiB (%lld records, %lld bytes exchanged) at 115200 baud "
                "against the simulated unit with wire time\n",
                static_cast<long long>(lines.size()), static_cast<long long>(exchanged));
    std::printf("  wire time %.3f s, update time %.3f s, ratio %.3f (target 1.10 or less)\n", wire,
                seconds, seconds / wire);
    return 0;
}
