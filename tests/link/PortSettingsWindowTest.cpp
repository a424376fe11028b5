#include "PortSettingsWindow.h"
#include "../support/PseudoTerminal.h"
#include "MessageBox.h"
#include "SerialPort.h"
#include "SettingsStore.h"

#include <QComboBox>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QLineEdit>
#include <QSettings>
#include <QTemporaryDir>

#include <gtest/gtest.h>

namespace {

class PortSettingsWindowTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        QSettings().clear();
        MessageBox::resetScript();
        ASSERT_TRUE(pty_.isOpen());
    }
    void TearDown() override
    {
        QSettings().clear();
        MessageBox::resetScript();
    }

    // The pty's slave as the window lists it: a name below a folder of /dev/ is listed whole.
    QString listedName() const { return pty_.slavePath(); }

    QStringList shownPorts(const PortSettingsWindow& window) const
    {
        QStringList names;
        for (int i = 0; i < window.portList()->count(); ++i)
            names << window.portList()->itemData(i).toString();
        return names;
    }

    PseudoTerminal pty_;
    std::unique_ptr<SerialPort> port_;
};

} // namespace

TEST_F(PortSettingsWindowTest, ListsPortsInNaturalOrderWithTheDefaultsPreselected)
{
    PortSettingsWindow window(port_,
                              {{QStringLiteral("ttyUSB0"), QStringLiteral("FT232R USB UART")},
                               {QStringLiteral("ttyS10"), {}},
                               {QStringLiteral("ttyS1"), {}},
                               {QStringLiteral("ttyS0"), {}},
                               {QStringLiteral("ttyS2"), {}}},
                              nullptr);
    EXPECT_EQ(shownPorts(window), (QStringList{QStringLiteral("ttyS0"), QStringLiteral("ttyS1"),
                                               QStringLiteral("ttyS2"), QStringLiteral("ttyS10"),
                                               QStringLiteral("ttyUSB0")}));
    EXPECT_EQ(window.portList()->itemText(4), QStringLiteral("ttyUSB0 - FT232R USB UART"));
    EXPECT_EQ(window.portList()->currentIndex(), 0);
    EXPECT_EQ(window.speedList()->currentText(), QStringLiteral("57600"));
    EXPECT_EQ(window.dataBitsList()->currentText(), QStringLiteral("8"));
    EXPECT_EQ(window.stopBitsList()->currentText(), QStringLiteral("1"));
    EXPECT_EQ(window.parityList()->currentIndex(), 0);
    EXPECT_EQ(window.windowTitle(), QStringLiteral("Com Port Settings"));

    // A stored port that is not present is still shown.
    SettingsStore::setText(SettingsStore::ComPort, QStringLiteral("/dev/serial/by-id/usb-unit"));
    PortSettingsWindow again(port_, {{QStringLiteral("ttyS0"), {}}}, nullptr);
    EXPECT_EQ(again.portList()->currentText(), QStringLiteral("/dev/serial/by-id/usb-unit"));
}

TEST_F(PortSettingsWindowTest, APathOfFortyCharactersAndItsDescriptionShowWhole)
{
    const QString path = QStringLiteral("/home/operator/tavolux/demo/unit-ttyS0ab");
    ASSERT_EQ(path.size(), 40);
    struct Case {
        const char* what;
        QList<PortSettingsWindow::PortEntry> ports;
        QString shown;
    };
    const Case cases[] = {
        {"typed path", {}, path},
        {"listed port with its description",
         {{path, QStringLiteral("USB-Serial Controller D")}},
         path + QStringLiteral(" - USB-Serial Controller D")},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        SettingsStore::setText(SettingsStore::ComPort, path);
        PortSettingsWindow window(port_, c.ports, nullptr);
        window.show();
        ASSERT_EQ(window.portList()->currentText(), c.shown);
        QLineEdit* edit = window.portList()->lineEdit();
        EXPECT_GE(edit->width(), edit->fontMetrics().horizontalAdvance(c.shown));
    }
}

