#pragma once

#include <QDialog>
#include <QList>

#include <memory>

class QComboBox;
class SerialPort;

// "Com Port Settings": the port the unit is on and the line's speed, data bits, stop bits and
// parity. OK reopens the console's port with the choice and stores it; Close changes nothing.
// The window works on the owner's port slot, which may hold no port and may be left empty when
// the chosen port cannot be opened.
class PortSettingsWindow : public QDialog {
    Q_OBJECT
public:
    struct PortEntry {
        QString name;        // as it is opened and stored: ttyUSB0, ttyS0, or a path
        QString description; // what the system says about it, may be empty
    };

    static constexpr int Speeds[] = {300, 1200, 2400, 4800, 9600, 19200, 38400, 57600};

    PortSettingsWindow(std::unique_ptr<SerialPort>& portSlot, QWidget* parent = nullptr);
    // With a given list of ports instead of the ones this machine has (tests).
    PortSettingsWindow(std::unique_ptr<SerialPort>& portSlot, QList<PortEntry> ports,
                       QWidget* parent);

    // The serial ports of this machine in natural order (ttyS2 before ttyS10).
    static QList<PortEntry> availablePorts();
    static void sortNaturally(QList<PortEntry>& ports);
    // The message for a port that cannot be opened, with the reason where it helps.
    static QString openFailureText(uint32_t errorNumber);

    QComboBox* portList() const { return port_; }
    QComboBox* speedList() const { return speed_; }
    QComboBox* dataBitsList() const { return dataBits_; }
    QComboBox* stopBitsList() const { return stopBits_; }
    QComboBox* parityList() const { return parity_; }

public slots:
    void accept() override;

private:
    void preselect();
    QString chosenPortName() const;

    std::unique_ptr<SerialPort>& portSlot_;
    QComboBox* port_;
    QComboBox* speed_;
    QComboBox* dataBits_;
    QComboBox* stopBits_;
    QComboBox* parity_;
};
