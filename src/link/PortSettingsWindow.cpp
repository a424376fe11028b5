#include "PortSettingsWindow.h"

#include "MessageBox.h"
#include "SerialPort.h"
#include "SettingsStore.h"

#include <QComboBox>
#include <QDialogButtonBox>
#include <QFormLayout>
#include <QPushButton>
#include <QRegularExpression>
#include <QSerialPortInfo>

#include <cerrno>

namespace {

// Splits "ttyS10" into "ttyS" and 10, so that names sort by their prefix and then by number.
std::pair<QString, qlonglong> naturalKey(const QString& name)
{
    static const QRegularExpression trailingDigits(QStringLiteral("^(.*?)([0-9]+)$"));
    const QRegularExpressionMatch m = trailingDigits.match(name);
    if (!m.hasMatch())
        return {name, -1};
    return {m.captured(1), m.captured(2).toLongLong()};
}

QString shownText(const PortSettingsWindow::PortEntry& entry)
{
    return entry.description.isEmpty() ? entry.name
                                       : entry.name + QStringLiteral(" - ") + entry.description;
}

QString deviceFolderPrefix()
{
    return QStringLiteral("/dev/");
}

} // namespace

PortSettingsWindow::PortSettingsWindow(std::unique_ptr<SerialPort>& portSlot, QWidget* parent)
    : PortSettingsWindow(portSlot, availablePorts(), parent)
{}

PortSettingsWindow::PortSettingsWindow(std::unique_ptr<SerialPort>& portSlot,
                                       QList<PortEntry> ports, QWidget* parent)
    : QDialog(parent)
    , portSlot_(portSlot)
    , port_(new QComboBox(this))
    , speed_(new QComboBox(this))
    , dataBits_(new QComboBox(this))
    , stopBits_(new QComboBox(this))
    , parity_(new QComboBox(this))
{
    setWindowTitle(tr("Com Port Settings"));

    // Any device path may be typed in: a pseudo-terminal, a /dev/serial/by-id link.
    port_->setEditable(true);
    port_->setInsertPolicy(QComboBox::NoInsert);
    // Room for a typed path of 40 characters; a listed port with its description widens it more.
    port_->setSizeAdjustPolicy(QComboBox::AdjustToContents);
    port_->setMinimumContentsLength(44);
    sortNaturally(ports);
    for (const PortEntry& entry : ports)
        port_->addItem(shownText(entry), entry.name);
    for (int speed : Speeds)
        speed_->addItem(QString::number(speed), speed);
    dataBits_->addItems({QStringLiteral("7"), QStringLiteral("8")});
    stopBits_->addItems({QStringLiteral("1"), QStringLiteral("2")});
    parity_->addItems({tr("None"), tr("Odd"), tr("Even")});

    auto* form = new QFormLayout;
    form->addRow(tr("Port"), port_);
    form->addRow(tr("Speed"), speed_);
    form->addRow(tr("Data Bits"), dataBits_);
    form->addRow(tr("Stop Bits"), stopBits_);
    form->addRow(tr("Parity"), parity_);
    auto* buttons = new QDialogButtonBox(this);
    buttons->addButton(tr("&Ok"), QDialogButtonBox::AcceptRole)->setDefault(true);
    buttons->addButton(tr("&Close"), QDialogButtonBox::RejectRole);
    connect(buttons, &QDialogButtonBox::accepted, this, &QDialog::accept);
    connect(buttons, &QDialogButtonBox::rejected, this, &QDialog::reject);
    auto* layout = new QVBoxLayout(this);
    layout->addLayout(form);
    layout->addWidget(buttons);

    preselect();
}

QList<PortSettingsWindow::PortEntry> PortSettingsWindow::availablePorts()
{
    QList<PortEntry> ports;
    for (const QSerialPortInfo& info : QSerialPortInfo::availablePorts())
        ports.append({info.portName(), info.description()});
    sortNaturally(ports);
    return ports;
}

void PortSettingsWindow::sortNaturally(QList<PortEntry>& ports)
{
    std::stable_sort(ports.begin(), ports.end(), [](const PortEntry& a, const PortEntry& b) {
        return naturalKey(a.name) < naturalKey(b.name);
    });
}