TEST_F(PortSettingsWindowTest, PreselectsWhatTheOpenPortRuns)
{
    // Asked for 7 data bits and even parity, a pseudo-terminal runs 8 and none: the window shows
    // what the line runs, not what was asked for.
    port_ = std::make_unique<SerialPort>(pty_.slavePath(), 19200, 7, 2, 2, 1, 1);
    ASSERT_TRUE(port_->IsOpen());
    PortSettingsWindow window(port_, {{QStringLiteral("ttyS0"), {}}, {listedName(), {}}}, nullptr);
    EXPECT_EQ(window.portList()->currentData().toString(), listedName());
    EXPECT_EQ(window.speedList()->currentText(), QStringLiteral("19200"));
    EXPECT_EQ(window.dataBitsList()->currentText(), QStringLiteral("8"));
    EXPECT_EQ(window.stopBitsList()->currentText(), QStringLiteral("2"));
    EXPECT_EQ(window.parityList()->currentText(), QStringLiteral("None"));

    // Not among the listed ports: its path stands in the port box.
    PortSettingsWindow unlisted(port_, {{QStringLiteral("ttyS0"), {}}}, nullptr);
    EXPECT_EQ(unlisted.portList()->currentText(), pty_.slavePath());
}

TEST_F(PortSettingsWindowTest, OkOpensThePortAndStoresWhatTheLineRuns)
{
    PortSettingsWindow window(port_, {{QStringLiteral("ttyS0"), {}}, {listedName(), {}}}, nullptr);
    window.show();
    window.portList()->setCurrentIndex(window.portList()->findData(listedName()));
    window.speedList()->setCurrentIndex(window.speedList()->findText(QStringLiteral("38400")));
    window.dataBitsList()->setCurrentIndex(0);
    window.stopBitsList()->setCurrentIndex(1);
    window.parityList()->setCurrentIndex(2);
    window.accept();

    // The pseudo-terminal takes the speed and the stop bits, but runs 8 data bits without
    // parity: that is what the port records and what is stored, and the user is told once.
    ASSERT_TRUE(port_);
    EXPECT_TRUE(port_->IsOpen());
    EXPECT_EQ(port_->GetName(), pty_.slavePath());
    EXPECT_EQ(port_->GetByteSize(), 8);
    EXPECT_EQ(port_->GetParity(), 0);
    EXPECT_EQ(port_->GetStopBits(), 2);
    EXPECT_EQ(port_->GetHandshakeMode(), 1);
    EXPECT_EQ(port_->GetFlowMode(), 1);
    EXPECT_EQ(port_->GetReadTimeout(), 50);
    EXPECT_EQ(port_->GetWriteTimeout(), Channel::NoTimeLimit);
    const termios t = pty_.masterSettings();
    EXPECT_TRUE(t.c_cflag & CSTOPB);
    EXPECT_EQ(cfgetospeed(&t), static_cast<speed_t>(B38400));

    const PortSettings stored = SettingsStore::portSettings();
    EXPECT_EQ(stored.port, listedName());
    EXPECT_EQ(stored.baudRate, 38400u);
    EXPECT_EQ(stored.dataBits, 8);
    EXPECT_EQ(stored.stopBits, 2);
    EXPECT_EQ(stored.parity, 0);
    ASSERT_EQ(MessageBox::shown().size(), 1);
    EXPECT_EQ(MessageBox::shown()[0].text,
              QStringLiteral("The port does not take 7 data bits, even parity; it runs with 8 "
                             "data bits, no parity."));
    EXPECT_FALSE(window.isVisible());
}

TEST_F(PortSettingsWindowTest, ARateNotInTheListIsKeptAndStoredAsZero)
{
    port_ = std::make_unique<SerialPort>(pty_.slavePath(), 115200, 8, 0, 0, 1, 1);
    ASSERT_TRUE(port_->IsOpen());
    PortSettingsWindow window(port_, {}, nullptr);
    EXPECT_EQ(window.speedList()->currentIndex(), -1);
    window.accept();
    ASSERT_TRUE(port_);
    EXPECT_EQ(port_->GetBaudRate(), 115200u);
    EXPECT_EQ(SettingsStore::portSettings().baudRate, 0u);
    EXPECT_EQ(SettingsStore::portSettings().port, pty_.slavePath());
}

