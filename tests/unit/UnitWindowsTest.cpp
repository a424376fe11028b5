// The transfer and status windows, offscreen, against the simulated unit.
#include "../support/SimulatedUnit.h"
#include "../support/SiteBuilder.h"
#include "BlockTransfer.h"
#include "ConfigurationImage.h"
#include "MessageBox.h"
#include "SerialPort.h"
#include "TransferWindow.h"
#include "UnitSession.h"
#include "UnitStatusWindow.h"

#include <QLabel>
#include <QProgressBar>
#include <QPushButton>
#include <QSignalSpy>
#include <QTest>

#include <gtest/gtest.h>

namespace {

class UnitWindowsTest : public ::testing::Test {
protected:
    void open(const QStringList& unitOptions)
    {
        MessageBox::resetScript();
        unit_ = std::make_unique<SimulatedUnit>(unitOptions);
        ASSERT_TRUE(unit_->started());
        port_ = std::make_unique<SerialPort>(unit_->path(), 115200, 8, 0, 0, 1, 1);
        ASSERT_TRUE(port_->IsOpen());
    }
    void TearDown() override { MessageBox::resetScript(); }

    // Runs a shown window until it closes; its result.
    static int runUntilClosed(QDialog& window, int timeoutMs = 10000)
    {
        QSignalSpy finished(&window, &QDialog::finished);
        window.show();
        if (finished.isEmpty() && !finished.wait(timeoutMs))
            return -1;
        return finished.first().first().toInt();
    }

    std::unique_ptr<SimulatedUnit> unit_;
    std::unique_ptr<SerialPort> port_;
    ConfigurationImage image_;
};

} // namespace

TEST_F(UnitWindowsTest, TransferWindowShowsProgressAndClosesOnTheOutcome)
{
    // The unit's speed is emulated so that the window has time to show its progress.
    open({QStringLiteral("--speed"), QStringLiteral("115200"), QStringLiteral("--wire-time")});
    SiteBuilder(image_).pager(5, 500);
    TransferWindow window(*port_, image_, BlockTransfer::ImageToUnit);
    int highest = 0;
    QObject::connect(window.progressBar(), &QProgressBar::valueChanged,
                     [&](int v) { highest = std::max(highest, v); });
    EXPECT_EQ(runUntilClosed(window), QDialog::Accepted);
    EXPECT_EQ(highest, 100);
    EXPECT_EQ(unit_->events(QStringLiteral("image")).size(), 1);

    // Enter does not end a transfer; Esc aborts it, and the window closes rejected without a
    // message.
    open({QStringLiteral("--speed"), QStringLiteral("115200"), QStringLiteral("--silent-after"),
          QStringLiteral("10")});
    TransferWindow stuck(*port_, image_, BlockTransfer::ImageFromUnit);
    QSignalSpy finished(&stuck, &QDialog::finished);
    stuck.show();
    QTest::keyClick(stuck.abortButton(), Qt::Key_Return);
    EXPECT_FALSE(finished.wait(300));
    EXPECT_TRUE(stuck.isVisible());
    QTest::keyClick(stuck.abortButton(), Qt::Key_Escape);
    ASSERT_TRUE(!finished.isEmpty() || finished.wait(3000));
    EXPECT_EQ(finished.first().first().toInt(), QDialog::Rejected);
    EXPECT_TRUE(MessageBox::shown().isEmpty());
}

TEST_F(UnitWindowsTest, TransferWindowFailureTellsWhyThenCloses)
{
    open({QStringLiteral("--speed"), QStringLiteral("115200"), QStringLiteral("--refuse-length"),
          QStringLiteral("f8")});
    TransferWindow window(*port_, image_, BlockTransfer::ImageToUnit);
    EXPECT_EQ(runUntilClosed(window), QDialog::Rejected);
    ASSERT_EQ(MessageBox::shown().size(), 1);
    EXPECT_EQ(MessageBox::shown()[0].text, QStringLiteral("Out of memory received for sent data"));
    EXPECT_EQ(MessageBox::shown()[0].icon, MessageBox::Icon::Information);
}

TEST_F(UnitWindowsTest, StatusWindowPollsAndClosesAfterTheRequestUnderWay)
{
    open({QStringLiteral("--speed"), QStringLiteral("115200")});
    UnitStatusWindow window(*port_);
    EXPECT_EQ(window.windowTitle(), QStringLiteral("Status"));
    EXPECT_EQ(window.text(), QStringLiteral("Loading"));
    window.show();
    ASSERT_TRUE(QTest::qWaitFor(
        [&] { return window.text().contains(QStringLiteral("Status request: 2")); }, 5000));

    // OK while a request runs only notes the wish; the window closes when the answer is in.
    ASSERT_TRUE(QTest::qWaitFor([&] { return window.isRequestRunning(); }, 2000));
    QSignalSpy finished(&window, &QDialog::finished);
    window.accept();
    if (finished.isEmpty()) {
        EXPECT_TRUE(window.isVisible());
        ASSERT_TRUE(finished.wait(3000));
    }
    EXPECT_EQ(finished.first().first().toInt(), QDialog::Accepted);
    EXPECT_FALSE(window.isRequestRunning());
    EXPECT_TRUE(window.text().contains(QStringLiteral("Status request: 3")));
}

