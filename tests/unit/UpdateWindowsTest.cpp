// The firmware and voice prompt update windows, offscreen, against the simulated unit.
#include "../support/Mnemonics.h"
#include "../support/UpdateFiles.h"

#include "../support/SimulatedUnit.h"
#include "FileDialog.h"
#include "FirmwareUpdateWindow.h"
#include "MessageBox.h"
#include "SerialPort.h"
#include "SettingsStore.h"
#include "VoicePrompts.h"
#include "VoiceUpdateWindow.h"

#include <QComboBox>
#include <QElapsedTimer>
#include <QFileInfo>
#include <QLabel>
#include <QProgressBar>
#include <QPushButton>
#include <QSignalSpy>
#include <QTest>

#include <gtest/gtest.h>
#include <sys/stat.h>

using namespace updatefiles;

namespace {

class UpdateWindowsTest : public ::testing::Test {
protected:
    // The port at the saved speed, as the firmware update finds it, or online for the voice.
    void open(const QStringList& unitOptions, uint32_t baudRate = 9600)
    {
        MessageBox::resetScript();
        FileDialog::resetScript();
        unit_ = std::make_unique<SimulatedUnit>(unitOptions);
        ASSERT_TRUE(unit_->started());
        port_ = std::make_unique<SerialPort>(unit_->path(), baudRate, 8, 0, 0, 1, 1);
        ASSERT_TRUE(port_->IsOpen());
    }
    void TearDown() override
    {
        MessageBox::resetScript();
        FileDialog::resetScript();
    }
    // A firmware window with the file chosen and Start pressed.
    void startFirmware(FirmwareUpdateWindow& window, const QByteArray& hex)
    {
        ASSERT_TRUE(write(dir_.filePath(QStringLiteral("fw.hex")), hex));
        FileDialog::setNextFileName(dir_.filePath(QStringLiteral("fw.hex")));
        window.show();
        QTest::mouseClick(window.actionButton(), Qt::LeftButton);
        ASSERT_EQ(window.mode(), FirmwareUpdateWindow::Mode::FileChosen);
        QTest::mouseClick(window.actionButton(), Qt::LeftButton);
    }
    QStringList messages() const
    {
        QStringList texts;
        for (const MessageBox::Shown& shown : MessageBox::shown())
            texts << shown.text;
        return texts;
    }

    QTemporaryDir dir_;
    std::unique_ptr<SimulatedUnit> unit_;
    std::unique_ptr<SerialPort> port_;
};

} // namespace

TEST_F(UpdateWindowsTest, FirmwareWindowGoesFromBrowseToStartToTheLoadersVerdict)
{
    open({QStringLiteral("--boot-loader"), QStringLiteral("--power-on-after"),
          QStringLiteral("400"), QStringLiteral("--wire-time")});
    FirmwareUpdateWindow window(*port_);
    window.show();
    EXPECT_EQ(window.windowTitle(), QStringLiteral("Update Firmware"));
    EXPECT_EQ(window.actionButton()->text(), QStringLiteral("&Browse"));
    EXPECT_TRUE(mnemonics::windowClashes(window).isEmpty());

    // A cancelled file choice changes nothing.
    FileDialog::setNextFileName(QString());
    QTest::mouseClick(window.actionButton(), Qt::LeftButton);
    EXPECT_EQ(window.mode(), FirmwareUpdateWindow::Mode::NoFile);
    ASSERT_EQ(FileDialog::requests().size(), 1);
    EXPECT_EQ(FileDialog::requests()[0].mode, FileDialog::Mode::OpenExisting);

    // A FIFO chosen as the file is refused at once instead of holding the window until some
    // program writes to it.
    const QString fifo = dir_.filePath(QStringLiteral("fifo.hex"));
    ASSERT_EQ(::mkfifo(QFile::encodeName(fifo).constData(), 0600), 0);
    FileDialog::setNextFileName(fifo);
    QTest::mouseClick(window.actionButton(), Qt::LeftButton);
    EXPECT_EQ(window.mode(), FirmwareUpdateWindow::Mode::NoFile);
    EXPECT_EQ(messages(),
              QStringList{fifo + QStringLiteral(" cannot be read: it is not a regular file")});
    MessageBox::resetScript();

    // A file without a record would leave the loader waiting for a line that never comes.
    const QString empty = dir_.filePath(QStringLiteral("empty.hex"));
    ASSERT_TRUE(write(empty, "\n\n"));
    FileDialog::setNextFileName(empty);
    QTest::mouseClick(window.actionButton(), Qt::LeftButton);
    EXPECT_EQ(window.mode(), FirmwareUpdateWindow::Mode::NoFile);
    EXPECT_EQ(messages(), QStringList{empty + QStringLiteral(" cannot be sent: it holds no records")});
    MessageBox::resetScript();

    const QByteArray hex = hexFile(20);
    ASSERT_TRUE(write(dir_.filePath(QStringLiteral("fw.hex")), hex));
    FileDialog::setNextFileName(dir_.filePath(QStringLiteral("fw.hex")));
    QTest::mouseClick(window.actionButton(), Qt::LeftButton);
    EXPECT_EQ(window.mode(), FirmwareUpdateWindow::Mode::FileChosen);
    EXPECT_EQ(window.statusLabel()->text(),
              QStringLiteral("Please turn OFF the power to the unit, and press start"));
    EXPECT_EQ(window.actionButton()->text(), QStringLiteral("&Start"));
    EXPECT_EQ(window.progressBar()->maximum(), hex.size());
    EXPECT_TRUE(mnemonics::windowClashes(window).isEmpty());

    QSignalSpy finished(&window, &QDialog::finished);
    QTest::mouseClick(window.actionButton(), Qt::LeftButton);
    EXPECT_EQ(window.actionButton()->text(), QStringLiteral("&Abort"));
    EXPECT_FALSE(window.cancelButton()->isEnabled());
    EXPECT_EQ(window.statusLabel()->text(),
              QStringLiteral("Please turn ON the power to the unit to enable the boot loader"));
    EXPECT_TRUE(mnemonics::windowClashes(window).isEmpty());
    // Escape and the window's close do nothing while the loader runs.
    QTest::keyClick(&window, Qt::Key_Escape);
    window.close();
    EXPECT_TRUE(window.isVisible());

    int highest = 0;
    QObject::connect(window.progressBar(), &QProgressBar::valueChanged,
                     [&](int v) { highest = std::max(highest, v); });
    ASSERT_TRUE(finished.wait(15000));
    EXPECT_EQ(finished.first().first().toInt(), QDialog::Accepted);
    EXPECT_EQ(messages(), QStringList{QStringLiteral("Firmware load complete.  21 lines sent")});
    EXPECT_EQ(highest, hex.size());
    EXPECT_EQ(unit_->events(QStringLiteral("firmware-complete")).size(), 1);
}