TEST_F(PortSettingsWindowTest, APortThatCannotBeOpenedLeavesNoPortAndStoresNothing)
{
    struct Case {
        const char* what;
        bool busy;
        QString expected;
    };
    const Case cases[] = {
        {"missing", false, QStringLiteral("Error: Cannot open port!\nThe port does not exist.")},
        {"busy", true,
         QStringLiteral("Error: Cannot open port!\nThe port is in use by another program.")},
    };
    for (const Case& c : cases) {
        MessageBox::resetScript();
        SettingsStore::setPortSettings({QStringLiteral("ttyS3"), 4800, 8, 0, 0});
        port_ = std::make_unique<SerialPort>();
        SerialPort other; // another program on the line
        if (c.busy) {
            ASSERT_TRUE(other.Open(pty_.slavePath(), 9600, 8, 0, 0, 1, 1));
        }

        PortSettingsWindow window(port_, {}, nullptr);
        window.portList()->setEditText(c.busy ? pty_.slavePath()
                                              : QStringLiteral("/dev/ttyNoSuchPort9"));
        window.accept();

        EXPECT_FALSE(port_) << c.what;
        ASSERT_EQ(MessageBox::shown().size(), 1) << c.what;
        EXPECT_EQ(MessageBox::shown()[0].text, c.expected) << c.what;
        EXPECT_EQ(MessageBox::shown()[0].icon, MessageBox::Icon::None);
        EXPECT_EQ(MessageBox::beeps().size(), 1);
        EXPECT_EQ(SettingsStore::portSettings(),
                  (PortSettings{QStringLiteral("ttyS3"), 4800, 8, 0, 0}))
            << c.what;
    }
}

// A device that opens and then fails the framing (it went away in between) leaves a line that
// does not run as chosen: the port is not kept and nothing is stored, as when it cannot be opened.
TEST_F(PortSettingsWindowTest, ALineThatCannotBeSetUpIsNotKept)
{
    class GoneAfterOpening : public SerialPort {
    public:
        bool Configure(uint32_t baudRate, int byteSize, int parity, int stopBits, int handshakeMode,
                       int flowMode) override
        {
            if (IsOpen() && baudRate == 0) {
                SetError(EIO);
                return false;
            }
            return SerialPort::Configure(baudRate, byteSize, parity, stopBits, handshakeMode,
                                         flowMode);
        }
    };
    SettingsStore::setPortSettings({QStringLiteral("ttyS3"), 4800, 8, 0, 0});
    port_ = std::make_unique<GoneAfterOpening>();
    PortSettingsWindow window(port_, {{listedName(), {}}}, nullptr);
    window.portList()->setCurrentIndex(0);
    window.speedList()->setCurrentIndex(window.speedList()->findText(QStringLiteral("9600")));
    window.accept();

    EXPECT_FALSE(port_);
    ASSERT_EQ(MessageBox::shown().size(), 1);
    EXPECT_EQ(MessageBox::shown()[0].text,
              QStringLiteral("Error: Cannot open port!\n") + qt_error_string(EIO));
    EXPECT_EQ(MessageBox::beeps().size(), 1);
    EXPECT_EQ(SettingsStore::portSettings(), (PortSettings{QStringLiteral("ttyS3"), 4800, 8, 0, 0}));
}

TEST_F(PortSettingsWindowTest, ATypedRelativePathOpensFromTheWorkingFolderAndIsStoredWhole)
{
    QTemporaryDir dir;
    const QString link = dir.filePath(QStringLiteral("unit"));
    ASSERT_TRUE(QFile::link(pty_.slavePath(), link));
    const QFileInfo folder(dir.path());
    struct Case {
        QString workingFolder;
        QString typed;
    };
    const Case cases[] = {
        {folder.filePath(), QStringLiteral("./unit")},
        {folder.path(), folder.fileName() + QStringLiteral("/unit")},
    };
    const QString before = QDir::currentPath();
    for (const Case& c : cases) {
        SCOPED_TRACE(c.typed.toStdString());
        ASSERT_TRUE(QDir::setCurrent(c.workingFolder));
        port_.reset();
        PortSettingsWindow window(port_, {}, nullptr);
        window.portList()->setEditText(c.typed);
        window.accept();
        // Stored whole: the console may be started from another folder next time.
        ASSERT_TRUE(port_);
        EXPECT_TRUE(port_->IsOpen());
        EXPECT_EQ(port_->GetName(), link);
        EXPECT_EQ(SettingsStore::portSettings().port, link);
        EXPECT_TRUE(MessageBox::shown().isEmpty());
    }
    QDir::setCurrent(before);
}

TEST(PortSettingsMessages, PermissionTroubleSaysHowToFixIt)
{
    const QString text = PortSettingsWindow::openFailureText(EACCES);
    EXPECT_TRUE(text.startsWith(QStringLiteral("Error: Cannot open port!\n")));
    EXPECT_TRUE(text.contains(QStringLiteral("dialout")));
    EXPECT_EQ(PortSettingsWindow::openFailureText(0), QStringLiteral("Error: Cannot open port!"));
}