void PortSettingsWindow::preselect()
{
    dataBits_->setCurrentIndex(1);
    stopBits_->setCurrentIndex(0);
    parity_->setCurrentIndex(0);
    speed_->setCurrentIndex(speed_->findData(57600));
    port_->setCurrentIndex(port_->count() > 0 ? 0 : -1);

    auto selectPort = [this](const QString& name) {
        const int index = port_->findData(name);
        if (index >= 0)
            port_->setCurrentIndex(index);
        else
            port_->setEditText(name);
    };
    if (const auto stored = SettingsStore::text(SettingsStore::ComPort);
        stored && !stored->isEmpty())
        selectPort(*stored);

    const SerialPort* port = portSlot_.get();
    if (!port)
        return;
    const int bits = port->GetByteSize();
    dataBits_->setCurrentIndex(bits == 7 || bits == 8 ? bits - 7 : -1);
    stopBits_->setCurrentIndex(port->GetStopBits() != 0 ? 1 : 0);
    const int parity = port->GetParity();
    parity_->setCurrentIndex(parity >= 0 && parity < parity_->count() ? parity : -1);
    speed_->setCurrentIndex(speed_->findData(static_cast<int>(port->GetBaudRate())));
    if (port->IsOpen()) {
        QString name = port->GetName();
        if (name.startsWith(deviceFolderPrefix()) &&
            port_->findData(name.mid(deviceFolderPrefix().size())) >= 0)
            name = name.mid(deviceFolderPrefix().size());
        selectPort(name);
    }
}

QString PortSettingsWindow::chosenPortName() const
{
    const int index = port_->currentIndex();
    if (index >= 0 && port_->itemText(index) == port_->currentText())
        return port_->itemData(index).toString();
    const QString typed = port_->currentText().trimmed();
    return typed.isEmpty() ? QStringLiteral("COM1") : typed;
}

void PortSettingsWindow::accept()
{
    PortSettings chosen;
    chosen.port = chosenPortName();
    chosen.baudRate = speed_->currentIndex() >= 0 ? speed_->currentData().toUInt() : 0;
    chosen.dataBits = dataBits_->currentIndex() >= 0 ? dataBits_->currentIndex() + 7 : 8;
    chosen.stopBits = stopBits_->currentIndex() == 1 ? 2 : 0;
    chosen.parity = std::max(parity_->currentIndex(), 0);

    if (!portSlot_)
        portSlot_ = std::make_unique<SerialPort>();
    SerialPort& port = *portSlot_;
    port.Close();
    // The framing follows the opening at 8N1, so that a device that takes only part of it
    // still opens, and says below what it did not take. A setting that fails outright leaves
    // a line that does not run as chosen: that port is not kept.
    if (port.Open(chosen.port, chosen.baudRate, 8, LineSettings::NoParity, LineSettings::OneStopBit,
                  SerialPort::KeepMode, SerialPort::KeepMode) &&
        port.SetLineSetup({0, chosen.dataBits, chosen.parity, chosen.stopBits})) {
        port.SetReadTimeout(SerialPort::ShortReadTimeoutMs);
        port.SetWriteTimeout(Channel::NoTimeLimit);
        port.PurgeInput();
        port.PurgeOutput();
        // Stored as the line runs, so that this window and the next start show what it does.
        const QString refusal = port.TakeRefusal();
        if (!refusal.isEmpty()) {
            chosen.dataBits = port.GetByteSize();
            chosen.parity = port.GetParity();
            chosen.stopBits = port.GetStopBits();
            if (chosen.baudRate != 0)
                chosen.baudRate = port.GetBaudRate();
            MessageBox::information(this, refusal);
        }
        // A path typed relative to where the console runs now must lead to the same port
        // when it is started from somewhere else.
        if (chosen.port.contains(u'/'))
            chosen.port = port.GetName();
        SettingsStore::setPortSettings(chosen);
    } else {
        const uint32_t error = port.TakeError();
        portSlot_.reset();
        MessageBox::beep();
        MessageBox::message(this, openFailureText(error));
    }
    QDialog::accept();
}

QString PortSettingsWindow::openFailureText(uint32_t errorNumber)
{
    QString text = tr("Error: Cannot open port!");
    QString reason;
    switch (errorNumber) {
    case 0:
        break;
    case EBUSY:
        reason = tr("The port is in use by another program.");
        break;
    case ENOENT:
    case ENODEV:
    case ENXIO:
        reason = tr("The port does not exist.");
        break;
    case EACCES:
    case EPERM:
        reason = tr("You are not allowed to use the port. Add your user to the \"dialout\" group "
                    "(sudo usermod -aG dialout $USER), then log out and log in again.");
        break;
    case ENOTTY:
        reason = tr("This is not a serial port.");
        break;
    default:
        reason = qt_error_string(static_cast<int>(errorNumber));
        break;
    }
    if (!reason.isEmpty())
        text += u'\n' + reason;
    return text;
}