TEST_F(UnitWindowsTest, AQuietUnitOrABrokenLineClosesTheWindowWithTheReasonShownOnce)
{
    constexpr int TimeoutMs = 300;
    enum Window { Download, Upload, Status };
    struct Case {
        const char* what;
        QStringList unit;
        QString message;
    };
    const Case faults[] = {
        {"silent",
         {QStringLiteral("--silent-after"), QStringLiteral("5")},
         QStringLiteral("No response from unit.")},
        {"hang-up",
         {QStringLiteral("--hangup-after"), QStringLiteral("5")},
         QStringLiteral("The connection to the unit was lost.")},
    };
    for (const Case& fault : faults) {
        for (const Window kind : {Download, Upload, Status}) {
            SCOPED_TRACE(testing::Message() << fault.what << ", window " << kind);
            open(QStringList{QStringLiteral("--speed"), QStringLiteral("115200")} + fault.unit);
            const ConfigurationImage::Bytes before = image_.bytes();
            std::unique_ptr<QDialog> window;
            if (kind == Status) {
                auto status = std::make_unique<UnitStatusWindow>(*port_);
                status->setAnswerTimeout(TimeoutMs);
                window = std::move(status);
            } else {
                auto transfer = std::make_unique<TransferWindow>(
                    *port_, image_,
                    kind == Download ? BlockTransfer::ImageToUnit : BlockTransfer::ImageFromUnit);
                transfer->setAnswerTimeout(TimeoutMs);
                window = std::move(transfer);
            }
            EXPECT_EQ(runUntilClosed(*window, 5000), QDialog::Rejected);
            ASSERT_EQ(MessageBox::shown().size(), 1);
            EXPECT_EQ(MessageBox::shown()[0].text, fault.message);
            EXPECT_EQ(image_.bytes(), before);
            if (kind == Status) {
                EXPECT_TRUE(static_cast<UnitStatusWindow&>(*window).requestFailed());
            }
            // Nothing more is asked of a unit that failed.
            QTest::qWait(TimeoutMs + 600);
            EXPECT_EQ(MessageBox::shown().size(), 1);
        }
    }
}

// Each kind of answer to a status request: a text is shown and asked for again, an answer
// against the protocol is said and asked for again on the next tick, and only silence and a
// lost line close the window as failed (the console then goes offline).
TEST_F(UnitWindowsTest, StatusAnswers)
{
    constexpr int TimeoutMs = 300;
    struct Case {
        const char* what;
        QStringList unit;
        QString message; // said for each failed request; empty: none
        bool closes;
    };
    const Case cases[] = {
        {"a status text", {}, {}, false},
        {"a bad checksum",
         {QStringLiteral("--corrupt-checksum")},
         QStringLiteral("Error: Bad Checksum!"),
         false},
        {"silence",
         {QStringLiteral("--silent-after"), QStringLiteral("5")},
         QStringLiteral("No response from unit."),
         true},
        {"a lost line",
         {QStringLiteral("--hangup-after"), QStringLiteral("5")},
         QStringLiteral("The connection to the unit was lost."),
         true},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        open(QStringList{QStringLiteral("--speed"), QStringLiteral("115200")} + c.unit);
        UnitStatusWindow window(*port_);
        window.setAnswerTimeout(TimeoutMs);
        if (c.closes) {
            EXPECT_EQ(runUntilClosed(window, 5000), QDialog::Rejected);
            EXPECT_TRUE(window.requestFailed());
            EXPECT_EQ(MessageBox::shown().size(), 1);
        } else {
            QSignalSpy finished(&window, &QDialog::finished);
            window.show();
            // Asked again and again while the window stays open.
            ASSERT_TRUE(unit_->waitForEvents(QStringLiteral("status"), 3));
            EXPECT_TRUE(finished.isEmpty());
            EXPECT_TRUE(window.isVisible());
            EXPECT_FALSE(window.requestFailed());
            window.reject();
            EXPECT_EQ(MessageBox::shown().isEmpty(), c.message.isEmpty());
            if (c.message.isEmpty())
                EXPECT_TRUE(window.text().contains(QStringLiteral("Status request:")));
            else
                EXPECT_EQ(window.text(), QStringLiteral("Loading"));
        }
        for (const auto& box : MessageBox::shown())
            EXPECT_EQ(box.text, c.message);
    }
}
