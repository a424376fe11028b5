// Pushes 1 MiB through a pseudo-terminal and prints what it cost: once read with single-byte
// ReadByte calls, once written with one Write call, and a raw read() of the same stream in large
// chunks as the yardstick measured in the same run.
#include "../support/PseudoTerminal.h"
#include "SerialPort.h"

#include <QElapsedTimer>

#include <cstdio>
#include <thread>

namespace {

constexpr int Total = 1 << 20;

QByteArray pattern()
{
    QByteArray bytes(Total, Qt::Uninitialized);
    for (int i = 0; i < Total; ++i)
        bytes[i] = static_cast<char>(i * 7);
    return bytes;
}

struct Figures {
    double seconds;
    uint64_t systemCalls;
    uint64_t deviceReads;
};

Figures readByteByByte(const QByteArray& data)
{
    PseudoTerminal pty;
    SerialPort port;
    port.Open(pty.slavePath(), 115200, 8, 0, 0, 1, 1);
    port.SetReadTimeout(2000);
    std::thread writer([&] { pty.send(data); });
    QElapsedTimer clock;
    clock.start();
    const uint64_t before = port.SystemCallCount();
    const uint64_t readsBefore = port.DeviceReadCount();
    int got = 0;
    bool same = true;
    while (got < Total) {
        const int byte = port.ReadByte();
        if (byte < 0)
            break;
        same = same && static_cast<char>(byte) == data[got];
        ++got;
    }
    const Figures f{clock.nsecsElapsed() / 1e9, port.SystemCallCount() - before,
                    port.DeviceReadCount() - readsBefore};
    writer.join();
    if (got != Total || !same)
        std::printf("ReadByte: stream broken after %d bytes\n", got);
    return f;
}

double rawRead(const QByteArray& data)
{
    PseudoTerminal pty;
    SerialPort port; // sets the slave raw, as the program would
    port.Open(pty.slavePath(), 115200, 8, 0, 0, 1, 1);
    const int fd = port.GetHandle();
    std::thread writer([&] { pty.send(data); });
    QElapsedTimer clock;
    clock.start();
    int got = 0;
    char chunk[65536];
    while (got < Total) {
        const ssize_t n = ::read(fd, chunk, sizeof chunk);
        if (n > 0) {
            got += static_cast<int>(n);
        } else {
            pollfd p{fd, POLLIN, 0};
            if (::poll(&p, 1, 2000) <= 0)
                break;
        }
    }
    const double seconds = clock.nsecsElapsed() / 1e9;
    writer.join();
    return seconds;
}

Figures writeAtOnce(const QByteArray& data)
{
    PseudoTerminal pty;
    SerialPort port;
    port.Open(pty.slavePath(), 115200, 8, 0, 0, 1, 1);
    port.SetWriteTimeout(10000);
    QByteArray received;
    std::thread reader([&] { received = pty.receive(Total, 10000); });
    QElapsedTimer clock;
    clock.start();
    const uint64_t before = port.SystemCallCount();
    const bool ok = port.Write(reinterpret_cast<const uint8_t*>(data.constData()), Total);
    const Figures f{clock.nsecsElapsed() / 1e9, port.SystemCallCount() - before, 0};
    reader.join();
    if (!ok || received != data)
        std::printf("Write: stream broken (%d bytes went out)\n", port.LastWriteCount());
    return f;
}

} // namespace

int main()
{
    const QByteArray data = pattern();
    const Figures reading = readByteByByte(data);
    const double raw = rawRead(data);
    const Figures writing = writeAtOnce(data);

    std::printf("1 MiB through a pseudo-terminal\n");
    std::printf("  ReadByte x %d: %8.1f KiB/s, %.3f system calls per byte\n", Total,
                Total / 1024.0 / reading.seconds, double(reading.systemCalls) / Total);
    std::printf("    of which device reads: %.5f per byte\n", double(reading.deviceReads) / Total);
    std::printf("  raw read() in 64 KiB chunks: %8.1f KiB/s (ReadByte takes %.0fx as long)\n",
                Total / 1024.0 / raw, reading.seconds / raw);
    std::printf("  a 115200 baud line carries %.1f KiB/s\n", 11520 / 1024.0);
    std::printf("  one Write of 1 MiB: %8.1f KiB/s, %.4f system calls per byte\n",
                Total / 1024.0 / writing.seconds, double(writing.systemCalls) / Total);
    return 0;
}
