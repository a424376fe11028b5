#pragma once

#include <QCoreApplication>
#include <QString>

#include <cstdint>
#include <optional>

struct termios;

// Everything a serial line is set to: speed, framing, modem-line control and flow control, with
// the codes the program stores in its settings (parity 0 none, 1 odd, 2 even, 3 mark, 4 space;
// stop bits 0 one, 1 one and a half, 2 two).
//
// Some of it has no equal on Linux: DTR handshake, RTS toggle and DSR output flow are kept (so
// that they read back as set) but the line runs with DTR on, RTS on and no DSR flow; RTS
// handshake and CTS output flow are one setting there (CRTSCTS). One and a half stop bits are
// sent as CSTOPB, which a UART turns into 1.5 stop bits at 5 data bits and 2 otherwise.
// Transmit-continue-on-XOFF has no Linux setting and is only kept.
struct LineSettings {
    Q_DECLARE_TR_FUNCTIONS(LineSettings)

public:
    enum Parity : uint8_t {
        NoParity = 0,
        OddParity = 1,
        EvenParity = 2,
        MarkParity = 3,
        SpaceParity = 4
    };
    enum StopBits : uint8_t { OneStopBit = 0, OneAndHalfStopBits = 1, TwoStopBits = 2 };
    enum class DtrControl : uint8_t { Disable, Enable, Handshake };
    enum class RtsControl : uint8_t { Disable, Enable, Handshake, Toggle };

    uint32_t baudRate = 0;
    uint8_t byteSize = 8;
    uint8_t parity = NoParity;
    uint8_t stopBits = OneStopBit;

    bool binary = true;
    bool parityCheck = false;
    bool outxCtsFlow = false;
    bool outxDsrFlow = false;
    DtrControl dtrControl = DtrControl::Enable;
    bool dsrSensitivity = false;
    bool txContinueOnXoff = false;
    bool outX = false; // XON/XOFF on output: stop sending on XOFF
    bool inX = false;  // XON/XOFF on input: send XOFF when the input fills up
    bool errorChar = false;
    bool nullStrip = false;
    RtsControl rtsControl = RtsControl::Enable;
    bool abortOnError = false;

    uint16_t xonLimit = 0;
    uint16_t xoffLimit = 0;
    char xonChar = 0;
    char xoffChar = 0;

    // Builds settings from a mode text "baud,parity,data,stop[,handshake]": parity n/o/e/m/s,
    // stop 1/1.5/2, handshake x (XON/XOFF), p (hardware) or absent (none). Nothing on error.
    static std::optional<LineSettings> fromModeText(const QString& text);
    // The settings a port starts with: "9600,n,8,1,x", DTR on, XON 0x11, XOFF 0x13, limits
    // 7680/8960.
    static LineSettings defaults();

    // Fills the termios fields this program controls for a raw, binary line. False when the speed
    // has no termios code.
    bool toTermios(termios& t) const;
    // Whether the line can run at this many bits per second (it has a termios code).
    static bool isSupportedBaudRate(qint64 rate);
    // The speed a termios structure is set to, in bits per second; 0 for one without a known code.
    static uint32_t baudRateOf(const termios& t);

    // The settings a device may leave as they were while it takes the others.
    enum Field { Speed = 1, DataBits = 2, ParityField = 4, StopBitsField = 8 };
    // Takes the speed and framing a device holds (read back after setting it); returns the
    // fields (Field bits) in which it differs from what these settings asked for.
    int adoptHeld(const termios& held);
    // The named fields in words, for the user: "7 data bits, even parity".
    QString describe(int fields) const;
    bool operator==(const LineSettings&) const = default;
};