TEST_F(UpdateWindowsTest, FirmwareWindowShowsEachVerdictAndCloses)
{
    struct Case {
        const char* name;
        QStringList unitOptions;
        QByteArray hex;
        QStringList shown;
    };
    const QString unrecognised = QStringLiteral("Unrecognised output, please;\n1.)Turn OFF the "
                                                "unit.\n2.)Hit OK\n3.)Turn ON the unit.");
    const Case cases[] = {
        {"four checksum errors",
         {QStringLiteral("--loader-nak"), QStringLiteral("3:4")},
         hexFile(5),
         {QStringLiteral("Checksum error reported for line 3.  Aborting")}},
        {"invalid page",
         {QStringLiteral("--flash-range"), QStringLiteral("0-2F")},
         hexFile(5),
         {QStringLiteral("Invalid page error reported for line 4.  Aborting")}},
        {"unrecognised output, then a good run",
         {QStringLiteral("--loader-garbage"), QStringLiteral("2")},
         hexFile(5),
         {unrecognised, QStringLiteral("Firmware load complete.  6 lines sent")}},
        {"no end record",
         {},
         hexFile(2, false),
         {QStringLiteral("Warning: No end of record in Intel Hex file"),
          QStringLiteral("Firmware load complete.  3 lines sent")}},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        open(QStringList{QStringLiteral("--boot-loader"), QStringLiteral("--power-on-after"),
                         QStringLiteral("100")} +
             c.unitOptions);
        FirmwareUpdateWindow window(*port_);
        QSignalSpy finished(&window, &QDialog::finished);
        startFirmware(window, c.hex);
        ASSERT_TRUE(!finished.isEmpty() || finished.wait(10000));
        EXPECT_EQ(finished.first().first().toInt(), QDialog::Accepted);
        EXPECT_EQ(messages(), c.shown);
    }
}

TEST_F(UpdateWindowsTest, FirmwareAbortEndsTheLoaderPromptly)
{
    struct Case {
        const char* name;
        QStringList unitOptions;
        int linesBeforeAbort;
    };
    const Case cases[] = {
        {"while calling", {QStringLiteral("--boot-loader")}, 0},
        // The unit holds our output with XOFF and never lets it go: the pending line write
        // must not hold the window.
        {"after XOFF from a dead loader",
         {QStringLiteral("--boot-loader"), QStringLiteral("--power-on-after"),
          QStringLiteral("100"), QStringLiteral("--loader-dead-after"), QStringLiteral("2")},
         2},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        open(c.unitOptions);
        FirmwareUpdateWindow window(*port_);
        startFirmware(window, hexFile(50));
        ASSERT_EQ(window.mode(), FirmwareUpdateWindow::Mode::Running);
        ASSERT_TRUE(unit_->waitForEvents(QStringLiteral("firmware-line"), c.linesBeforeAbort));
        QTest::qWait(300);
        QSignalSpy finished(&window, &QDialog::finished);
        QElapsedTimer clock;
        clock.start();
        QTest::mouseClick(window.actionButton(), Qt::LeftButton);
        ASSERT_TRUE(!finished.isEmpty() || finished.wait(5000));
        EXPECT_LT(clock.elapsed(), 3000);
        EXPECT_TRUE(messages().isEmpty()) << messages().join(u'|').toStdString();
    }
}

