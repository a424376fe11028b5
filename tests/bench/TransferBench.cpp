// Downloads and uploads the configuration image against the simulated unit at 115200 baud with
// wire time emulated, and prints how close to the pure wire time of the bytes exchanged the
// transfers come, and what CPU time the program spends on an upload.
#include "../support/ChildProcess.h"

#include "BlockTransfer.h"
#include "ConfigurationImage.h"
#include "ImageTransfer.h"
#include "SerialPort.h"

#include <QCoreApplication>
#include <QElapsedTimer>
#include <QTemporaryDir>

#include <algorithm>
#include <cstdio>
#include <ctime>
#include <vector>

namespace {

constexpr double Baud = 115200;
constexpr double SecondsPerByte = 10 / Baud; // 8N1
constexpr int Blocks = (ConfigurationImage::Size + 63) / 64;
// Program to unit and back, one direction at a time as the protocol goes.
constexpr int DownloadBytes = (1 + 3 + ConfigurationImage::Size + 2) + (1 + (Blocks - 1) + 1);
constexpr int UploadBytes = (1 + 1 + 1) + (3 + ConfigurationImage::Size + 2);

double cpuSeconds()
{
    timespec t{};
    clock_gettime(CLOCK_PROCESS_CPUTIME_ID, &t);
    return static_cast<double>(t.tv_sec) + static_cast<double>(t.tv_nsec) / 1e9;
}

double median(std::vector<double> values)
{
    std::sort(values.begin(), values.end());
    return values[values.size() / 2];
}

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
                      {QStringLiteral("--link"), link, QStringLiteral("--speed"),
                       QStringLiteral("115200"), QStringLiteral("--wire-time")});
    if (!unit.started() || !unit.readLine().contains("unit on")) {
        std::fprintf(stderr, "the simulated unit did not start\n");
        return 1;
    }
    SerialPort port(link, 115200, 8, 0, 0, 1, 1);
    ConfigurationImage image;
    auto showMessage = [](const QString& text) {
        std::fprintf(stderr, "%s\n", qPrintable(text));
    };

    constexpr int Rounds = 5;
    std::vector<double> downloads, uploads, uploadCpu;
    for (int round = 0; round < Rounds; ++round) {
        QElapsedTimer clock;
        ImageTransfer download(port, image, BlockTransfer::ImageToUnit, showMessage);
        clock.start();
        if (!download.run())
            return 1;
        downloads.push_back(clock.nsecsElapsed() / 1e9);

        ImageTransfer upload(port, image, BlockTransfer::ImageFromUnit, showMessage);
        const double cpuBefore = cpuSeconds();
        clock.restart();
        if (!upload.run())
            return 1;
        uploads.push_back(clock.nsecsElapsed() / 1e9);
        uploadCpu.push_back(cpuSeconds() - cpuBefore);
    }

    const double downloadWire = DownloadBytes * SecondsPerByte;
    const double uploadWire = UploadBytes * SecondsPerByte;
    std::printf(
        "Configuration image at 115200 baud against the simulated unit with wire time, %d rounds\n",
        Rounds);
    std::printf("  download: wire time %.3f s, wall time %.3f s (median), ratio %.3f\n",
                downloadWire, median(downloads), median(downloads) / downloadWire);
    std::printf("  upload:   wire time %.3f s, wall time %.3f s (median), ratio %.3f\n", uploadWire,
                median(uploads), median(uploads) / uploadWire);
    std::printf("  program CPU per upload: %.1f ms (median), %.1f%% of the wall time\n",
                median(uploadCpu) * 1000, 100 * median(uploadCpu) / median(uploads));
    return 0;
}
