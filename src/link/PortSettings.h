#pragma once

#include <QString>

#include <cstdint>

// The port the unit is on and how the line is set while the console is offline, as the user
// chose them in the connection settings. Parity and stop bits are the port's codes
// (parity 0 none, 1 odd, 2 even; stop bits 0 one, 2 two).
struct PortSettings {
    QString port = QStringLiteral("COM1");
    uint32_t baudRate = 9600;
    int dataBits = 8;
    int parity = 0;
    int stopBits = 0;

    // Where the settings were read from a store: the first value the line cannot take, by its
    // name there ("BaudRate") and as it is written there ("12345"). Empty when all are usable.
    QString unusableName = {};
    QString unusableValue = {};

    bool usable() const { return unusableName.isEmpty(); }
    bool operator==(const PortSettings&) const = default;
};