TEST_F(UpdateWindowsTest, VoiceWindowSendsTheChosenLanguage)
{
    open({QStringLiteral("--speed"), QStringLiteral("115200")}, 115200);
    for (int i = 1; i <= 6; ++i)
        ASSERT_TRUE(
            write(VoicePrompts::fileName(dir_.path(), 5, i), wav(QByteArray(i * 100, 'v'))));
    SettingsStore::setInteger(SettingsStore::VoiceLanguage, 5);
    VoiceUpdateWindow window(*port_, dir_.path());
    window.show();
    EXPECT_EQ(window.windowTitle(), QStringLiteral("Voice Update"));
    // Nothing under way before OK: no "Transferring..." and no percentage.
    EXPECT_TRUE(window.statusLabel()->text().isEmpty());
    EXPECT_FALSE(window.progressBar()->isTextVisible());
    EXPECT_EQ(window.languageList()->currentText(), QStringLiteral("German"));
    EXPECT_TRUE(mnemonics::windowClashes(window).isEmpty());
    QSignalSpy finished(&window, &QDialog::finished);
    QTest::mouseClick(window.okButton(), Qt::LeftButton);
    EXPECT_EQ(window.statusLabel()->text(), QStringLiteral("Transferring..."));
    EXPECT_TRUE(window.progressBar()->isTextVisible());
    ASSERT_TRUE(!finished.isEmpty() || finished.wait(10000));
    EXPECT_EQ(finished.first().first().toInt(), QDialog::Accepted);
    const QList<QJsonObject> voice = unit_->events(QStringLiteral("voice"));
    ASSERT_EQ(voice.size(), 1);
    EXPECT_EQ(voice[0].value(QStringLiteral("length")).toInt(), 48 + 2100);
}

TEST_F(UpdateWindowsTest, VoiceWindowRefusesMissingFilesAndCancelStopsATransfer)
{
    open({QStringLiteral("--speed"), QStringLiteral("115200"), QStringLiteral("--silent-after"),
          QStringLiteral("64"), QStringLiteral("--fault-type"), QStringLiteral("5")},
         115200);
    VoiceUpdateWindow window(*port_, dir_.path());
    window.setAnswerTimeout(20000);
    window.show();
    window.languageList()->setCurrentIndex(7);
    QTest::mouseClick(window.okButton(), Qt::LeftButton);
    EXPECT_EQ(messages(),
              QStringList{VoicePrompts::fileName(dir_.path(), 7, 1) +
                          QStringLiteral(" cannot be used: No such file or directory")});
    EXPECT_EQ(MessageBox::shown()[0].icon, MessageBox::Icon::None);
    EXPECT_EQ(MessageBox::beeps().size(), 1);
    EXPECT_TRUE(window.isVisible());
    EXPECT_FALSE(window.isSending());
    // The choice is kept even though nothing was sent.
    EXPECT_EQ(SettingsStore::integer(SettingsStore::VoiceLanguage, 0), 7);

    for (int i = 1; i <= 6; ++i)
        ASSERT_TRUE(write(VoicePrompts::fileName(dir_.path(), 7, i), wav(QByteArray(500, 'a'))));
    QSignalSpy finished(&window, &QDialog::finished);
    QTest::mouseClick(window.okButton(), Qt::LeftButton);
    ASSERT_TRUE(window.isSending());
    EXPECT_FALSE(window.okButton()->isEnabled());
    QTest::qWait(200);
    QTest::mouseClick(window.cancelButton(), Qt::LeftButton);
    ASSERT_TRUE(!finished.isEmpty() || finished.wait(3000));
    EXPECT_EQ(finished.first().first().toInt(), QDialog::Rejected);
    EXPECT_EQ(unit_->events(QStringLiteral("voice")).size(), 0);
}

TEST_F(UpdateWindowsTest, SpanishWindowsHaveNoMnemonicClashes)
{
    open({});
    mnemonics::SpanishTexts spanish;
    ASSERT_TRUE(spanish.loaded());
    FirmwareUpdateWindow firmware(*port_);
    VoiceUpdateWindow voice(*port_, dir_.path());
    EXPECT_NE(firmware.windowTitle(), QStringLiteral("Update Firmware"));
    EXPECT_TRUE(mnemonics::windowClashes(firmware).isEmpty());
    EXPECT_TRUE(mnemonics::windowClashes(voice).isEmpty());
}
